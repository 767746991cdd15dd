#include "ListOptions.h"

namespace vantor {

const std::vector<ListOptionInfo>& ListOptionTable() {
    using O = ListOption;
    static const std::vector<ListOptionInfo> options = {
        {O::Title, "title", "TEXT", "--title TEXT           khameleon, mala, cabrio: the list title"},
        {O::LogoFolder, "logo-dir", "DIR", "--logo-dir DIR         cabrio: the folder of logo images"},
        {O::ScreenshotFolder, "screenshot-dir", "DIR",
         "--screenshot-dir DIR   cabrio: the folder of screenshots"},
        {O::BackgroundFolder, "background-dir", "DIR",
         "--background-dir DIR   cabrio: the folder of backgrounds"},
        {O::RomFolder, "rom-folder", "DIR", "--rom-folder DIR       maximus (required): your ROM folder"},
        {O::Template, "template", "TEXT",
         "--template TEXT        batch: the line written per game; %ROM%, %DESC%, %CHD% are filled in,\n"
         "                         | starts a new line (default: cp \"%ROM%.zip\" ~/roms/)"},
        {O::WindowsBatch, "windows", nullptr,
         "--windows              batch: a Windows batch file (CR LF, default template\n"
         "                         copy %ROM%.zip c:\\mame\\roms) instead of an executable shell script"},
        {O::Columns, "columns", "LIST",
         "--columns LIST         csv (required): comma-separated columns, in order"},
        {O::Delimiter, "delimiter", "TEXT", "--delimiter TEXT       csv: between values (default ;)"},
        {O::NoHeader, "no-header", nullptr, "--no-header            csv: no header line"},
    };
    return options;
}

const ListOptionInfo& OptionInfo(ListOption option) {
    for (const ListOptionInfo& info : ListOptionTable()) {
        if (info.option == option) return info;
    }
    return ListOptionTable().front();  // every option has a row; a test holds the table to that
}

std::string ListOptions::Text(ListOption option, std::string_view fallback) const {
    auto found = values_.find(option);
    return found == values_.end() ? std::string(fallback) : found->second;
}

}  // namespace vantor
