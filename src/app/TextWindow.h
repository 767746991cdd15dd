#pragma once
// A resizable text window: the details of a game, and the list preview with its "Save" button,
// which writes on a worker behind a progress window with Cancel.
#include <QDialog>
#include <QPointer>
#include <string>

#include "BackgroundWork.h"
#include "ProgressDialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vantor {
struct SavedGames;
}

namespace vantor::app {

// What "Save" offers: the file types of the list's own format, whether the file is a script to
// be made executable, and the master file the list was made from, which it must not replace.
struct SaveFileType {
    std::string filter = "txt files (*.txt)|*.txt";  // "description|pattern|..."
    std::string defaultExt = "txt";
    bool executable = false;
    std::string masterFile;
};

class TextWindow : public QDialog {
    Q_OBJECT
  public:
    TextWindow(const std::string& windowTitle, const std::string& displayText, bool saveEnabled,
               QWidget* parent = nullptr);
    ~TextWindow() override;

    void SetSaveFileType(SaveFileType type) { saveType_ = std::move(type); }
    // The text as it stands in the window (the user may have edited it), with the line ends of
    // the text it was given.
    std::string DisplayText() const;
    // "Save" wrote the text at least once.
    bool Saved() const { return saved_; }
    // "Save" is writing: the window stays until it is done.
    bool SaveRunning() const { return save_.Running(); }
    ProgressDialog* SaveProgress() const { return progress_; }
    // "Cancelled." after a save that was stopped, where it went after one that was written.
    QString StatusText() const;

    QPlainTextEdit* Edit() const { return edit_; }
    // Puts `pane` (the game's pictures) to the right of the text.
    void AddSidePane(QWidget* pane);

  Q_SIGNALS:
    // "Save" has written the text.
    void TextSaved();
    // "Save" has ended, however.
    void SaveFinished();

  public Q_SLOTS:
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnSave();
    void OnSaved(const std::string& path, Outcome<SavedGames> outcome);

    std::string original_;  // shown unchanged while the user has not edited it
    bool crLf_;             // the text's lines end in CR LF
    SaveFileType saveType_;
    bool saved_ = false;
    QPlainTextEdit* edit_;
    QPushButton* saveButton_;
    QLabel* status_;
    JobHandle save_;
    QPointer<ProgressDialog> progress_;
};

}  // namespace vantor::app
