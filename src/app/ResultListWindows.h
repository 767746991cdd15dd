#pragma once
// The two result windows of the main window's searches: the full list ("List all ROMs") and the
// search results ("ROM Search"). Each is a modeless top-level window; batches reach it through
// ReceiveEntries (a queued connection), are turned into rows on its own fill thread and shown in
// the order they came.
#include <QPointer>
#include <string>

#include "AppState.h"
#include "GameListWindow.h"
#include "ListFillWorker.h"

class QAction;
class QTimer;

namespace vantor::app {

class ProgressDialog;

class ResultListWindow : public GameListWindow {
    Q_OBJECT
  public:
    enum class Kind { FullList, SearchResults };

    ~ResultListWindow() override;

    int EntryCount() const { return entryCount_; }
    // Batches handed over and not yet shown.
    int PendingFills() const;

    // The context menu's own command.
    void AddToWorkingList();

  public Q_SLOTS:
    void ReceiveEntries(const vantor::app::HandOver& handOver);

  Q_SIGNALS:
    // "Add to your list": the selected rows for the working list.
    void EntriesForWorkingList(const vantor::app::HandOver& handOver);
    // A batch has been shown (after its fill, if it had one).
    void BatchShown();

  protected:
    ResultListWindow(const Catalog& catalog, Kind kind, QWidget* parent);

  private:
    void OnFilled(FillResultPtr result);
    void OnFillProgress(quint64 ticket, qint64 done, qint64 total);
    void ShowProgressLater();
    void ShowWindow();

    Kind kind_;
    ListFillThread* fill_;
    QAction* addAction_;
    int entryCount_ = 0;
    std::unique_ptr<ProgressDialog> progress_;
    QTimer* progressDelay_;
};

class FullListWindow : public ResultListWindow {
    Q_OBJECT
  public:
    explicit FullListWindow(const Catalog& catalog, QWidget* parent = nullptr)
        : ResultListWindow(catalog, Kind::FullList, parent) {}
};

class SearchResultsWindow : public ResultListWindow {
    Q_OBJECT
  public:
    explicit SearchResultsWindow(const Catalog& catalog, QWidget* parent = nullptr)
        : ResultListWindow(catalog, Kind::SearchResults, parent) {}
};

}  // namespace vantor::app
