#pragma once
// What the three game-list windows (the full list, the search results, the working list) have
// in common: a modeless, resizable window around the game list, whose context menu offers one
// command of the window's own and "View Details"; a double click shows the details and a typed
// letter or digit jumps to the first game whose name begins with it.
#include <QDialog>
#include <vector>

#include "listmodel/ListTable.h"

class QAction;

namespace vantor {
struct Catalog;
class ProgressSink;
}  // namespace vantor

namespace vantor::app {

// The rows of a game list for a batch of entries, sorted by name when asked; runs on a worker.
// Reports the games done and stops with EngineError (Cancelled) between its steps when asked.
std::vector<ListTable::Row> BuildGameRows(std::vector<MatchEntry> entries, bool sortByName,
                                          ProgressSink& progress);

class DetailsView;
class SortableListView;

class GameListWindow : public QDialog {
    Q_OBJECT
  public:
    ~GameListWindow() override;

    SortableListView* List() const { return list_; }
    bool HideRomNames() const { return hideRomNames_; }

    // "View Details" of the first selected row.
    void ShowDetails();
    void JumpToFirstChar(char c);
    // The Name column made as wide as its names (within reason).
    void FitNameColumn();

  protected:
    // `command` is the context menu's first entry ("Add to your list", "Delete").
    // The games' records are read from `catalog`'s master file.
    GameListWindow(const Catalog& catalog, const QString& objectName, QAction* command, QWidget* parent);
    QAction* Command() const { return command_; }

    const Catalog& catalog_;
    SortableListView* list_;
    DetailsView* details_;
    QAction* command_;
    QAction* detailsAction_;
    bool hideRomNames_ = false;
};

}  // namespace vantor::app
