#pragma once
// The settings window, in its first form: the input file and the two display options, stored by
// "Set". The merge inputs and the utilities join it later; the main window only relies on the
// interface below.
#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vantor::app {

class CVantorSettingsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CVantorSettingsDlg(QWidget* parent = nullptr);

    // What the main window takes over when the dialog has closed, whatever its result.
    const std::string& InputXmlPath() const { return inputXmlPath_; }
    bool HideRomNames() const { return hideRomNames_; }

  protected:
    void accept() override;  // "Set"

  private:
    void OnBrowseInput();

    std::string inputXmlPath_;
    bool hideRomNames_ = false;
    QLineEdit* inputEdit_;
    QCheckBox* hideRomNamesBox_;
    QCheckBox* hideTagsBox_;
    QPushButton* setButton_;
};

}  // namespace vantor::app
