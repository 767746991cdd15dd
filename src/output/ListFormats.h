#pragma once
// The list formats in the order of the (sorted) format box, with what the save path
// needs to know of each and the writer that makes each. A new format is a writer file and a row
// here.
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "ListOptions.h"
#include "ListWriter.h"

namespace vantor {

enum class ListFormat : int {
    AdvanceMenu = 0,
    AtomicFe,
    AttractMode,
    AttractModePlus,
    Batch,
    Cabrio,
    Csv,
    EsBatocera,
    EsDe,
    HyperSpin,
    Khameleon,
    Mala,
    MameUifx,
    MameWah,
    Maximus,
    MGalaxy,
    MultiFe,
    Pegasus,
    RetroArch,
    Descriptions,
    RomNames,
    Xml,
};
inline constexpr int kListFormatCount = 22;

// What choosing the format does to the "Preview List" button.
enum class PreviewButton { Unchanged, Enabled, Disabled };

struct FileType {
    const char* description;  // "xml files (*.xml)"
    const char* pattern;      // "*.xml"
};

using MakeListWriter = std::unique_ptr<ListWriter> (*)(const ListOptions& options);

struct ListFormatInfo {
    ListFormat format;
    const char* name;     // the text in the format box
    const char* cliName;  // vantor-cli's FORMAT word
    std::array<FileType, 2> fileTypes;
    int fileTypeCount;
    const char* defaultExtension;
    PreviewButton previewButton;
    bool hasPreview;  // the text can be shown instead of saved
    MakeListWriter makeWriter;
    ListOptionSet options;   // the options it takes
    ListOptionSet required;  // those it cannot do without (vantor-cli asks for them)
};

// Indexed by the format box's (alphabetical) index.
const std::array<ListFormatInfo, kListFormatCount>& ListFormatTable();
const ListFormatInfo& FormatInfo(ListFormat format);
const ListFormatInfo* FindFormatByCliName(std::string_view cliName);
// "Batch File" as a Windows batch file: the table's entry has the shell-script file type.
FileType WindowsBatchFileType();
inline constexpr const char* kWindowsBatchExtension = "bat";

}  // namespace vantor
