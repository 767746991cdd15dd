// "Save List to file" and "Preview List": the working list's keys, the format's own questions, the
// file dialog, then the save on a worker behind the "Creating list..." progress window, whose
// Cancel leaves every file as it was.
#include "BackgroundWork.h"
#include "CsvDialogs.h"
#include "FormatDialogs.h"
#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "SortableListView.h"
#include "TextWindow.h"
#include "WorkingListWindow.h"
#include "gamedata/TextUtil.h"
#include "output/SaveList.h"

#include <QComboBox>
#include <QLabel>

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

// A front end's options, offered as last chosen and remembered when confirmed. Asked before a
// preview too: they shape the paths in the list. Categories need a merged master file.
bool AskFormatOptions(QWidget* parent, const ListFormatInfo& format, bool merged, ListOptions& options) {
    FormatOptionsDialog dialog(format, LoadFormatChoice(format), merged, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    (void)SaveFormatChoice(format,
                           dialog.Choice());  // a store that cannot be written only forgets the choice
    for (const FormatOption& taken : format.options) {
        if (!dialog.Choice().Has(taken.option)) continue;
        if (taken.option == ListOption::SplitByCategory && !merged) continue;
        options.Set(taken.option, dialog.Choice().Text(taken.option));
    }
    return true;
}

}  // namespace

// What the writer made: how the save went, and the preview's text.
struct SavedList {
    std::int64_t games = 0;
    std::string previewText;
};

void WorkingListWindow::SaveList() {
    RunSave(false);
}

void WorkingListWindow::PreviewList() {
    RunSave(true);
}

void WorkingListWindow::RunSave(bool preview) {
    if (saveRunning_) return;
    saveRunning_ = true;
    if (StartSave(preview)) return;  // the writer's outcome ends it
    saveRunning_ = false;
    Q_EMIT SaveFinished();
}

bool WorkingListWindow::StartSave(bool preview) {
    const int index = formatBox_->currentIndex();
    if (index < 0 || index >= kListFormatCount) return false;
    const ListFormatInfo& info = ListFormatTable()[static_cast<std::size_t>(index)];
    if (preview && !info.hasPreview) return false;
    // Keys of an earlier input file would write other games, or empty entries.
    if (!KeysCurrent()) {
        ShowMessageBox(this, MessageIcon::Exclamation, kStaleWorkingList);
        return false;
    }

    SaveRequest request;
    request.format = info.format;
    request.keysFrom = keysFrom_;
    const ListTable& table = list_->Table();
    request.keys.reserve(static_cast<std::size_t>(table.RowCount()));
    for (int row = 0; row < table.RowCount(); ++row)
        request.keys.push_back(ParseRecordKey(table.Cell(row, kKeyColumn)));

    std::string fileName;
    if (!AskBeforeFileDialog(info, request.options)) return false;
    SaveFileType saveType = SaveTypeOf(info, batchForm_);
    saveType.masterFile = catalog_.file.Path();
    // No questions before the preview: the title and the folder stay empty.
    if (!preview && !AskForListFile(info, saveType, request.options, fileName)) return false;
    if (!AskAfterFileDialog(info, request.options)) return false;
    StartWriter(std::move(request), fileName, preview, saveType);
    return true;
}

bool WorkingListWindow::AskBeforeFileDialog(const ListFormatInfo& info, ListOptions& options) {
    if (info.format == ListFormat::Batch) {
        // Before the file dialog: the form decides the file's type.
        BatchTemplateDialog dialog(batchTemplate_, batchForm_, this);
        if (dialog.exec() != QDialog::Accepted) return false;
        batchTemplate_ = dialog.TemplateText();
        batchForm_ = dialog.Form();
        options.Set(ListOption::Template, batchTemplate_);
        if (batchForm_ == BatchForm::Windows) options.Set(ListOption::WindowsBatch);
    }
    return info.settingsPrefix == nullptr ||
           AskFormatOptions(this, info, catalog_.inputType == MergedList, options);
}

bool WorkingListWindow::AskForListFile(const ListFormatInfo& info, const SaveFileType& saveType,
                                       ListOptions& options, std::string& fileName) {
    switch (info.format) {
        case ListFormat::Khameleon:
        case ListFormat::Mala: {
            ListTitleDialog dialog({}, this);
            if (dialog.exec() != QDialog::Accepted) return false;
            options.Set(ListOption::Title, dialog.TitleText());
            break;
        }
        case ListFormat::Maximus: {
            ShowMessageBox(this, MessageIcon::Information, kMaximusNote);
            std::string folder;
            if (!AskForFile(this, FileQuestion::Folder, "Point me to your ROMs folder...", "", "", folder))
                return false;
            options.Set(ListOption::RomFolder, folder);
            break;
        }
        default:
            break;
    }
    return AskForFile(this, FileQuestion::Save, "Save file as...", saveType.filter, saveType.defaultExt,
                      fileName, info.updatesInPlace);
}

