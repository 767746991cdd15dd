#include "ResultListWindows.h"

#include <QAction>
#include <QHeaderView>
#include <QPushButton>
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
          catalog, kind == Kind::FullList ? QStringLiteral("fullListDlg") : QStringLiteral("searchItemsDlg"),
          new QAction(QStringLiteral("Add to your list"), nullptr), parent),
      kind_(kind) {
    // The template's buttons exist but stay hidden.
    const struct {
        const char* name;
        const char* text;
    } hidden[] = {{"id1", "OK"}, {"id2", "Cancel"}, {"id1068", ""}};
    for (const auto& button : hidden) {
        auto* push = new QPushButton(QString::fromUtf8(button.text), this);
        push->setObjectName(QString::fromUtf8(button.name));
        push->setAutoDefault(false);
        push->hide();
    }

    addAction_ = Command();
    addAction_->setObjectName(QStringLiteral("id32774"));
    connect(addAction_, &QAction::triggered, this, &ResultListWindow::AddToWorkingList);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(list_);

    fill_ = new ListFillThread(this);
    connect(fill_, &ListFillThread::Filled, this, &ResultListWindow::OnFilled);
    connect(fill_, &ListFillThread::Progress, this, &ResultListWindow::OnFillProgress);
    progressDelay_ = new QTimer(this);
    progressDelay_->setSingleShot(true);
    connect(progressDelay_, &QTimer::timeout, this, &ResultListWindow::ShowProgressLater);
}

ResultListWindow::~ResultListWindow() = default;

int ResultListWindow::PendingFills() const {
    return fill_->Pending();
}

void ResultListWindow::ReceiveEntries(const HandOver& handOver) {
    // The search results take the hide setting before their fill, the full list after it; with
    // fills on their own thread both simply take it with the batch.
    const bool fills = kind_ == Kind::SearchResults || !handOver.entries.empty();
    if (fills && !progressDelay_->isActive() && !progress_) progressDelay_->start(kProgressDelayMs);
    fill_->Request(handOver, kind_ == Kind::SearchResults);
}

void ResultListWindow::ShowProgressLater() {
    if (fill_->Pending() == 0) return;
    progress_ = std::make_unique<ProgressDialog>(nullptr);
    progress_->Show(true, 1000, QStringLiteral("Building list, one moment please..."), QString());
}

void ResultListWindow::OnFillProgress(quint64, qint64 done, qint64 total) {
    if (progress_) progress_->SetProgress(done, total);
}

void ResultListWindow::OnFilled(FillResultPtr result) {
    if (result->hasRows) {
        entryCount_ = static_cast<int>(result->rows.size());
        const bool byName = result->handOver.sortByName;
        list_->Model()->ReplaceRows(std::move(result->rows), byName ? kNameColumn : -1, true);
        list_->header()->setSortIndicatorShown(byName);
        if (byName) list_->header()->setSortIndicator(kNameColumn, Qt::AscendingOrder);
        FitNameColumn();
        setWindowTitle(FromBytes(FormatCountTitle(result->handOver.titleFormat, entryCount_)));
    }
    if (result->handOver.setsHideRomNames) hideRomNames_ = result->handOver.hideRomNames;
    if (fill_->Pending() == 0) {
        progressDelay_->stop();
        progress_.reset();
    }
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
    Q_EMIT EntriesForWorkingList(handOver);
}

}  // namespace vantor::app
