#pragma once
// The list formats in the order of the (sorted) format box: one descriptor each, with what the
// save path, vantor-cli and the window need to know of it and the writer that makes it.
#include <array>
#include <memory>
#include <span>
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

// An option as one format takes it. vantor-cli's help, its check of a save's options and the
// window's options dialog are all made from these.
struct FormatOption {
    ListOption option;
    const char* help;         // what it does for this format, in vantor-cli's help
    const char* defaultText;  // "" or the default, shown in the help and greyed in the window
    const char* label = "";   // the window's name for it here; "" for the option's own
    bool required = false;    // vantor-cli asks for it; the window always asks its own question
};

// Everything about one list format. A new format is its writer file, a row of the table in
// ListFormats.cpp and its golden files.
struct ListFormatInfo {
    ListFormat format;
    const char* name;     // the text in the format box
    const char* cliName;  // vantor-cli's FORMAT word
    const char* summary;  // one line of help: what the list is
    std::array<FileType, 2> fileTypes;
    int fileTypeCount;
    const char* defaultExtension;
    PreviewButton previewButton;
    bool hasPreview;  // the text can be shown instead of saved
    bool namesGames;  // "Load list..." and save --from-list read its games back
    MakeListWriter makeWriter;
    std::span<const FormatOption> options;  // in the order the help and the window show them
    // The window asks the options in one dialog made from them and keeps the choice under this
    // settings prefix ("retroarch" + "RomFolder"); nullptr for a format whose questions are its own.
    const char* settingsPrefix = nullptr;
    const char* placement = "";   // where the list goes, the dialog's first line
    bool updatesInPlace = false;  // a list already at the target is updated, not replaced

    const FormatOption* Option(ListOption option) const {
        for (const FormatOption& taken : options) {
            if (taken.option == option) return &taken;
        }
        return nullptr;
    }
    bool Takes(ListOption option) const { return Option(option) != nullptr; }
};

// Indexed by the format box's (alphabetical) index.
const std::array<ListFormatInfo, kListFormatCount>& ListFormatTable();
const ListFormatInfo& FormatInfo(ListFormat format);
const ListFormatInfo* FindFormatByCliName(std::string_view cliName);
// "Batch File" as a Windows batch file: the table's entry has the shell-script file type.
FileType WindowsBatchFileType();
inline constexpr const char* kWindowsBatchExtension = "bat";

}  // namespace vantor
