#pragma once
// The choices a list format takes beyond the games: a list title, folders, a line template, CSV
// columns. The format's dialog and vantor-cli's save options fill the same ListOptions, so the
// window and the command line hand the writer the same thing.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

enum class ListOption : int {
    Title,
    LogoFolder,
    ScreenshotFolder,
    BackgroundFolder,
    RomFolder,
    Template,
    WindowsBatch,
    Columns,
    Delimiter,
    NoHeader,
    // Today's front ends.
    RomExtension,
    ListName,
    CorePath,
    CoreName,
    LaunchCommand,
    Media,
    HideRemoved,
    SplitByCategory,
};

// What a value of an option is: how vantor-cli reads it, how the window asks for it.
enum class OptionKind {
    Flag,    // given or not: a tick box
    Text,    // a line of text
    Folder,  // a folder (the window offers Browse)
    File,
};

// An option as every format that takes it shares it; what it means for a format, and its default
// there, is the format's (ListFormats.h).
struct ListOptionInfo {
    ListOption option;
    const char* cliName;    // "title" for --title
    const char* valueName;  // "TEXT", "DIR", "LIST"; nullptr for a flag, or a flag's optional word
    OptionKind kind;
    const char* label;         // the window's name for it ("ROM folder")
    const char* settingsName;  // its part of the window's settings key ("RomFolder")
};

// In the order vantor-cli's help lists them.
const std::vector<ListOptionInfo>& ListOptionTable();
const ListOptionInfo& OptionInfo(ListOption option);

// The options given for one save. A flag is given or not; an option with a value may be given
// empty, which is not the same as not given (an empty CSV delimiter joins the values).
class ListOptions {
  public:
    void Set(ListOption option, std::string value = {}) { values_[option] = std::move(value); }
    bool Has(ListOption option) const { return values_.count(option) != 0; }
    // The value given, or `fallback` when the option was not given.
    std::string Text(ListOption option, std::string_view fallback = {}) const;

  private:
    std::map<ListOption, std::string> values_;
};

// Folders and file names end up on lines of their own (ES's collections, Pegasus's files:, one
// path per line): a value holding a line break or another control character is refused. The
// message saying which, or "" when every path given is one line.
std::string PathOptionProblem(const ListOptions& options);

}  // namespace vantor
