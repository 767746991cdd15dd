// The bash completion's lists and the man page's save sections against vantor-cli's own
// declarations and the formats' descriptors, so a command, option or list format added to the
// program without its completion or manual (or the other way round) is caught here.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "artwork/Artwork.h"
#include "cli/CliCommand.h"
#include "output/ListFormats.h"

namespace vantor::cli {
namespace {

// The words of the script's line `NAME="word word ..."`; a missing line has none.
std::set<std::string> ScriptList(const std::string& script, const std::string& name) {
    const std::string start = "\n" + name + "=\"";
    const std::size_t begin = script.find(start);
    if (begin == std::string::npos) return {};
    const std::size_t from = begin + start.size();
    std::istringstream words(script.substr(from, script.find('"', from) - from));
    std::set<std::string> list;
    for (std::string word; words >> word;) list.insert(word);
    return list;
}

std::set<std::string> Names(const std::vector<CliOption>& options) {
    std::set<std::string> names;
    for (const CliOption& option : options) names.insert(option.name);
    return names;
}

TEST(CompletionListsTest, NameEveryCommandOptionAndFormatOfTheProgram) {
    const std::string script = test::ReadFileBytes(VANTOR_COMPLETION_SCRIPT);
    ASSERT_FALSE(script.empty());

    std::set<std::string> commands, fileArgumentCommands;
    // An option's value kind, over the global options and every command's.
    std::map<OptionValue, std::set<std::string>> byValue;
    for (const CliOption& option : GlobalOptionList()) byValue[option.value].insert(option.name);
    for (const CliCommand& command : Commands()) {
        commands.insert(command.name);
        if (command.fileArguments) fileArgumentCommands.insert(command.name);
        std::string variable = "_vantor_cli_options_" + command.name;
        std::replace(variable.begin(), variable.end(), '-', '_');
        EXPECT_EQ(ScriptList(script, variable), Names(command.options)) << command.name;
        for (const CliOption& option : command.options) byValue[option.value].insert(option.name);
    }
    EXPECT_EQ(ScriptList(script, "_vantor_cli_commands"), commands);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_global_options"), Names(GlobalOptionList()));
    EXPECT_EQ(ScriptList(script, "_vantor_cli_file_argument_commands"), fileArgumentCommands);
    std::set<std::string> files = byValue[OptionValue::File];
    files.insert(byValue[OptionValue::OutputFile].begin(), byValue[OptionValue::OutputFile].end());
    EXPECT_EQ(ScriptList(script, "_vantor_cli_file_options"), files);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_folder_options"), byValue[OptionValue::Folder]);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_text_options"), byValue[OptionValue::Text]);

    std::set<std::string> kinds;
    for (const PictureKindInfo& kind : PictureKinds()) kinds.insert(kind.name);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_picture_kinds"), kinds);

    std::set<std::string> formats;
    for (const ListFormatInfo& format : ListFormatTable()) formats.insert(format.cliName);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_formats"), formats);
}

// The words a man page section writes in bold or italics (".B word", ".BR word ,", "\\fBword\\fP"),
// its "\\-" read as "-".
std::set<std::string> ManWords(std::string section) {
    std::set<std::string> words;
    std::size_t at = 0;
    while ((at = section.find("\\-", at)) != std::string::npos) section.replace(at, 2, "-");
    std::istringstream lines(section);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream items(line);
        for (std::string item; items >> item;) {
            for (const char* mark : {"\\fB", "\\fP", "\\fI"}) {
                for (std::size_t found; (found = item.find(mark)) != std::string::npos;)
                    item.replace(found, 3, " ");
            }
            std::istringstream parts(item);
            for (std::string part; parts >> part;) words.insert(part);
        }
    }
    return words;
}

TEST(CompletionListsTest, ManPageNamesEveryFormatAndItsOptions) {
    const std::string page = test::ReadFileBytes(VANTOR_MAN_PAGE);
    const std::size_t formats = page.find(".SS \"Save formats\""),
                      options = page.find(".SS \"Save options\"");
    ASSERT_NE(formats, std::string::npos);
    ASSERT_NE(options, std::string::npos);
    const std::set<std::string> formatWords = ManWords(page.substr(formats, options - formats));
    const std::set<std::string> optionWords =
        ManWords(page.substr(options, page.find(".SH", options) - options));
    for (const ListFormatInfo& format : ListFormatTable()) {
        EXPECT_EQ(formatWords.count(format.cliName), 1u) << format.cliName;
        for (const FormatOption& option : format.options) {
            const std::string name = std::string("--") + OptionInfo(option.option).cliName;
            EXPECT_EQ(optionWords.count(name), 1u) << name;
        }
    }
}

}  // namespace
}  // namespace vantor::cli
