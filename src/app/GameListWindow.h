#pragma once
// What the three game-list windows (the full list, the search results, the working list) have
// in common: a modeless, resizable window around the game list, whose context menu offers one
// command of the window's own, "View Details" and "Why is it in my list?" (or "Why not?" for a
// game the working list does not hold); a double click shows the details and a typed letter or
// digit jumps to the first game whose name begins with it.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "gamedata/Catalog.h"
#include "listmodel/ListTable.h"

class QAction;
class QLabel;
class QTimer;

namespace vantor {
class ProgressSink;
}  // namespace vantor

namespace vantor::app {

// The rows of a game list for a batch of entries, sorted by name when asked; runs on a worker.
// Reports the games done and stops with EngineError (Cancelled) between its steps when asked.
std::vector<ListTable::Row> BuildGameRows(std::vector<MatchEntry> entries, bool sortByName,
                                          ProgressSink& progress);

class DetailsView;
class PicturePane;
class SortableListView;

class GameListWindow : public QDialog {
    Q_OBJECT
  public:
    ~GameListWindow() override;

    SortableListView* List() const { return list_; }
    PicturePane* Pictures() const { return pictures_; }
    // The selected game's status in the kept ROM audit, under the list (hidden without one).
    void ShowAuditMark();
    QLabel* AuditMark() const { return auditMark_; }
    bool HideRomNames() const { return hideRomNames_; }

    // "View Details" of the first selected row.
    void ShowDetails();
    // Tells whether the working list holds a game (by record key), for the "why" entry's text.
    void SetWorkingListCheck(std::function<bool(const std::string& key)> inWorkingList);
    // The "why" entry's text for the first selected row.
    QString WhyText() const;
    // Asks why the first selected row is (not) matched by the "-find:" text.
    void AskWhy();
    void JumpToFirstChar(char c);
    // The Name column made as wide as its names (within reason).
    void FitNameColumn();

    // The rows' record keys are positions in the state of the master file the catalog has open
    // now (a window without rows counts as current). Keys of another file name other games.
    bool KeysCurrent() const;
    // The ROM names of the rows, top to bottom.
    std::vector<std::string> RomNames() const;

  Q_SIGNALS:
    void WhyRequested(const std::string& key);

  protected:
    // `command` is the context menu's first entry ("Add to your list", "Delete").
    // The games' records are read from `catalog`'s master file.
    GameListWindow(const Catalog& catalog, const QString& objectName, QAction* command, QWidget* parent);
    QAction* Command() const { return command_; }
    // The list with the selected game's pictures beside it, for the window's layout.
    QWidget* ListWithPictures();

    const Catalog& catalog_;
    SortableListView* list_;
    DetailsView* details_;
    QAction* command_;
    QAction* detailsAction_;
    QAction* whyAction_;
    std::function<bool(const std::string&)> inWorkingList_;
    bool hideRomNames_ = false;
    // The state of the master file the rows' keys were taken from.
    FileIdentity keysFrom_;

  private:
    void ShowSelectedPictures();

    PicturePane* pictures_;
    QLabel* auditMark_;
    QTimer* pictureDelay_;    // arrowing through the list loads the game it stops at
    std::string pictureKey_;  // the game whose pictures are shown or loading
};

}  // namespace vantor::app
