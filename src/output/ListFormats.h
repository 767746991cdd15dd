#pragma once
// The seventeen list formats in the order of the (sorted) format box, with what the save path
// needs to know of each, and the engine side of "Save List to file" and "Preview List".
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "ListWriter.h"

namespace vantor {

enum class ListFormat : int {
    AdvanceMenu = 0,
    AtomicFe,
    AttractMode,
    Batch,
    Cabrio,
    Csv,
    HyperSpin,
    Khameleon,
    Mala,
    MameUifx,
    MameWah,
    Maximus,
    MGalaxy,
    MultiFe,
    Descriptions,
    RomNames,
    Xml,
};
inline constexpr int kListFormatCount = 17;

// What choosing the format does to the "Preview List" button.
enum class PreviewButton { Unchanged, Enabled, Disabled };

struct FileType {
    const char* description;  // "xml files (*.xml)"
    const char* pattern;      // "*.xml"
};

struct ListFormatInfo {
    ListFormat format;
    const char* name;     // the text in the format box
    const char* cliName;  // vantor-cli's FORMAT word
    std::array<FileType, 2> fileTypes;
    int fileTypeCount;
    const char* defaultExtension;
    PreviewButton previewButton;
    bool handsBackText;  // the writer serves the preview marker
};

// Indexed by the format box's (alphabetical) index.
const std::array<ListFormatInfo, kListFormatCount>& ListFormatTable();
const ListFormatInfo& FormatInfo(ListFormat format);
const ListFormatInfo* FindFormatByCliName(std::string_view cliName);
// The save dialog's file types as one filter text, "description;;description".
std::string SaveDialogFilter(const ListFormatInfo& info);
// "Batch File" as a Windows batch file: the table's entry has the shell-script file type.
FileType WindowsBatchFileType();
inline constexpr const char* kWindowsBatchExtension = "bat";
// Adds the executable bits wherever the file may be read (a saved shell script).
bool MarkExecutable(const std::string& path);

// The format's own choices, gathered by its dialogs (or vantor-cli's options).
struct SaveOptions {
    std::string listTitle;                                       // Khameleon, MaLa, Cabrio
    std::string secondText;                                      // MaLa: carried along, not written
    std::string logoFolder, screenshotFolder, backgroundFolder;  // Cabrio
    std::string romFolder;  // Maximus Arcade, with its trailing separator
    BatchForm batchForm = BatchForm::Shell;
    std::string batchTemplate = kShellBatchTemplate;
    CsvListOptions csv;
};

// Runs the format's writer behind the "Creating list..." progress window. `fileName` is the
// chosen path, or the preview marker, which then receives the text; the formats that cannot hand
// text back refuse the marker (false, nothing written). False also when the file could not be
// written; the user has then been told.
bool RunListWriter(ListWriter& writer, UserInterface& ui, ListFormat format, std::string& fileName,
                   std::string_view keyList, std::int64_t count, const SaveOptions& options);

}  // namespace vantor
