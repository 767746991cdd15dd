// The bash completion's lists of commands and list formats against vantor-cli's own, so a command
// or format added to the program without its completion is caught here.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "cli/CliCommand.h"
#include "output/ListFormats.h"

namespace {

// The words of the script's line `NAME="word word ..."`.
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

TEST(CompletionListsTest, NameEveryCommandAndFormatOfTheProgram) {
    const std::string script = vantor::test::ReadFileBytes(VANTOR_COMPLETION_SCRIPT);
    ASSERT_FALSE(script.empty());
    std::set<std::string> commands;
    for (const vantor::cli::CliCommandInfo& command : vantor::cli::RegisteredCommands())
        commands.insert(command.name);
    std::set<std::string> formats;
    for (const vantor::ListFormatInfo& format : vantor::ListFormatTable()) formats.insert(format.cliName);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_commands"), commands);
    EXPECT_EQ(ScriptList(script, "_vantor_cli_formats"), formats);
}

}  // namespace
