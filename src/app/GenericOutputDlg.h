#pragma once
// A resizable text window: the details of a game, and the list preview with its "Save" button.
#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace vantor::app {

class CGenericOutputDlg : public QDialog {
    Q_OBJECT
  public:
    CGenericOutputDlg(const std::string& windowTitle, const std::string& displayText, bool saveEnabled,
                      QWidget* parent = nullptr);

    // The text as it stands in the window (the user may have edited it).
    std::string DisplayText() const;

    QPlainTextEdit* Edit() const { return edit_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnSave();

    std::string original_;  // shown unchanged while the user has not edited it
    QPlainTextEdit* edit_;
    QPushButton* save_;
};

}  // namespace vantor::app
