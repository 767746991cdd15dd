#pragma once
// The output window with the working list: batches from "Go!" and from the list windows' "Add to
// your list" are added, sorted by name; rows can be deleted, jumped to and viewed in detail; the
// format box and the save and preview buttons lead to the list writers, which run on a worker
// behind a progress window with Cancel; "One game per family" keeps one game of each parent and
// its clones (after "Go!", and on demand for the whole list), with its rules in a dialog and its
// decisions viewable; "Copy ROMs to..." copies the list's games out of the ROM folders and "Save
// fixdat..." writes what they lack, both on a worker. Closing the window clears the list.
#include <QPointer>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "AppState.h"
#include "BackgroundWork.h"
#include "CsvDialogs.h"
#include "GameListWindow.h"
#include "ProgressDialog.h"
#include "output/BatchList.h"
#include "output/SaveList.h"
#include "romset/RomExport.h"
#include "search/FamilyChoice.h"
#include "search/GameSelection.h"
#include "utilities/ListLoader.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace vantor::app {

struct SaveFileType;
struct SavedList;

inline constexpr const char* kWorkingListTitle = "Your working list has %d ROMs";
// A batch whose keys come from another input file than the one open now.
inline constexpr const char* kStaleBatchNote = "Games found in the previous input file were not added.";
inline constexpr const char* kStaleWorkingList =
    "Your working list was made from another input file, or from an earlier state of it, so its "
    "games must be found in the input file first: open Settings and Tools and press Set to carry it "
    "over, or close the list to clear it.";

// "Audit ROMs" and the list's ROM jobs without ROM folders in the settings.
inline constexpr const char* kNoRomFoldersMessage =
    "Choose your ROM folders in \"Settings and Tools\" first: the audit looks for the games' sets there.";
// The games of the working list a new input file lacks.
std::string MissingGamesMessage(const std::vector<std::string>& missing);
// The working list's note after a save: "Saved 600 ROMs to /home/me/list.txt."
std::string SavedNote(std::int64_t games, const std::string& path);

// The formats in the order of the format box (alphabetical, case ignored).
const QStringList& ListFormatNames();
// The note after a batch: "Added 3 ROMs; 2 were in your list already."
std::string AddedMessage(int added, int already);

class WorkingListWindow : public GameListWindow {
    Q_OBJECT
  public:
    explicit WorkingListWindow(const Catalog& catalog, QWidget* parent = nullptr);
    ~WorkingListWindow() override;

    QComboBox* FormatBox() const { return formatBox_; }
    int EntryCount() const { return entryCount_; }
    // A save or preview is under way, from its first question until its outcome has been told:
    // the main window leaves the master file alone meanwhile.
    bool SaveRunning() const { return saveRunning_; }
    // The progress window of the list being written, or null.
    ProgressDialog* SaveProgress() const { return saveProgress_; }
    std::string& BatchTemplate() { return batchTemplate_; }
    BatchForm GetBatchForm() const { return batchForm_; }
    // Batches received and not yet in the list (they are added one after another, in order).
    int PendingFills() const;
    // Rows added or deleted since the list was last saved (or previewed and saved from there).
    bool Unsaved() const { return changes_ != savedChanges_ && entryCount_ > 0; }
    // The short note under the buttons: what the last batch did ("Added 3 ROMs."), where the last
    // save went ("Saved 3 ROMs to ..."), or "Cancelled." after a save that was stopped.
    QString StatusText() const;

    // Asks before a list that was never saved is thrown away; true when it may go.
    bool ConfirmDiscard();
    static std::string DiscardQuestion(int count);

    // The working list holds the game of this record key.
    bool Contains(const std::string& key) const;

    // "One game per family" (as the settings remember it) and its rules.
    bool OnePerFamily() const;
    void SetOnePerFamily(bool on);
    const FamilyOptions& Family() const { return family_; }
    // The rules dialog; OK stores them in the settings.
    void EditFamilyRules();
    // The decision log of the latest family choice (after "Go!" or on demand); "" before any.
    const std::string& FamilyLog() const { return familyLog_; }
    void SetFamilyLog(std::string log);
    void ShowFamilyLog();
    // Keeps one game per family of the whole list, on a worker behind a progress window with Cancel.
    void KeepOnePerFamily();
    bool FamilyRunning() const { return familyJob_.Running(); }

