// "Save List to file" and "Preview List": the working list's keys, the format's own questions, the
// file dialog, then the save on a worker thread behind the "Creating list..." progress window.
#include "BackgroundWork.h"
#include "CsvDialogs.h"
#include "FormatDialogs.h"
#include "QtUserInterface.h"
#include "SortableListView.h"
#include "TextWindow.h"
#include "WorkingListWindow.h"
#include "gamedata/TextUtil.h"
#include "output/SaveList.h"

#include <QComboBox>

namespace vantor::app {

namespace {

// The converter runs on Windows; what it needs from us is the text file.
constexpr const char* kMaximusNote =
    "To create a Maximus .LST file you will need to download the Maximus Game List Converter tool from the "
    "maximum arcade website.\r\nSimply open the output .txt file that we're about to create with that tool "
    "and it will make your .LST file.\r\n\r\nThis next dialog box will ask you where your ROMs are located, "
    "then I'll ask where to save your .txt file list.";

// The writer's progress on the progress window.
class WindowProgress : public ProgressSink {
  public:
    explicit WindowProgress(UserInterface& ui) : ui_(ui) {}
    void Progress(std::int64_t done, std::int64_t total) override { ui_.ProgressUpdate(done, total); }

  private:
    UserInterface& ui_;
};

// The save dialog's file types as "description|pattern" pairs; a batch file is saved in the form
// chosen for it.
SaveFileType SaveTypeOf(const ListFormatInfo& info, BatchForm batchForm) {
    SaveFileType type;
    type.filter.clear();
    for (int i = 0; i < info.fileTypeCount; ++i) {
        const FileType& fileType = info.fileTypes[static_cast<std::size_t>(i)];
        if (!type.filter.empty()) type.filter += '|';
        type.filter += std::string(fileType.description) + "|" + fileType.pattern;
    }
    type.defaultExt = info.defaultExtension;
    if (info.format == ListFormat::Batch) {
        if (batchForm == BatchForm::Windows) {
            const FileType windows = WindowsBatchFileType();
            type.filter = std::string(windows.description) + "|" + windows.pattern;
            type.defaultExt = kWindowsBatchExtension;
        }
        type.executable = batchForm == BatchForm::Shell;
    }
    return type;
}

// The EmulationStation options, offered as last chosen and remembered when confirmed. Asked before
// a preview too: they shape the paths in the list.
bool AskGamelistOptions(QWidget* parent, ListFormat format, bool merged, ListOptions& options) {
    const bool batocera = format == ListFormat::EsBatocera;
    GamelistOptionsDialog dialog(GamelistSettings::Load(), batocera, merged, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    const GamelistSettings& choice = dialog.Choice();
    (void)choice.Save();  // a store that cannot be written only forgets the choice
    if (!choice.romFolder.empty()) options.Set(ListOption::RomFolder, choice.romFolder);
    if (!choice.romExtension.empty()) options.Set(ListOption::RomExtension, choice.romExtension);
    if (batocera && choice.media) options.Set(ListOption::Media);
    if (choice.hideRemoved) options.Set(ListOption::HideRemoved);
    if (merged && choice.splitByCategory) options.Set(ListOption::SplitByCategory);
    return true;
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
    if (previewMode_ && !info.hasPreview) return;

    SaveRequest request;
    request.format = info.format;
    const ListTable& table = list_->Table();
    request.keys.reserve(static_cast<std::size_t>(table.RowCount()));
    for (int row = 0; row < table.RowCount(); ++row)
        request.keys.push_back(ParseRecordKey(table.Cell(row, kKeyColumn)));

    ListOptions& options = request.options;
    if (info.format == ListFormat::Batch) {
        // Before the file dialog: the form decides the file's type.
        BatchTemplateDialog dialog(batchTemplate_, batchForm_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        batchTemplate_ = dialog.TemplateText();
        batchForm_ = dialog.Form();
        options.Set(ListOption::Template, batchTemplate_);
        if (batchForm_ == BatchForm::Windows) options.Set(ListOption::WindowsBatch);
    }
    const bool gamelist = info.format == ListFormat::EsDe || info.format == ListFormat::EsBatocera;
    if (gamelist && !AskGamelistOptions(this, info.format, catalog_.inputType == MergedList, options)) return;
    SaveFileType saveType = SaveTypeOf(info, batchForm_);
    saveType.masterFile = catalog_.file.Path();
    std::string fileName;
    // No questions before the preview: the title and the folder stay empty.
    if (!previewMode_) {
        switch (info.format) {
            case ListFormat::Khameleon:
            case ListFormat::Mala: {
                ListTitleDialog dialog({}, this);
                if (dialog.exec() != QDialog::Accepted) return;
                options.Set(ListOption::Title, dialog.TitleText());
                break;
            }
            case ListFormat::Maximus: {
                ShowMessageBox(this, MessageIcon::Information, kMaximusNote);
                std::string folder;
                if (!AskForFile(this, FileQuestion::Folder, "Point me to your ROMs folder...", "", "",
                                folder))
                    return;
                options.Set(ListOption::RomFolder, folder);
                break;
            }
            default:
                break;
        }
        if (!AskForFile(this, FileQuestion::Save, "Save file as...", saveType.filter, saveType.defaultExt,
                        fileName, gamelist)) {
            return;
        }
    }

    switch (info.format) {
        case ListFormat::Cabrio: {
            CabrioSettingsDialog dialog(this);
            if (dialog.exec() != QDialog::Accepted) return;
            options.Set(ListOption::Title, dialog.ListTitle());
            options.Set(ListOption::LogoFolder, dialog.LogoFolder());
            options.Set(ListOption::ScreenshotFolder, dialog.ScreenshotFolder());
            options.Set(ListOption::BackgroundFolder, dialog.BackgroundFolder());
            break;
        }
        case ListFormat::Csv: {
            CsvColumnsDialog dialog(catalog_.inputType, csvChoice_, this);
            if (dialog.exec() != QDialog::Accepted) return;
            options = dialog.Options();
            csvChoice_ = dialog.Choice();
            break;
        }
        default:
            break;
    }

    StringSink preview;
    FileSink file(fileName);
    ListSink& target = previewMode_ ? static_cast<ListSink&>(preview) : file;
    SaveOutcome outcome;
    RunInBackground(this, [&](UserInterface& ui) {
        ui.ProgressShow(kCreatingList, "");
        WindowProgress progress(ui);
        outcome = vantor::SaveList(catalog_, request, target, &progress);
        ui.ProgressClose();
    });
    if (outcome.status == SaveStatus::Failed) ShowMessageBox(this, outcome.icon, outcome.message);
    if (!outcome.Written()) return;
    for (const SaveNote& note : outcome.notes) ShowMessageBox(this, note.icon, note.text);
    if (previewMode_) {
        TextWindow window("List Preview", preview.Text(), true, this);
        window.SetSaveFileType(saveType);
        window.exec();
        if (window.Saved()) unsaved_ = false;
    } else {
        unsaved_ = false;
    }
}

}  // namespace vantor::app
