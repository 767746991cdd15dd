#include "ResultListWindows.h"

#include <QAction>
#include <QHeaderView>
#include <QTimer>
#include <QVBoxLayout>

#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "SortableListView.h"

namespace vantor::app {

namespace {
// A fill that ends sooner than this shows no progress window at all.
constexpr int kProgressDelayMs = 300;
}  // namespace

ResultListWindow::ResultListWindow(const Catalog& catalog, Kind kind, QWidget* parent)
    : GameListWindow(
          catalog,
          kind == Kind::FullList ? QStringLiteral("fullListWindow") : QStringLiteral("searchResultsWindow"),
          new QAction(QStringLiteral("Add to your list"), nullptr), parent),
      kind_(kind) {
    addAction_ = Command();
    addAction_->setObjectName(QStringLiteral("addAction"));
    connect(addAction_, &QAction::triggered, this, &ResultListWindow::AddToWorkingList);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(ListWithPictures(), 1);

    progressDelay_ = new QTimer(this);
    progressDelay_->setSingleShot(true);
    connect(progressDelay_, &QTimer::timeout, this, &ResultListWindow::ShowProgressLater);
}

ResultListWindow::~ResultListWindow() = default;

void ResultListWindow::ReceiveEntries(const HandOver& handOver) {
    // The search results are filled with every batch, even an empty one; an empty batch for the
    // full list shows the rows it holds.
    if (kind_ == Kind::SearchResults || !handOver.entries.empty()) {
        StartFill(handOver);
        return;
    }
    if (handOver.setsHideRomNames) hideRomNames_ = handOver.hideRomNames;
    if (fill_.Running()) return;  // the fill shows the window when it is done
    ShowWindow();
    Q_EMIT BatchShown();
}

void ResultListWindow::StartFill(HandOver handOver) {
    std::vector<MatchEntry> entries = std::move(handOver.entries);
    handOver.entries.clear();
    const bool byName = handOver.sortByName;
    fill_ = RunThenDeliver(
        this,
        [entries = std::move(entries), byName](JobControl& control) mutable {
            return BuildGameRows(std::move(entries), byName, control);
        },
        [this, handOver](Outcome<std::vector<ListTable::Row>> outcome) {
            OnFilled(handOver, std::move(outcome));
        },
        [this](std::int64_t done, std::int64_t total) {
            if (progress_) progress_->SetProgress(done, total);
        });
    if (!progressDelay_->isActive() && !progress_) progressDelay_->start(kProgressDelayMs);
}

void ResultListWindow::ShowProgressLater() {
    if (!fill_.Running()) return;
    progress_ = std::make_unique<ProgressDialog>(nullptr);
    progress_->SetUnit(ProgressUnit::Games);
    progress_->SetCancellable(true);
    connect(progress_.get(), &ProgressDialog::CancelRequested, this, [this] { fill_.Cancel(); });
    progress_->Show(true, 1000, QStringLiteral("Building list, one moment please..."), QString());
}

void ResultListWindow::OnFilled(const HandOver& batch, Outcome<std::vector<ListTable::Row>> outcome) {
    progressDelay_->stop();
    progress_.reset();
    if (outcome.Cancelled()) {
        Q_EMIT FillCancelled();
        return;
    }
    if (!outcome.Done()) {
        ShowOutcomeMessages(isVisible() ? this : nullptr, outcome);
        return;
    }
    entryCount_ = static_cast<int>(outcome.value.size());
    keysFrom_ = batch.source.value_or(catalog_.file.Identity());
    titleFormat_ = batch.titleFormat;
    const bool byName = batch.sortByName;
    list_->Model()->ReplaceRows(std::move(outcome.value), byName ? kNameColumn : -1, true);
    list_->header()->setSortIndicatorShown(byName);
    if (byName) list_->header()->setSortIndicator(kNameColumn, Qt::AscendingOrder);
    FitNameColumn();
    setWindowTitle(FromBytes(FormatCountTitle(batch.titleFormat, entryCount_)));
    if (batch.setsHideRomNames) hideRomNames_ = batch.hideRomNames;
    ShowWindow();
    Q_EMIT BatchShown();
}

void ResultListWindow::ShowWindow() {
    show();
    raise();
    activateWindow();
    list_->setFocus();
}

void ResultListWindow::AddToWorkingList() {
    HandOver handOver;
    handOver.entries = EntriesFromGameRows(list_->Table(), list_->SelectedRows());
    handOver.setsHideRomNames = false;
    handOver.source = keysFrom_;
    Q_EMIT EntriesForWorkingList(handOver);
}

void ResultListWindow::Clear() {
    hide();
    fill_.Drop();
    progressDelay_->stop();
    progress_.reset();
    list_->Model()->DeleteAllRows();
    entryCount_ = 0;
}

void ResultListWindow::CarryOver(std::vector<MatchEntry> games) {
    HandOver handOver;
    handOver.entries = std::move(games);
    handOver.titleFormat = titleFormat_;
    handOver.setsHideRomNames = false;
    handOver.sortByName = false;
    StartFill(std::move(handOver));
}

}  // namespace vantor::app
