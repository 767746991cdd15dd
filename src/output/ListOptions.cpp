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
        {O::RomFolder, "rom-folder", "DIR",
         "--rom-folder DIR       maximus (required): your ROM folder; retroarch, pegasus: the ROM folder\n"
         "                         the list names (retroarch default ~/roms/mame; pegasus default: the\n"
         "                         list's own folder); es-de, batocera: the ROM folder as category\n"
         "                         collections name it (default %ROMPATH%/mame, and /userdata/roms/mame\n"
         "                         for batocera)"},
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
        {O::RomExtension, "rom-extension", "EXT",
         "--rom-extension EXT    es-de, batocera, retroarch, pegasus: the archives' extension (default zip;\n"
         "                         es-de and batocera keep the paths of a list they update unless given)"},
        {O::ListName, "list-name", "NAME",
         "--list-name NAME       retroarch: the name the category playlists start with (default: the\n"
         "                         playlist's file name); pegasus: the collection (default MAME);\n"
         "                         attractmode-plus: the emulator (default mame)"},
        {O::CorePath, "core-path", "FILE", "--core-path FILE       retroarch: the core (default DETECT)"},
        {O::CoreName, "core-name", "TEXT",
         "--core-name TEXT       retroarch: the core's name (default DETECT)"},
        {O::LaunchCommand, "launch", "TEXT",
         "--launch TEXT          pegasus: the launch command, with {file.path}, {file.dir}, {file.basename}\n"
         "                         (default mame -rompath \"{file.dir}\" \"{file.basename}\")"},
        {O::Media, "media", nullptr, "--media                batocera: image, marquee and video paths"},
        {O::HideRemoved, "hide-removed", nullptr,
         "--hide-removed         es-de, batocera: when a gamelist.xml is updated, a game no longer in the\n"
         "                         list stays, hidden (it shows again when it comes back)"},
        {O::SplitByCategory, "split-by-category", nullptr,
         "--split-by-category    es-de, batocera, retroarch, pegasus, attractmode-plus: also one list\n"
         "                         per category, as the front end keeps them (needs a merged master\n"
         "                         file); es-de and batocera: custom-CATEGORY.cfg collections beside the\n"
         "                         list, to go into ~/ES-DE/collections/ (Batocera:\n"
         "                         /userdata/system/configs/emulationstation/collections/); retroarch:\n"
         "                         NAME - CATEGORY.lpl; pegasus: CATEGORY.metadata.pegasus.txt naming\n"
         "                         the files of its games; attractmode-plus: the tag files\n"
         "                         NAME/CATEGORY.tag"},
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
