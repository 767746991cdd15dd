#include "ListOptions.h"

namespace vantor {

const std::vector<ListOptionInfo>& ListOptionTable() {
    using O = ListOption;
    using K = OptionKind;
    static const std::vector<ListOptionInfo> options = {
        {O::Title, "title", "TEXT", K::Text, "List title", "Title"},
        {O::LogoFolder, "logo-dir", "DIR", K::Folder, "Logo images", "LogoFolder"},
        {O::ScreenshotFolder, "screenshot-dir", "DIR", K::Folder, "Screenshots", "ScreenshotFolder"},
        {O::BackgroundFolder, "background-dir", "DIR", K::Folder, "Backgrounds", "BackgroundFolder"},
        {O::RomFolder, "rom-folder", "DIR", K::Folder, "ROM folder", "RomFolder"},
        {O::Template, "template", "TEXT", K::Text, "Line template", "Template"},
        {O::WindowsBatch, "windows", nullptr, K::Flag, "Windows batch file", "Windows"},
        {O::Columns, "columns", "LIST", K::Text, "Columns", "Columns"},
        {O::Delimiter, "delimiter", "TEXT", K::Text, "Delimiter", "Delimiter"},
        {O::NoHeader, "no-header", nullptr, K::Flag, "No header line", "NoHeader"},
        {O::RomExtension, "rom-extension", "EXT", K::Text, "Archive extension", "RomExtension"},
        {O::ListName, "list-name", "NAME", K::Text, "List name", "ListName"},
        {O::CorePath, "core-path", "FILE", K::File, "Core path", "CorePath"},
        {O::CoreName, "core-name", "TEXT", K::Text, "Core name", "CoreName"},
        {O::LaunchCommand, "launch", "TEXT", K::Text, "Launch command", "LaunchCommand"},
        {O::Media, "media", nullptr, K::Flag,
         "Image, marquee and video paths (where Batocera's scraper puts them)", "Media"},
        {O::HideRemoved, "hide-removed", nullptr, K::Flag, "Keep games no longer in the list, hidden",
         "HideRemoved"},
        {O::SplitByCategory, "split-by-category", "[full|main]", K::Flag, "One list per category",
         "SplitByCategory"},
    };
    return options;
}

const ListOptionInfo& OptionInfo(ListOption option) {
    for (const ListOptionInfo& info : ListOptionTable()) {
        if (info.option == option) return info;
    }
    return ListOptionTable().front();  // every option has a row; a test holds the table to that
}

std::string PathOptionProblem(const ListOptions& options) {
    static constexpr std::pair<ListOption, const char*> kPaths[] = {
        {ListOption::RomFolder, "ROM folder"},
        {ListOption::RomExtension, "ROM extension"},
        {ListOption::CorePath, "core path"},
        {ListOption::LogoFolder, "logo folder"},
        {ListOption::ScreenshotFolder, "screenshot folder"},
        {ListOption::BackgroundFolder, "background folder"}};
    for (const auto& [option, name] : kPaths) {
        for (char c : options.Text(option)) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return std::string("The ") + name +
                       " holds a line break or another control character, which a list " +
                       "of one path per line cannot hold. Give it without.";
        }
    }
    return {};
}

std::string ListOptions::Text(ListOption option, std::string_view fallback) const {
    auto found = values_.find(option);
    return found == values_.end() ? std::string(fallback) : found->second;
}

}  // namespace vantor
