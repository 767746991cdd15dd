#pragma once
// The main window: the criteria (mirrored from a CriteriaModel, which builds the "-find:" text),
// the search buttons with the live match count, the settings and the history, "why" for one game
// and the left-out report. Scans run on a worker behind a window-modal progress window, so two
// never run at once; its Cancel stops them and leaves every list as it was. Their results go to
// the three result windows through queued signals.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppState.h"
#include "BackgroundWork.h"
#include "ProgressDialog.h"
#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"
#include "search/CriteriaModel.h"
#include "search/GameSelection.h"
#include "search/SearchHistory.h"

class QAction;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QGroupBox;

namespace vantor::app {

class GameExplainer;
class LiveMatchCount;
class ProgressDialog;
class ResultListWindow;
class WorkingListWindow;

// "Vantor 0.1.0": the version the About box names.
QString MainWindowTitle();

inline constexpr const char* kRebuildFindTextQuestion =
    "The criteria now ask in the words of the new input file, but the \"-find:\" text was edited by "
    "hand and still asks in the old file's words.\r\nReplace it with the text the criteria make?";
// Asked when the input file changes under a working list of `count` games.
std::string CarryOverQuestion(int count);

// A criterion's widget is named as vantor-cli's criteria command names the setting
// ("criterion:8-way"); the two cabinet buttons as the values of its "cabinet" setting
// ("criterion:cabinet=cocktail").
QString CriterionObjectName(const CriterionInfo& info);

class MainWindow : public QDialog {
    Q_OBJECT
  public:
    MainWindow(std::string inputXmlPath, DisplayOptions display, bool firstRun, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's initialisation: the settings on a first run (else the input check), the
    // initial criteria, the search history. Runs once, after the window is shown.
    void Initialise();

    void OpenSettings();
    void OpenInputFile();
    void OnGo();
    void OnListAllRoms();
    void OnRomSearch();
    void OnHistoryButton();
    // "Why?" for the ROM name typed in the box beside it, for the "-find:" text.
    void OnExplain();
    // The family options "Go!" applies now, or nullptr when it keeps every match.
    const FamilyOptions* FamilyOfGo() const;
    // Every game the "-find:" text leaves out (and, with one game per family, the family losers)
    // with what excluded it, to a CSV file.
    void OnSaveLeftOutReport();
    // "Audit ROMs": the master file's games against the ROM folders of the settings, in the
    // background; the kept audit then answers "audit=" and "Only games my ROMs can run". Cancel
    // leaves the kept audit as it was.
    void OnAuditRoms();
    QAction* AuditAction() const { return auditAction_; }

    WorkingListWindow* WorkingList() const { return output_.get(); }
    ResultListWindow* FullList() const { return fullList_.get(); }
    ResultListWindow* SearchResults() const { return search_.get(); }
    const CriteriaModel& Criteria() const { return model_; }
    const SearchHistory& History() const { return history_; }
    const std::string& InputXmlPath() const { return inputXmlPath_; }
    bool HideRomNames() const { return catalog_.display.hideRomNames; }
    const Catalog& MasterCatalog() const { return catalog_; }
    bool FirstRun() const { return firstRun_; }
    bool ScanRunning() const { return scanRunning_; }
    // The progress window of the running scan, or null.
    ProgressDialog* ScanProgress() const { return progress_; }
    // Scans started since the window opened (a shown list that needed none does not count).
    int ScanCount() const { return scanCount_; }
    // The short note beside the buttons ("Cancelled." after a stopped scan).
    QString StatusText() const;
    // "List all ROMs" has a full list to show without a scan.
    bool FullListReady() const { return fullListReady_; }
    LiveMatchCount* LiveCount() const { return liveCount_; }
    GameExplainer* Explainer() const { return explainer_; }
    // The tick box, radio button or combo box of a criterion.
    QWidget* CriterionWidget(Criterion key) const;

  Q_SIGNALS:
    void EntriesForWorkingList(const vantor::app::HandOver& handOver);
    void EntriesForFullList(const vantor::app::HandOver& handOver);
    void EntriesForSearchResults(const vantor::app::HandOver& handOver);
    void ScanFinished();
    // An audit has been kept: the lists show the new statuses.
    void AuditFinished();
    // The window has closed: the history is saved and the program may end.
    void Closed();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildWindow();
    QLayout* BuildCriteria();
    QLayout* BuildFindRows();
    QLayout* BuildButtonRow();
    QGroupBox* BuildGroup(CriteriaGroup group, const QString& title, const char* hint, int columns);
    QWidget* MakeCriterionWidget(const CriterionInfo& info);
    void SyncCriteriaWidgets();
    void OnCriteriaChanged(bool findTextRebuilt);
    // After the input check: the "-find:" text rebuilt in the file's words (a hand-edited one
    // after asking), when they differ from those of `textBefore`, the criteria's text before it.
    void FollowCriteriaWords(const std::string& textBefore);
    // After a new input file: the list windows whose keys were taken from another file are
    // carried over by ROM name (on a worker) or cleared, as the user chooses.
    void FollowInputFile();
    void CarryListsOver(const std::vector<MatchEntry>& found);
    void SetFindText(const std::string& text);
    // Runs `scan` on a worker behind the progress window; `found` gets its matches on this
    // thread. A cancelled scan leaves the note "Cancelled." and nothing else; an error is shown.
    void RunScan(const char* progressText, std::function<Selection(ProgressSink&)> scan,
                 std::function<void(Selection)> found);
    template <typename Result>
    void RunBehindProgress(const char* progressText, ProgressUnit unit,
                           std::function<Result(ProgressSink&)> job, std::function<void(Result)> done);
    // The kept audit of the open master file, for the searches and the criteria.
    void TakeKeptAudit();
    QLayout* BuildExplainRow();
    void ShowError(const EngineError& error);

    std::string inputXmlPath_;
    // The files whose input-check notes were shown.
    std::vector<FileIdentity> notedFiles_;
    // The open master file; the result windows read it too, while this window lives.
    Catalog catalog_;
    // "List all ROMs" has handed its list over; cleared whenever the master file is opened.
    bool fullListReady_ = false;
    bool firstRun_;
    bool initialised_ = false;
    bool closed_ = false;

    CriteriaModel model_;
    SearchHistory history_;
    std::string previousRomSearch_;
    bool scanRunning_ = false;
    int scanCount_ = 0;
    ProgressDialog* progress_ = nullptr;
    JobHandle scan_;
    bool syncing_ = false;

    std::vector<QWidget*> criteria_;  // by Criterion
    QLineEdit* findEdit_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* countText_ = nullptr;
    LiveMatchCount* liveCount_ = nullptr;
    QLineEdit* explainEdit_ = nullptr;
    GameExplainer* explainer_ = nullptr;
    QPushButton* goButton_ = nullptr;
    QPushButton* listAllButton_ = nullptr;
    QPushButton* romSearchButton_ = nullptr;
    QAction* auditAction_ = nullptr;

    std::unique_ptr<ResultListWindow> fullList_;
    std::unique_ptr<WorkingListWindow> output_;
    std::unique_ptr<ResultListWindow> search_;
};

}  // namespace vantor::app
