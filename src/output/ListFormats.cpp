#include "ListFormats.h"

namespace vantor {

namespace {
using P = PreviewButton;
constexpr FileType kXml{"xml files (*.xml)", "*.xml"};
constexpr FileType kText{"text files (*.txt)", "*.txt"};
constexpr FileType kNone{"", ""};

constexpr std::array<ListFormatInfo, kListFormatCount> kFormats = {{
    {ListFormat::AdvanceMenu,
     "AdvanceMenu Lst",
     "advancemenu",
     {{{"AdvanceMenu LST game list files (*.lst)", "*.lst"}, kNone}},
     1,
     "txt",
     P::Unchanged,
     true},
    {ListFormat::AtomicFe,
     "Atomic FE",
     "atomicfe",
     {{{"Atomic FE game list files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true},
    {ListFormat::AttractMode,
     "Attract Mode",
     "attractmode",
     {{{"Attract Mode game list files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Enabled,
     true},
    {ListFormat::Batch,
     "Batch File",
     "batch",
     {{{"shell scripts (*.sh)", "*.sh"}, kNone}},
     1,
     "sh",
     P::Enabled,
     true},
    {ListFormat::Cabrio, "Cabrio", "cabrio", {{kXml, kNone}}, 1, "xml", P::Unchanged, true},
    {ListFormat::Csv,
     "CSV File",
     "csv",
     {{{"csv files (*.csv)", "*.csv"}, {"txt files (*.txt)", "*.txt"}}},
     2,
     "csv;txt",
     P::Enabled,
     true},
    {ListFormat::HyperSpin, "HyperSpin", "hyperspin", {{kXml, kNone}}, 1, "xml", P::Enabled, true},
    {ListFormat::Khameleon,
     "Khameleon",
     "khameleon",
     {{{"Khameleon Game lists (*.lst)", "*.lst"}, kNone}},
     1,
     "lst",
     P::Enabled,
     true},
    {ListFormat::Mala,
     "MaLa Gamelist",
     "mala",
     {{{"Mala Game lists (*.mlg)", "*.mlg"}, kNone}},
     1,
     "mlg",
     P::Disabled,
     false},
    {ListFormat::MameUifx,
     "MAMEUIFX",
     "mameuifx",
     {{{"MAMEUIFX lists (*.ini)", "*.ini"}, kNone}},
     1,
     "ini",
     P::Enabled,
     true},
    {ListFormat::MameWah,
     "MAMEWah",
     "mamewah",
     {{{"MameWah game list files (*.lst)", "*.lst"}, kNone}},
     1,
     "lst",
     P::Enabled,
     true},
    {ListFormat::Maximus,
     "Maximus Arcade",
     "maximus",
     {{{"Maximus Arcade files (*.txt)", "*.txt"}, kNone}},
     1,
     "txt",
     P::Disabled,
     false},
    {ListFormat::MGalaxy, "mGalaxy", "mgalaxy", {{kXml, kNone}}, 1, "xml", P::Disabled, false},
    {ListFormat::MultiFe, "MultiFE", "multife", {{kXml, kNone}}, 1, "xml", P::Disabled, true},
    {ListFormat::Descriptions,
     "ROM descriptions only",
     "descriptions",
     {{kText, kNone}},
     1,
     "txt",
     P::Enabled,
     true},
    {ListFormat::RomNames, "ROM names only", "romnames", {{kText, kNone}}, 1, "txt", P::Enabled, true},
    {ListFormat::Xml, "XML File", "xml", {{kXml, kNone}}, 1, "xml", P::Disabled, true},
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

std::string SaveDialogFilter(const ListFormatInfo& info) {
    std::string filter;
    for (int i = 0; i < info.fileTypeCount; ++i) {
        if (i > 0) filter += ";;";
        filter += info.fileTypes[static_cast<std::size_t>(i)].description;
    }
    return filter;
}

bool RunListWriter(ListWriter& writer, UserInterface& ui, ListFormat format, std::string& fileName,
                   std::string_view keyList, std::int64_t count, const SaveOptions& options) {
    if (IsPreviewMarker(fileName) && !FormatInfo(format).handsBackText) return false;
    ui.ProgressShow("Creating list...", "");
    bool written = false;
    switch (format) {
        case ListFormat::AdvanceMenu:
            written = writer.WriteAdvanceMenuList(fileName, keyList, count);
            break;
        case ListFormat::AtomicFe:
            written = writer.WriteAtomicFeList(fileName, keyList, count);
            break;
        case ListFormat::AttractMode:
            written = writer.WriteAttractModeList(fileName, keyList, count);
            break;
        case ListFormat::Batch:
            written =
                writer.WriteBatchList(fileName, keyList, count, options.batchTemplate, options.batchForm);
            break;
        case ListFormat::Cabrio:
            written = writer.WriteCabrioList(fileName, keyList, count, options.listTitle, options.logoFolder,
                                             options.screenshotFolder, options.backgroundFolder);
            break;
        case ListFormat::Csv:
            written = writer.WriteCsvList(fileName, keyList, count, options.csv);
            break;
        case ListFormat::HyperSpin:
            written = writer.WriteHyperSpinList(fileName, keyList, count);
            break;
        case ListFormat::Khameleon:
            written = writer.WriteKhameleonList(fileName, keyList, count, options.listTitle);
            break;
        case ListFormat::Mala: {
            MalaListOptions mala;
            mala.listTitle = options.listTitle;
            mala.secondText = options.secondText;
            written = !fileName.empty() && writer.WriteMalaList(fileName, mala, keyList, count);
            break;
        }
        case ListFormat::MameUifx:
            written =
                !fileName.empty() && writer.WriteMameUifxList(fileName, kMameUifxHeader, keyList, count);
            break;
        case ListFormat::MameWah:
            written = writer.WriteMameWahList(fileName, keyList, count);
            break;
        case ListFormat::Maximus:
            written = writer.WriteMaximusList(fileName, options.romFolder, keyList, count);
            break;
        case ListFormat::MGalaxy:
            written = writer.WriteMGalaxyList(fileName, "", keyList, count);
            break;
        case ListFormat::MultiFe:
        case ListFormat::Xml:
            written = writer.WriteXmlList(fileName, keyList, count);
            break;
        case ListFormat::Descriptions:
            written = writer.WriteDescriptionList(fileName, keyList, count);
            break;
        case ListFormat::RomNames:
            written = writer.WriteRomNameList(fileName, keyList, count);
            break;
    }
    ui.ProgressClose();
    return written;
}

}  // namespace vantor
