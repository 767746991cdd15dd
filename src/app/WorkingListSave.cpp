// "Save List to file" and "Preview List": the working list's keys, the format's own questions, the
// file dialog, then the writer on a worker thread behind the "Creating list..." progress window.
#include "BackgroundWork.h"
#include "CsvDialogs.h"
#include "FormatDialogs.h"
#include "TextWindow.h"
#include "WorkingListWindow.h"
#include "QtUserInterface.h"
#include "SortableListView.h"
#include "gamedata/MasterFile.h"
#include "gamedata/TagTable.h"
#include "output/ListFormats.h"
#include "utilities/UtilityCommon.h"

#include <QComboBox>

namespace vantor::app {

namespace {

// The converter runs on Windows; what it needs from us is the text file.
constexpr const char* kMaximusNote =
    "To create a Maximus .LST file you will need to download the Maximus Game List Converter tool from the "
    "maximum arcade website.\r\nSimply open the output .txt file that we're about to create with that tool "
    "and it will make your .LST file.\r\n\r\nThis next dialog box will ask you where your ROMs are located, "
    "then I'll ask where to save your .txt file list.";

// The save dialog's file types as "description|pattern" pairs; a batch file is saved in the form
// chosen for it.
SaveFileType SaveTypeOf(const ListFormatInfo& info, const SaveOptions& options) {
    SaveFileType type;
    type.filter.clear();
    for (int i = 0; i < info.fileTypeCount; ++i) {
        const FileType& fileType = info.fileTypes[static_cast<std::size_t>(i)];
        if (!type.filter.empty()) type.filter += '|';
        type.filter += std::string(fileType.description) + "|" + fileType.pattern;
    }
    type.defaultExt = info.defaultExtension;
    if (info.format == ListFormat::Batch) {
        if (options.batchForm == BatchForm::Windows) {
            const FileType windows = WindowsBatchFileType();
            type.filter = std::string(windows.description) + "|" + windows.pattern;
            type.defaultExt = kWindowsBatchExtension;
        }
        type.executable = options.batchForm == BatchForm::Shell;
    }
    return type;
}

}  // namespace

void WorkingListWindow::SaveList() {
    if (saveRunning_) return;
    saveRunning_ = true;
    RunSave();
    saveRunning_ = false;
    Q_EMIT SaveFinished();
}

void WorkingListWindow::RunSave() {
    const int index = formatBox_->currentIndex();
    if (index < 0 || index >= kListFormatCount) return;
    const ListFormatInfo& info = ListFormatTable()[static_cast<std::size_t>(index)];

    std::vector<std::string> rowKeys;
    const ListTable& table = list_->Table();
    rowKeys.reserve(static_cast<std::size_t>(table.RowCount()));
    for (int row = 0; row < table.RowCount(); ++row) rowKeys.push_back(table.Cell(row, kKeyColumn));
    std::string keyList;
    const std::int64_t count = BuildKeyList(rowKeys, keyList);

    SaveOptions options;
    options.batchForm = batchForm_;
    options.batchTemplate = batchTemplate_;
    if (info.format == ListFormat::Batch) {
        // Before the file dialog: the form decides the file's type.
        BatchTemplateDialog dialog(batchTemplate_, batchForm_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        batchTemplate_ = options.batchTemplate = dialog.TemplateText();
        batchForm_ = options.batchForm = dialog.Form();
    }
    const SaveFileType saveType = SaveTypeOf(info, options);
    std::string fileName;
    if (previewMode_) {
        // No questions before the preview: the title and the folder stay empty.
        fileName = kPreviewMarker;
    } else {
        switch (info.format) {
            case ListFormat::Khameleon:
            case ListFormat::Mala: {
                ListTitleDialog dialog({}, {}, this);
                if (dialog.exec() != QDialog::Accepted) return;
                options.listTitle = dialog.TitleText();
                options.secondText = dialog.SecondText();
                break;
            }
            case ListFormat::Maximus: {
                ShowMessageBox(this, MessageIcon::Information, kMaximusNote);
                std::string folder;
                if (!AskForFile(this, FileQuestion::Folder, "Point me to your ROMs folder...", "", "",
                                folder))
                    return;
                options.romFolder = WithTrailingSlash(folder);
                break;
            }
            default:
                break;
        }
        if (!AskForFile(this, FileQuestion::Save, "Save file as...", saveType.filter, saveType.defaultExt,
                        fileName)) {
            return;
        }
    }

    switch (info.format) {
        case ListFormat::Cabrio: {
            CabrioSettingsDialog dialog(this);
            if (dialog.exec() != QDialog::Accepted) return;
            options.listTitle = dialog.ListTitle();
            options.logoFolder = dialog.LogoFolder();
            options.screenshotFolder = dialog.ScreenshotFolder();
            options.backgroundFolder = dialog.BackgroundFolder();
            break;
        }
        case ListFormat::Csv: {
            CsvColumnsDialog dialog(catalog_.inputType, csvChoice_, this);
            if (dialog.exec() != QDialog::Accepted) return;
            options.csv = dialog.Options();
            csvChoice_ = dialog.Choice();
            break;
        }
        default:
            break;
    }

    bool written = false;
    RunInBackground(this, [&](UserInterface& ui) {
        ListWriter writer(catalog_, ui);
        written = RunListWriter(writer, ui, info.format, fileName, keyList, count, options);
    });
    if (previewMode_ && written) {
        TextWindow preview("List Preview", fileName, true, this);
        preview.SetSaveFileType(saveType);
        preview.exec();
        if (preview.Saved()) unsaved_ = false;
    } else if (written) {
        unsaved_ = false;
    }
}

}  // namespace vantor::app
