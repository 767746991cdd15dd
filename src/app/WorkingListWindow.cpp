#include "WorkingListWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <unordered_set>
#include <utility>

#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "SortableListView.h"
#include "output/ListFormats.h"

namespace vantor::app {

std::string AddedMessage(int added, int already) {
    std::string text = "Added " + std::to_string(added) + (added == 1 ? " ROM" : " ROMs");
    if (already > 0) {
        text += "; " + std::to_string(already) + (already == 1 ? " was" : " were") + " in your list already";
    }
    return text + ".";
}

const QStringList& ListFormatNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const ListFormatInfo& info : ListFormatTable()) list << QString::fromUtf8(info.name);
        return list;
    }();
    return names;
}

WorkingListWindow::WorkingListWindow(const Catalog& catalog, QWidget* parent)
    : GameListWindow(catalog, QStringLiteral("workingListWindow"),
                     new QAction(QStringLiteral("Delete"), nullptr), parent) {
    formatBox_ = new QComboBox(this);
    formatBox_->setObjectName(QStringLiteral("formatBox"));
    formatBox_->addItems(ListFormatNames());
    formatBox_->setCurrentIndex(0);
    saveButton_ = new QPushButton(QStringLiteral("Save List to file"), this);
    saveButton_->setObjectName(QStringLiteral("saveButton"));
    saveButton_->setAutoDefault(false);
    previewButton_ = new QPushButton(QStringLiteral("Preview List"), this);
    previewButton_->setObjectName(QStringLiteral("previewButton"));
    previewButton_->setDefault(true);
    loadButton_ = new QPushButton(QStringLiteral("Load list..."), this);
    loadButton_->setObjectName(QStringLiteral("loadListButton"));
    loadButton_->setAutoDefault(false);
    copyRomsButton_ = new QPushButton(QStringLiteral("Copy ROMs to..."), this);
    copyRomsButton_->setObjectName(QStringLiteral("copyRomsButton"));
    copyRomsButton_->setAutoDefault(false);
    fixdatButton_ = new QPushButton(QStringLiteral("Save fixdat..."), this);
    fixdatButton_->setObjectName(QStringLiteral("fixdatButton"));
    fixdatButton_->setAutoDefault(false);
    auto* hint = new QLabel(QStringLiteral("To clear your list, simply close this window."), this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusText"));
    // A long note (one game per family adds to it) wraps instead of widening the window.
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Command()->setObjectName(QStringLiteral("deleteAction"));
    connect(Command(), &QAction::triggered, this, &WorkingListWindow::DeleteSelected);
    connect(list_, &SortableListView::DeletePressed, this, &WorkingListWindow::DeleteSelected);
    connect(formatBox_, &QComboBox::currentIndexChanged, this, &WorkingListWindow::UpdatePreviewButton);
    connect(saveButton_, &QPushButton::clicked, this, &WorkingListWindow::SaveList);
    connect(previewButton_, &QPushButton::clicked, this, &WorkingListWindow::PreviewList);
    connect(loadButton_, &QPushButton::clicked, this, &WorkingListWindow::LoadListFile);
    connect(copyRomsButton_, &QPushButton::clicked, this, &WorkingListWindow::CopyRoms);
    connect(fixdatButton_, &QPushButton::clicked, this, &WorkingListWindow::SaveFixdat);
    // Every game here is in the list.
    SetWorkingListCheck([](const std::string&) { return true; });

    auto* controls = new QHBoxLayout;
    controls->addWidget(formatBox_);
    controls->addWidget(saveButton_);
    controls->addWidget(previewButton_);
    controls->addStretch(1);
    controls->addWidget(copyRomsButton_);
    controls->addWidget(fixdatButton_);
    controls->addWidget(loadButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(ListWithPictures(), 1);
    layout->addLayout(controls);
    layout->addLayout(BuildFamilyRow());
    auto* notes = new QHBoxLayout;
    notes->addWidget(hint);
    notes->addWidget(status_, 1);
    layout->addLayout(notes);
}

WorkingListWindow::~WorkingListWindow() {
    // A list being written reads the master file, which goes with the main window after this one.
    save_.Drop();
    save_.WaitForWorker();
    romJob_.Drop();
    romJob_.WaitForWorker();
}

QString WorkingListWindow::StatusText() const {
    return status_->text();
}

int WorkingListWindow::PendingFills() const {
    return static_cast<int>(waiting_.size()) + (fill_.Running() ? 1 : 0);
}

void WorkingListWindow::ReceiveEntries(const HandOver& handOver) {
    waiting_.push_back(handOver);
    if (!fill_.Running()) StartNextFill();
}

void WorkingListWindow::StartNextFill() {
    if (waiting_.empty()) return;
    HandOver batch = std::move(waiting_.front());
    waiting_.pop_front();
    std::vector<MatchEntry> entries = std::move(batch.entries);
    batch.entries.clear();
    fill_ = RunThenDeliver(
        this,
        [entries = std::move(entries), sortByName = batch.sortByName](JobControl& control) mutable {
            return BuildGameRows(std::move(entries), sortByName, control);
        },
        [this, batch](Outcome<std::vector<ListTable::Row>> outcome) {
            OnFilled(batch, std::move(outcome));
            StartNextFill();
        });
}

void WorkingListWindow::OnFilled(const HandOver& batch, Outcome<std::vector<ListTable::Row>> outcome) {
    if (!outcome.Done()) {
        ShowOutcomeMessages(isVisible() ? this : parentWidget(), outcome);
        return;
    }
    // Keys of two files never meet in one list.
    const FileIdentity& open = catalog_.file.Identity();
    if (batch.source.value_or(open) != open) {
        status_->setText(QString::fromUtf8(kStaleBatchNote));
        return;
    }
    if (!KeysCurrent()) {
        ShowMessageBox(isVisible() ? this : parentWidget(), MessageIcon::Exclamation, kStaleWorkingList);
        return;
    }
    keysFrom_ = open;
    std::vector<ListTable::Row>& filled = outcome.value;
    // A game is in the list once: the games already there (from an earlier Go! or "Add to your
    // list") are skipped.
    std::unordered_set<std::string> keys;
    keys.reserve(static_cast<std::size_t>(list_->RowCount()) + filled.size());
    for (const ListTable::Row& row : list_->Table().Rows()) keys.insert(row[kKeyColumn]);
    std::vector<ListTable::Row> rows;
    rows.reserve(filled.size());
    for (ListTable::Row& row : filled) {
        if (keys.insert(row[kKeyColumn]).second) rows.push_back(std::move(row));
    }
    const int added = static_cast<int>(rows.size());
    const int already = static_cast<int>(filled.size()) - added;
    // An empty batch ("Add to your list" with nothing selected) only shows the window.
    if (batch.carriedOver) {
        status_->setText(FromBytes(batch.note));
    } else if (added + already > 0 || !batch.note.empty()) {
        std::string text = added + already > 0 ? AddedMessage(added, already) : std::string();
        if (!batch.note.empty()) text += (text.empty() ? "" : " ") + batch.note;
        status_->setText(FromBytes(text));
    }
    if (added > 0 && !batch.carriedOver) ++changes_;
    entryCount_ += added;
    if (batch.sortByName || list_->RowCount() > 0) {
        list_->Model()->MergeRows(std::move(rows), kNameColumn, true);
        list_->header()->setSortIndicatorShown(true);
        list_->header()->setSortIndicator(kNameColumn, Qt::AscendingOrder);
    } else {  // a list loaded: its own order
        list_->Model()->ReplaceRows(std::move(rows), -1, true);
        list_->header()->setSortIndicatorShown(false);
    }
    FitNameColumn();
    UpdateTitle(kWorkingListTitle);
    if (batch.setsHideRomNames) hideRomNames_ = batch.hideRomNames;
    show();
    raise();
    activateWindow();
    list_->setFocus();
    if (batch.carriedOver && !missingMessage_.empty())
        ShowMessageBox(this, MessageIcon::Exclamation, std::exchange(missingMessage_, {}));
    Q_EMIT BatchShown();
}

void WorkingListWindow::UpdateTitle(const char* format) {
    setWindowTitle(FromBytes(FormatCountTitle(format, entryCount_)));
}

void WorkingListWindow::DeleteSelected() {
    std::vector<int> rows = list_->SelectedRows();
    // Deleting the first selected row again and again ends at this index.
    const int mark = rows.empty() ? 0 : rows.back() - static_cast<int>(rows.size()) + 1;
    const int deleted = list_->Model()->DeleteRows(rows);
    entryCount_ -= deleted;
    if (deleted > 0) ++changes_;
    if (mark < list_->RowCount()) {
        list_->selectionModel()->setCurrentIndex(list_->Model()->index(mark, 1),
                                                 QItemSelectionModel::NoUpdate);
    }
    UpdateTitle(kWorkingListTitle);
}

void WorkingListWindow::UpdatePreviewButton() {
    const int index = formatBox_->currentIndex();
    if (index < 0 || index >= kListFormatCount) return;
    switch (ListFormatTable()[static_cast<std::size_t>(index)].previewButton) {
        case PreviewButton::Enabled:
            previewButton_->setEnabled(true);
            break;
        case PreviewButton::Disabled:
            previewButton_->setEnabled(false);
            break;
        case PreviewButton::Unchanged:
            break;
    }
}

void WorkingListWindow::LoadListFile() {
    // The master file stays open while the list is read: the load counts as a running save.
    if (saveRunning_) return;
    std::string path;
    if (!AskForFile(this, FileQuestion::Open, "Load list...", "All files (*)|*", "", path)) return;
    if (!ConfirmDiscard()) return;
    saveRunning_ = true;
    status_->clear();
    loadProgress_ = ShowJobProgress(this, QStringLiteral("Reading the list's games..."), ProgressUnit::Bytes,
                                    [this] { load_.Cancel(); });
    load_ = RunThenDeliver(
        this,
        // The log goes to the working folder, the per-user data folder.
        [catalog = SnapshotOf(catalog_), path](JobControl& control) {
            return vantor::LoadList(*catalog, {path, ""}, &control);
        },
        [this](Outcome<LoadedList> outcome) { OnListLoaded(std::move(outcome)); },
        [this](std::int64_t done, std::int64_t total) {
            if (loadProgress_) loadProgress_->SetProgress(done, total);
        });
}

void WorkingListWindow::OnListLoaded(Outcome<LoadedList> outcome) {
    delete loadProgress_;
    saveRunning_ = false;
    if (outcome.Cancelled()) {
        status_->setText(QString::fromUtf8(kCancelled));
        return;
    }
    ShowOutcomeMessages(this, outcome);
    if (!outcome.Done()) return;
    LoadedList& loaded = outcome.value;
    // The list's games replace the working list.
    HandOver handOver;
    handOver.entries = std::move(loaded.entries);
    handOver.setsHideRomNames = false;
    handOver.sortByName = false;
    ReplaceList(handOver);
}

void WorkingListWindow::ReplaceList(const HandOver& handOver) {
    fill_.Drop();
    waiting_.clear();
    list_->Model()->DeleteAllRows();
    entryCount_ = 0;
    ReceiveEntries(handOver);
}

void WorkingListWindow::CarryOver(std::vector<MatchEntry> games, std::vector<std::string> missing) {
    const int lost = static_cast<int>(missing.size());
    // Told over the list once it shows, where it cannot hide behind the list window.
    missingMessage_ = lost > 0 ? MissingGamesMessage(missing) : std::string();
    HandOver handOver;
    handOver.note = CarriedOverNote(static_cast<int>(games.size()), lost);
    handOver.entries = std::move(games);
    handOver.setsHideRomNames = false;
    handOver.sortByName = false;
    handOver.carriedOver = true;
    // Games left out make it another list than the one saved; the same games, found again, do not.
    if (lost > 0) ++changes_;
    ReplaceList(handOver);
}

std::string MissingGamesMessage(const std::vector<std::string>& missing) {
    // Enough names to recognise them; a message box is no place for hundreds.
    constexpr std::size_t kNamesShown = 30;
    std::string text =
        std::to_string(missing.size()) +
        (missing.size() == 1 ? " game of your working list is" : " games of your working list are") +
        " not in the new input file and were left out:\r\n";
    for (std::size_t i = 0; i < missing.size() && i < kNamesShown; ++i)
        text += (i > 0 ? ", " : "") + missing[i];
    if (missing.size() > kNamesShown)
        text += " and " + std::to_string(missing.size() - kNamesShown) + " more";
    return text + ".";
}

std::string WorkingListWindow::CarriedOverNote(int kept, int lost) {
    std::string text =
        "Carried over to the new input file: " + std::to_string(kept) + (kept == 1 ? " ROM" : " ROMs");
    if (lost > 0) text += "; " + std::to_string(lost) + " not in it";
    return text + ".";
}

void WorkingListWindow::ClearAndHide() {
    hide();
    // Batches still on their way belong to the list that goes.
    fill_.Drop();
    waiting_.clear();
    list_->Model()->DeleteAllRows();
    entryCount_ = 0;
    savedChanges_ = changes_;
    status_->clear();
}

std::string WorkingListWindow::DiscardQuestion(int count) {
    return "Your working list of " + std::to_string(count) +
           " ROMs has not been saved.\r\nDo you want to discard it?";
}

bool WorkingListWindow::ConfirmDiscard() {
    if (!Unsaved()) return true;
    return ShowMessageBox(isVisible() ? this : parentWidget(), MessageIcon::Exclamation,
                          DiscardQuestion(entryCount_),
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void WorkingListWindow::reject() {
    if (!saveRunning_ && ConfirmDiscard()) ClearAndHide();
}

void WorkingListWindow::closeEvent(QCloseEvent* event) {
    // The list being written stays until the writer is done with it.
    if (saveRunning_ || !ConfirmDiscard()) {
        event->ignore();
        return;
    }
    ClearAndHide();
    event->accept();
}

}  // namespace vantor::app
