#pragma once
// The output window with the working list: batches from "Go!" and from the list windows' "Add to
// your list" are added, sorted by name; rows can be deleted, jumped to and viewed in detail; the
// format box and the save and preview buttons lead to the list writers. Closing the window clears
// the list.
#include <deque>
#include <string>

#include "AppState.h"
#include "BackgroundWork.h"
#include "CsvDialogs.h"
#include "GameListWindow.h"
#include "output/BatchList.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace vantor::app {

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
    bool PreviewMode() const { return previewMode_; }
    // A list is being written: the main window leaves the master file alone meanwhile.
    bool SaveRunning() const { return saveRunning_; }
    std::string& BatchTemplate() { return batchTemplate_; }
    BatchForm GetBatchForm() const { return batchForm_; }
    // Batches received and not yet in the list (they are added one after another, in order).
    int PendingFills() const;
    // Rows added or deleted since the list was last saved (or previewed and saved from there).
    bool Unsaved() const { return unsaved_ && entryCount_ > 0; }
    // What the last batch did: how many games it added and how many were in the list already.
    QLabel* AddedText() const { return addedText_; }

    // Asks before a list that was never saved is thrown away; true when it may go.
    bool ConfirmDiscard();
    static std::string DiscardQuestion(int count);

    void DeleteSelected();
    void UpdatePreviewButton();
    // "Save List to file"; with previewMode_ set, "Preview List".
    void SaveList();
    void PreviewList();
    // Hides the window and empties the list.
    void ClearAndHide();

  public Q_SLOTS:
    void ReceiveEntries(const vantor::app::HandOver& handOver);

  Q_SIGNALS:
    void BatchShown();
    // A save or preview has ended (written, cancelled or failed).
    void SaveFinished();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void StartNextFill();
    void OnFilled(const HandOver& batch, JobOutcome<std::vector<ListTable::Row>> outcome);
    void UpdateTitle(const char* format);
    void RunSave();

    QComboBox* formatBox_;
    QPushButton* saveButton_;
    QPushButton* previewButton_;
    QLabel* addedText_;
    std::deque<HandOver> waiting_;  // batches after the one being filled
    JobHandle fill_;
    int entryCount_ = 0;
    bool previewMode_ = false;
    bool saveRunning_ = false;
    bool unsaved_ = false;
    BatchForm batchForm_ = BatchForm::Shell;
    std::string batchTemplate_ = kShellBatchTemplate;
    CsvChoice csvChoice_;
};

}  // namespace vantor::app