bool WorkingListWindow::AskAfterFileDialog(const ListFormatInfo& info, ListOptions& options) {
    switch (info.format) {
        case ListFormat::Cabrio: {
            CabrioSettingsDialog dialog(this);
            if (dialog.exec() != QDialog::Accepted) return false;
            options.Set(ListOption::Title, dialog.ListTitle());
            options.Set(ListOption::LogoFolder, dialog.LogoFolder());
            options.Set(ListOption::ScreenshotFolder, dialog.ScreenshotFolder());
            options.Set(ListOption::BackgroundFolder, dialog.BackgroundFolder());
            return true;
        }
        case ListFormat::Csv: {
            CsvColumnsDialog dialog(catalog_.inputType, csvChoice_, this);
            if (dialog.exec() != QDialog::Accepted) return false;
            options = dialog.Options();
            csvChoice_ = dialog.Choice();
            return true;
        }
        default:
            return true;
    }
}

void WorkingListWindow::StartWriter(SaveRequest request, const std::string& fileName, bool preview,
                                    const SaveFileType& saveType) {
    // The job owns what it writes from, the catalog it reads included.
    const CatalogSnapshot catalog = SnapshotOf(catalog_);
    const std::uint64_t changes = changes_;
    status_->clear();
    // From the moment the file is being put in place, Cancel can no longer keep the old one.
    saveProgress_ = ShowJobProgress(this, QString::fromUtf8(kCreatingList), ProgressUnit::Games, [this] {
        if (!save_.Cancel() && saveProgress_) saveProgress_->RefuseCancel();
    });
    save_ = RunWriteThenDeliver(
        this,
        [catalog, request = std::move(request), fileName, preview](JobControl& control) {
            if (preview) {
                StringSink text;
                Outcome<SavedGames> saved = vantor::SaveList(*catalog, request, text, &control);
                const std::int64_t games = saved.value.games;
                return std::move(saved).With(SavedList{games, text.Text()});
            }
            FileSink file(fileName);
            Outcome<SavedGames> saved = vantor::SaveList(*catalog, request, file, &control);
            const std::int64_t games = saved.value.games;
            return std::move(saved).With(SavedList{games, {}});
        },
        [this, preview, saveType, changes, fileName](Outcome<SavedList> outcome) {
            OnSaved(preview, saveType, changes, fileName, std::move(outcome));
        },
        [this](std::int64_t done, std::int64_t total) {
            if (!saveProgress_) return;
            saveProgress_->SetProgress(done, total);
            if (save_.FinalStepBegun()) saveProgress_->RefuseCancel();
        });
}

void WorkingListWindow::OnSaved(bool preview, const SaveFileType& saveType, std::uint64_t changesSaved,
                                const std::string& fileName, Outcome<SavedList> outcome) {
    // A Cancel pressed just as the file went into place: the user is told it was saved after all.
    const bool cancelRefused =
        saveProgress_ && saveProgress_->CancelPending() && saveProgress_->CancelRefused();
    delete saveProgress_;
    // Still running while the outcome is told: the window stays, the master file stays open.
    if (outcome.Cancelled()) {
        status_->setText(QString::fromUtf8(kCancelled));
    } else {
        ShowOutcomeMessages(this, outcome);  // why it failed, or the notes on what was written
    }
    if (outcome.Done() && preview) {
        ShowPreview(outcome.value.previewText, saveType, changesSaved);
    } else if (outcome.Done()) {
        savedChanges_ = changesSaved;
        const std::string note = SavedNote(outcome.value.games, fileName);
        status_->setText(FromBytes(note));
        if (cancelRefused) ShowMessageBox(this, MessageIcon::Information, kTooLateToCancel + note);
    }
    saveRunning_ = false;
    Q_EMIT SaveFinished();
}

std::string SavedNote(std::int64_t games, const std::string& path) {
    return "Saved " + std::to_string(games) + (games == 1 ? " ROM to " : " ROMs to ") + path + ".";
}

void WorkingListWindow::ShowPreview(const std::string& text, const SaveFileType& saveType,
                                    std::uint64_t changesShown) {
    // Opened without a nested event loop, window-modal over the list it shows: the window
    // deletes itself when closed.
    auto* window = new TextWindow("List Preview", text, true, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::WindowModal);
    window->SetSaveFileType(saveType);
    connect(window, &TextWindow::TextSaved, this, [this, changesShown] { savedChanges_ = changesShown; });
    window->open();
}

}  // namespace vantor::app
