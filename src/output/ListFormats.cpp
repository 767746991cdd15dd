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

constexpr std::array<ListFormatInfo, kListFormatCount> kFormats = {{
    {ListFormat::AdvanceMenu,
     "AdvanceMenu Lst",
     "advancemenu",
     {{{"AdvanceMenu LST game list files (*.lst)", "*.lst"}, kNone}},
     1,
     "txt",
     P::Unchanged,
     true,
     MakeAdvanceMenuWriter,
     {},
     {}},
    {ListFormat::AtomicFe,
     "Atomic FE",
     "atomicfe",
     {{{"Atomic FE game list files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     MakeAtomicFeWriter,
     {},
     {}},
    {ListFormat::AttractMode,
     "Attract Mode",
     "attractmode",
     {{{"Attract Mode game list files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     MakeAttractModeWriter,
     {},
     {}},
    {ListFormat::AttractModePlus,
     "Attract-Mode Plus",
     "attractmode-plus",
     {{{"Attract-Mode Plus romlists (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     MakeAttractModePlusWriter,
     {O::ListName, O::SplitByCategory},
     {}},
    {ListFormat::Batch,
     "Batch File",
     "batch",
     {{{"shell scripts (*.sh)", "*.sh"}, kNone}},
     1,
     "sh",
     P::Enabled,
     true,
     MakeBatchWriter,
     {O::Template, O::WindowsBatch},
     {}},
    {ListFormat::Cabrio,
     "Cabrio",
     "cabrio",
     {{kXml, kNone}},
     1,
     "xml",
     P::Unchanged,
     true,
     MakeCabrioWriter,
     {O::Title, O::LogoFolder, O::ScreenshotFolder, O::BackgroundFolder},
     {}},
    {ListFormat::Csv,
     "CSV File",
     "csv",
     {{{"csv files (*.csv)", "*.csv"}, {"txt files (*.txt)", "*.txt"}}},
     2,
     "csv;txt",
     P::Enabled,
     true,
     MakeCsvWriter,
     {O::Columns, O::Delimiter, O::NoHeader},
     {O::Columns}},
    {ListFormat::EsBatocera,
     "EmulationStation (Batocera)",
     "batocera",
     {{kGamelist, kXml}},
     2,
     "xml",
     P::Enabled,
     true,
     MakeBatoceraWriter,
     {O::RomExtension, O::Media, O::HideRemoved, O::SplitByCategory, O::RomFolder},
     {}},
    {ListFormat::EsDe,
     "EmulationStation (ES-DE)",
     "es-de",
     {{kGamelist, kXml}},
     2,
     "xml",
     P::Enabled,
     true,
     MakeEsDeWriter,
     {O::RomExtension, O::HideRemoved, O::SplitByCategory, O::RomFolder},
     {}},
    {ListFormat::HyperSpin,
     "HyperSpin",
     "hyperspin",
     {{kXml, kNone}},
     1,
     "xml",
     P::Enabled,
     true,
     MakeHyperSpinWriter,
     {},
     {}},
    {ListFormat::Khameleon,
     "Khameleon",
     "khameleon",
     {{{"Khameleon Game lists (*.lst)", "*.lst"}, kNone}},
     1,
     "lst",
     P::Enabled,
     true,
     MakeKhameleonWriter,
     {O::Title},
     {}},
    {ListFormat::Mala,
     "MaLa Gamelist",
     "mala",
     {{{"Mala Game lists (*.mlg)", "*.mlg"}, kNone}},
     1,
     "mlg",
     P::Disabled,
     false,
     MakeMalaWriter,
     {O::Title},
     {}},
    {ListFormat::MameUifx,
     "MAMEUIFX",
     "mameuifx",
     {{{"MAMEUIFX lists (*.ini)", "*.ini"}, kNone}},
     1,
     "ini",
     P::Enabled,
     true,
     MakeMameUifxWriter,
     {},
     {}},
    {ListFormat::MameWah,
     "MAMEWah",
     "mamewah",
     {{{"MameWah game list files (*.lst)", "*.lst"}, kNone}},
     1,
     "lst",
     P::Enabled,
     true,
     MakeMameWahWriter,
     {},
     {}},
    {ListFormat::Maximus,
     "Maximus Arcade",
     "maximus",
     {{{"Maximus Arcade files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Disabled,
     false,
     MakeMaximusWriter,
     {O::RomFolder},
     {O::RomFolder}},
    {ListFormat::MGalaxy,
     "mGalaxy",
     "mgalaxy",
     {{kXml, kNone}},
     1,
     "xml",
     P::Disabled,
     false,
     MakeMGalaxyWriter,
     {},
     {}},
    {ListFormat::MultiFe,
     "MultiFE",
     "multife",
     {{kXml, kNone}},
     1,
     "xml",
     P::Disabled,
     true,
     MakeXmlWriter,
     {},
     {}},
    {ListFormat::Pegasus,
     "Pegasus",
     "pegasus",
     {{{"Pegasus metadata files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     MakePegasusWriter,
     {O::ListName, O::RomFolder, O::RomExtension, O::LaunchCommand, O::SplitByCategory},
     {}},
    {ListFormat::RetroArch,
     "RetroArch playlist",
     "retroarch",
     {{{"RetroArch playlists (*.lpl)", "*.lpl"}, kNone}},
     1,
     "lpl",
     P::Enabled,
     true,
     MakeRetroArchWriter,
     {O::RomFolder, O::RomExtension, O::ListName, O::CorePath, O::CoreName, O::SplitByCategory},
     {}},
    {ListFormat::Descriptions,
     "ROM descriptions only",
     "descriptions",
     {{kText, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     MakeDescriptionWriter,
     {},
     {}},
    {ListFormat::RomNames,
     "ROM names only",
     "romnames",
     {{kText, kNone}},
     1,
     "txt",
     P::Enabled,
     true,
     MakeRomNameWriter,
     {},
     {}},
    {ListFormat::Xml, "XML File", "xml", {{kXml, kNone}}, 1, "xml", P::Disabled, true, MakeXmlWriter, {}, {}},
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