    void DeleteSelected();
    void UpdatePreviewButton();
    // "Save List to file" and "Preview List": the format's questions, then the list written on a
    // worker; SaveFinished comes when it has ended.
    void SaveList();
    void PreviewList();
    // "Load list...": the games a list of another front end names become the working list, in
    // the list's order, read on a worker behind a progress window with Cancel; names the master
    // file lacks are told and logged.
    void LoadListFile();
    // "Copy ROMs to...": the target folder and the layout asked, the games exported on a worker
    // behind a progress window with Cancel (files of the target that hold something else are
    // replaced only when the user says so); RomJobFinished comes when it has ended.
    void CopyRoms();
    // "Save fixdat...": the games audited file by file on a worker, their missing files written
    // as a datafile.
    void SaveFixdat();
    bool RomJobRunning() const { return romJob_.Running(); }

    // Hides the window and empties the list.
    void ClearAndHide();
    // The list's games as found again in a new input file (in the rows' order) take the place
    // of its rows; the `missing` ones (by ROM name) were not there, and are named once it shows.
    void CarryOver(std::vector<MatchEntry> games, std::vector<std::string> missing);
    static std::string CarriedOverNote(int kept, int lost);

  public Q_SLOTS:
    void ReceiveEntries(const vantor::app::HandOver& handOver);

  Q_SIGNALS:
    void BatchShown();
    // A save or preview has ended (written or shown, cancelled or failed).
    void SaveFinished();
    // KeepOnePerFamily has ended (done, cancelled or failed).
    void FamilyFinished();
    void OnePerFamilyToggled(bool on);
    void RomJobFinished();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void StartNextFill();
    void OnFilled(const HandOver& batch, Outcome<std::vector<ListTable::Row>> outcome);
    void UpdateTitle(const char* format);
    void RunSave(bool preview);
    // Asks the format's questions and starts the writer; false when a question was cancelled.
    bool StartSave(bool preview);
    // The format's questions, in the order they come: before the file dialog (the batch form and
    // the front ends' options), the list title or ROM folder and the file dialog (saves only),
    // after it (Cabrio's folders, the CSV columns). False when one was cancelled.
    bool AskBeforeFileDialog(const ListFormatInfo& info, ListOptions& options);
    bool AskForListFile(const ListFormatInfo& info, const SaveFileType& saveType, ListOptions& options,
                        std::string& fileName);
    bool AskAfterFileDialog(const ListFormatInfo& info, ListOptions& options);
    // The writer on a worker behind the progress window.
    void StartWriter(SaveRequest request, const std::string& fileName, bool preview,
                     const SaveFileType& saveType);
    void OnSaved(bool preview, const SaveFileType& saveType, std::uint64_t changesSaved,
                 const std::string& fileName, Outcome<SavedList> outcome);
    void ShowPreview(const std::string& text, const SaveFileType& saveType, std::uint64_t changesShown);
    QLayout* BuildFamilyRow();
    void OnFamilyKept(Outcome<Selection> outcome, const FamilyOptions& options);
    void OnListLoaded(Outcome<LoadedList> outcome);
    // The list's games by record position, in master-file order, for the ROM jobs; false (after
    // telling why) when there is nothing to do.
    bool RomJobPositions(std::vector<std::int64_t>& positions);
    void StartExport(std::shared_ptr<const ExportPlan> plan, ExportRequest request);
    // The ROM job behind its progress window; `done` gets its result, with the window gone.
    // `writes`: the job writes files, and what it wrote is told even after a late Cancel.
    template <typename Result>
    void RunRomJob(const char* progressText, ProgressUnit unit, bool writes,
                   std::function<Result(JobControl&)> job, std::function<void(Result)> done);
    // The batch's rows take the place of the list's.
    void ReplaceList(const HandOver& handOver);

    QComboBox* formatBox_;
    QPushButton* saveButton_;
    QPushButton* previewButton_;
    QPushButton* loadButton_;
    QPushButton* copyRomsButton_;
    QPushButton* fixdatButton_;
    QLabel* status_;
    std::deque<HandOver> waiting_;  // batches after the one being filled
    JobHandle fill_;
    JobHandle save_;
    JobHandle load_;
    QPointer<ProgressDialog> loadProgress_;
    QPointer<ProgressDialog> saveProgress_;
    JobHandle romJob_;
    QPointer<ProgressDialog> romProgress_;
    int entryCount_ = 0;
    bool saveRunning_ = false;
    // Rows added or deleted since the window opened, and as many as the last saved list had seen.
    std::uint64_t changes_ = 0;
    std::uint64_t savedChanges_ = 0;
    BatchForm batchForm_ = BatchForm::Shell;
    std::string batchTemplate_ = kShellBatchTemplate;
    CsvChoice csvChoice_;
    std::string missingMessage_;  // for the list being carried over

    QCheckBox* onePerFamilyBox_ = nullptr;
    QPushButton* familyLogButton_ = nullptr;
    FamilyOptions family_;
    std::string familyLog_;
    JobHandle familyJob_;
    std::unique_ptr<ProgressDialog> familyProgress_;
};

}  // namespace vantor::app
