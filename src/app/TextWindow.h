#pragma once
// A resizable text window: the details of a game, and the list preview with its "Save" button.
#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

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

    void SetSaveFileType(SaveFileType type) { saveType_ = std::move(type); }
    // The text as it stands in the window (the user may have edited it), with the line ends of
    // the text it was given.
    std::string DisplayText() const;
    // "Save" wrote the text at least once.
    bool Saved() const { return saved_; }

    QPlainTextEdit* Edit() const { return edit_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnSave();

    std::string original_;  // shown unchanged while the user has not edited it
    bool crLf_;             // the text's lines end in CR LF
    SaveFileType saveType_;
    bool saved_ = false;
    QPlainTextEdit* edit_;
    QPushButton* save_;
};

}  // namespace vantor::app
