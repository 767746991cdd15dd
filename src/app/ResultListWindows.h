#pragma once
// The two result windows of the main window's searches: the full list ("List all ROMs") and the
// search results ("ROM Search"). Each is a modeless top-level window; batches reach it through
// ReceiveEntries (a queued connection) and are turned into rows on a worker. Each batch replaces
// the rows, so a batch that comes while the one before is still being filled takes its place.
#include <memory>
#include <string>

#include "AppState.h"
#include "BackgroundWork.h"
#include "GameListWindow.h"

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
    // A batch is being turned into rows.
    bool FillRunning() const { return fill_.Running(); }
    // The window that shows a long fill (it comes after a moment), or null.
    ProgressDialog* FillProgress() const { return progress_.get(); }

    // The context menu's own command.
    void AddToWorkingList();
    // Hides the window and empties it.
    void Clear();
    // The rows' games as found again in a new input file, in the rows' order, take their place.
    void CarryOver(std::vector<MatchEntry> games);

  public Q_SLOTS:
    void ReceiveEntries(const vantor::app::HandOver& handOver);

  Q_SIGNALS:
    // "Add to your list": the selected rows for the working list.
    void EntriesForWorkingList(const vantor::app::HandOver& handOver);
    // A batch has been shown (after its fill, if it had one).
    void BatchShown();
    // The user stopped a fill: the window holds the rows it had.
    void FillCancelled();

  protected:
    ResultListWindow(const Catalog& catalog, Kind kind, QWidget* parent);

  private:
    void StartFill(HandOver handOver);
    void OnFilled(const HandOver& batch, Outcome<std::vector<ListTable::Row>> outcome);
    void ShowProgressLater();
    void ShowWindow();

    Kind kind_;
    JobHandle fill_;
    QAction* addAction_;
    int entryCount_ = 0;
    std::string titleFormat_;
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
