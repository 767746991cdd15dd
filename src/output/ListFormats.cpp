#include "ListFormats.h"

namespace vantor {

// The writers, one file each.
std::unique_ptr<ListWriter> MakeAdvanceMenuWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeAtomicFeWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeAttractModeWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeAttractModePlusWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeBatchWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeCabrioWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeCsvWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeBatoceraWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeDescriptionWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeEsDeWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeHyperSpinWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeKhameleonWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeMGalaxyWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeMalaWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeMameUifxWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeMameWahWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeMaximusWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakePegasusWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeRetroArchWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeRomNameWriter(const ListOptions& options);
std::unique_ptr<ListWriter> MakeXmlWriter(const ListOptions& options);

namespace {
using P = PreviewButton;
using O = ListOption;
constexpr FileType kXml{"xml files (*.xml)", "*.xml"};
constexpr FileType kText{"text files (*.txt)", "*.txt"};
constexpr FileType kNone{"", ""};
constexpr FileType kGamelist{"EmulationStation game lists (gamelist.xml)", "gamelist.xml"};

constexpr FormatOption kAttractModePlusOptions[] = {
    {O::ListName, "the emulator the rows name", "mame", "Emulator:"},
    {O::SplitByCategory,
     "also a tag file NAME/CATEGORY.tag per category beside NAME.txt (needs a merged master file; main: one "
     "per main category, the part before \" / \")",
     "", "One tag file per category (NAME/CATEGORY.tag)"},
};
constexpr FormatOption kBatchOptions[] = {
    {O::Template, "the line written per game; %ROM%, %DESC%, %CHD% are filled in, | starts a new line",
     "cp \"%ROM%.zip\" ~/roms/"},
    {O::WindowsBatch,
     "a Windows batch file (CR LF, default template copy %ROM%.zip c:\\mame\\roms) instead of an "
     "executable shell script",
     ""},
};
constexpr FormatOption kCabrioOptions[] = {
    {O::Title, "the list title", ""},
    {O::LogoFolder, "the folder of logo images", ""},
    {O::ScreenshotFolder, "the folder of screenshots", ""},
    {O::BackgroundFolder, "the folder of backgrounds", ""},
};
constexpr FormatOption kCsvOptions[] = {
    {O::Columns, "the columns, comma-separated, in order (the names are listed below)", "", "", true},
    {O::Delimiter, "between values", ";"},
    {O::NoHeader, "no header line", ""},
};
constexpr FormatOption kBatoceraOptions[] = {
    {O::RomFolder, "the ROM folder the category collections name", "/userdata/roms/mame",
     "ROM folder (for collections):"},
    {O::RomExtension, "the archives' extension (a list being updated keeps its paths unless it is given)",
     "zip", "Archive extension:"},
    {O::Media, "image, marquee and video paths where Batocera's scraper puts them", ""},
    {O::HideRemoved,
     "when a gamelist.xml is updated, a game no longer in the list stays, hidden (it shows again when it "
     "comes back)",
     ""},
    {O::SplitByCategory,
     "also custom-CATEGORY.cfg collections beside the list, for Batocera's "
     "/userdata/system/configs/emulationstation/collections/ (needs a merged master file; main: one per main "
     "category, the part before \" / \")",
     "", "One collection per category (custom-CATEGORY.cfg)"},
};
constexpr FormatOption kEsDeOptions[] = {
    {O::RomFolder, "the ROM folder the category collections name", "%ROMPATH%/mame",
     "ROM folder (for collections):"},
    {O::RomExtension, "the archives' extension (a list being updated keeps its paths unless it is given)",
     "zip", "Archive extension:"},
    {O::HideRemoved,
     "when a gamelist.xml is updated, a game no longer in the list stays, hidden (it shows again when it "
     "comes back)",
     ""},
    {O::SplitByCategory,
     "also custom-CATEGORY.cfg collections beside the list, for ES-DE's ~/ES-DE/collections/ (needs a merged "
     "master file; main: one per main category, the part before \" / \")",
     "", "One collection per category (custom-CATEGORY.cfg)"},
};
constexpr FormatOption kTitleOption[] = {{O::Title, "the list title", ""}};
constexpr FormatOption kMaximusOptions[] = {{O::RomFolder, "your ROM folder", "", "", true}};
constexpr FormatOption kPegasusOptions[] = {
    {O::ListName, "the collection", "MAME", "Collection:"},
    {O::RomFolder, "the folder of the games", "the list's own folder", "ROM folder:"},
    {O::RomExtension, "the archives' extension", "zip", "Archive extension:"},
    {O::LaunchCommand, "the launch command, with {file.path}, {file.dir}, {file.basename}",
     "mame -rompath \"{file.dir}\" \"{file.basename}\"", "Launch command:"},
    {O::SplitByCategory,
     "also a collection CATEGORY.metadata.pegasus.txt per category beside the list, naming the files of its "
     "games "
     "(needs a merged master file; main: one per main category, the part before \" / \")",
     "", "One collection per category (CATEGORY.metadata.pegasus.txt)"},
};
constexpr FormatOption kRetroArchOptions[] = {
    {O::RomFolder, "the folder the playlist's paths name", "~/roms/mame", "ROM folder:"},
    {O::RomExtension, "the archives' extension", "zip", "Archive extension:"},
    {O::CorePath, "the core of every game and of the playlist", "DETECT", "Core path:"},
    {O::CoreName, "the core's name", "DETECT", "Core name:"},
    {O::ListName, "what the category playlists' names start with", "the playlist's file name",
     "Category playlists start with:"},
    {O::SplitByCategory,
     "also a playlist NAME - CATEGORY.lpl per category beside it (needs a merged master file; main: one per "
     "main category, the part before \" / \")",
     "", "One playlist per category (NAME - CATEGORY.lpl)"},
};

constexpr std::array<ListFormatInfo, kListFormatCount> kFormats = {{
    {ListFormat::AdvanceMenu,
     "AdvanceMenu Lst",
     "advancemenu",
     "AdvanceMenu's game list",
     {{{"AdvanceMenu LST game list files (*.lst)", "*.lst"}, kNone}},
     1,
     "txt",
     P::Unchanged,
     true,
     false,
     MakeAdvanceMenuWriter,
     {}},
    {ListFormat::AtomicFe,
     "Atomic FE",
     "atomicfe",
     "Atomic FE's game list",
     {{{"Atomic FE game list files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     false,
     MakeAtomicFeWriter,
     {}},
    {ListFormat::AttractMode,
     "Attract Mode",
     "attractmode",
     "the 16-column romlist of older Attract-Mode",
     {{{"Attract Mode game list files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     true,
     MakeAttractModeWriter,
     {}},
    {ListFormat::AttractModePlus,
     "Attract-Mode Plus",
     "attractmode-plus",
     "the 21-column romlist of Attract-Mode and Attract-Mode Plus",
     {{{"Attract-Mode Plus romlists (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     true,
     MakeAttractModePlusWriter,
     kAttractModePlusOptions,
     "attractModePlus",
     "Save as NAME.txt in Attract-Mode's romlists folder."},
    {ListFormat::Batch,
     "Batch File",
     "batch",
     "a shell script (or Windows batch file) with a line per game",
     {{{"shell scripts (*.sh)", "*.sh"}, kNone}},
     1,
     "sh",
     P::Enabled,
     true,
     false,
     MakeBatchWriter,
     kBatchOptions},
    {ListFormat::Cabrio,
     "Cabrio",
     "cabrio",
     "Cabrio's game list",
     {{kXml, kNone}},
     1,
     "xml",
     P::Unchanged,
     true,
     false,
     MakeCabrioWriter,
     kCabrioOptions},
    {ListFormat::Csv,
     "CSV File",
     "csv",
     "a table of the columns chosen",
     {{{"csv files (*.csv)", "*.csv"}, {"txt files (*.txt)", "*.txt"}}},
     2,
     "csv;txt",
     P::Enabled,
     true,
     true,
     MakeCsvWriter,
     kCsvOptions},
    {ListFormat::EsBatocera,
     "EmulationStation (Batocera)",
     "batocera",
     "Batocera's gamelist.xml (updated in place)",
     {{kGamelist, kXml}},
     2,
     "xml",
     P::Enabled,
     true,
     true,
     MakeBatoceraWriter,
     kBatoceraOptions,
     "gamelist",
     "Save as gamelist.xml in the front end's folder for MAME. A gamelist.xml already there is updated: "
     "favourites, play counts and what the front end added stay.",
     true},
    {ListFormat::EsDe,
     "EmulationStation (ES-DE)",
     "es-de",
     "ES-DE's gamelist.xml (updated in place)",
     {{kGamelist, kXml}},
     2,
     "xml",
     P::Enabled,
     true,
     true,
     MakeEsDeWriter,
     kEsDeOptions,
     "gamelist",
     "Save as gamelist.xml in the front end's folder for MAME. A gamelist.xml already there is updated: "
     "favourites, play counts and what the front end added stay.",
     true},
    {ListFormat::HyperSpin,
     "HyperSpin",
     "hyperspin",
     "HyperSpin's database",
     {{kXml, kNone}},
     1,
     "xml",
     P::Enabled,
     true,
     true,
     MakeHyperSpinWriter,
     {}},
    {ListFormat::Khameleon,
     "Khameleon",
     "khameleon",
     "Khameleon's game list",
     {{{"Khameleon Game lists (*.lst)", "*.lst"}, kNone}},
     1,
     "lst",
     P::Enabled,
     true,
     false,
     MakeKhameleonWriter,
     kTitleOption},
    {ListFormat::Mala,
     "MaLa Gamelist",
     "mala",
     "MaLa's game list (binary; needs -o)",
     {{{"Mala Game lists (*.mlg)", "*.mlg"}, kNone}},
     1,
     "mlg",
     P::Disabled,
     false,
     true,
     MakeMalaWriter,
     kTitleOption},
    {ListFormat::MameUifx,
     "MAMEUIFX",
     "mameuifx",
     "a MAMEUIFX folder list",
     {{{"MAMEUIFX lists (*.ini)", "*.ini"}, kNone}},
     1,
     "ini",
     P::Enabled,
     true,
     false,
     MakeMameUifxWriter,
     {}},
    {ListFormat::MameWah,
     "MAMEWah",
     "mamewah",
     "MAMEWah's game list",
     {{{"MameWah game list files (*.lst)", "*.lst"}, kNone}},
     1,
     "lst",
     P::Enabled,
     true,
     false,
     MakeMameWahWriter,
     {}},
    {ListFormat::Maximus,
     "Maximus Arcade",
     "maximus",
     "the text Maximus Arcade's list converter reads (needs -o)",
     {{{"Maximus Arcade files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Disabled,
     false,
     true,
     MakeMaximusWriter,
     kMaximusOptions},
    {ListFormat::MGalaxy,
     "mGalaxy",
     "mgalaxy",
     "mGalaxy's game list (needs -o)",
     {{kXml, kNone}},
     1,
     "xml",
     P::Disabled,
     false,
     false,
     MakeMGalaxyWriter,
     {}},
    {ListFormat::MultiFe,
     "MultiFE",
     "multife",
     "MultiFE's list: the games' records as XML",
     {{kXml, kNone}},
     1,
     "xml",
     P::Disabled,
     true,
     false,
     MakeXmlWriter,
     {}},
    {ListFormat::Pegasus,
     "Pegasus",
     "pegasus",
     "Pegasus's metadata.pegasus.txt",
     {{{"Pegasus metadata files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     true,
     MakePegasusWriter,
     kPegasusOptions,
     "pegasus",
     "Save as metadata.pegasus.txt in the folder of your ROMs (or give their folder below)."},
    {ListFormat::RetroArch,
     "RetroArch playlist",
     "retroarch",
     "a RetroArch playlist (updated in place)",
     {{{"RetroArch playlists (*.lpl)", "*.lpl"}, kNone}},
     1,
     "lpl",
     P::Enabled,
     true,
     true,
     MakeRetroArchWriter,
     kRetroArchOptions,
     "retroarch",
     "Save as NAME.lpl in RetroArch's playlists folder. A playlist already there keeps the core chosen for "
     "each "
     "game and what RetroArch stored.",
     true},
    {ListFormat::Descriptions,
     "ROM descriptions only",
     "descriptions",
     "the games' descriptions, one a line",
     {{kText, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     false,
     MakeDescriptionWriter,
     {}},
    {ListFormat::RomNames,
     "ROM names only",
     "romnames",
     "the games' ROM names, one a line",
     {{kText, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     true,
     MakeRomNameWriter,
     {}},
    {ListFormat::Xml,
     "XML File",
     "xml",
     "the games' records as XML, a master file of its own",
     {{kXml, kNone}},
     1,
     "xml",
     P::Disabled,
     true,
     true,
     MakeXmlWriter,
     {}},
}};
}  // namespace

const std::array<ListFormatInfo, kListFormatCount>& ListFormatTable() {
    return kFormats;
}

FileType WindowsBatchFileType() {
    return {"batch files (*.bat)", "*.bat"};
}

const ListFormatInfo& FormatInfo(ListFormat format) {
    return kFormats[static_cast<std::size_t>(format)];
}

const ListFormatInfo* FindFormatByCliName(std::string_view cliName) {
    for (const ListFormatInfo& info : kFormats) {
        if (cliName == info.cliName) return &info;
    }
    return nullptr;
}

}  // namespace vantor
