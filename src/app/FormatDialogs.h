#pragma once
// The small dialogs some list formats ask before they are written: the list title (Khameleon,
// MaLa), the batch line template and the Cabrio settings. Each is made for one save and keeps
// nothing afterwards; the caller keeps what should last (the batch template).
#include <QDialog>
#include <string>

#include "output/BatchList.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vantor::app {

// "List options": the list title, with OK only; Escape still cancels.
class ListTitleDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ListTitleDialog(std::string titleText = {}, QWidget* parent = nullptr);

    const std::string& TitleText() const { return titleText_; }

  protected:
    void accept() override;

  private:
    std::string titleText_;
    QLineEdit* edit_;
};

// "Batch file creation": the line written for every game, with %ROM%, %DESC% and %CHD%, and the
// form of the file: a shell script or a Windows batch file. Switching the form while the template
// is the other form's default puts in this form's default.
class BatchTemplateDialog : public QDialog {
    Q_OBJECT
  public:
    explicit BatchTemplateDialog(std::string templateText, BatchForm form = BatchForm::Shell,
                                 QWidget* parent = nullptr);

    const std::string& TemplateText() const { return templateText_; }
    BatchForm Form() const { return form_; }

  protected:
    void accept() override;

  private:
    void ShowForm(BatchForm form);

    std::string templateText_;
    BatchForm form_;
    QLineEdit* edit_;
    QLabel* examples_;
    QRadioButton* shellButton_;
    QRadioButton* windowsButton_;
};

// "Cabrio Settings": the list title and the three image folders. A folder chosen with "Browse"
// ends in "/"; a typed one is taken as typed.
class CabrioSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CabrioSettingsDialog(QWidget* parent = nullptr);

    const std::string& ListTitle() const { return listTitle_; }
    const std::string& LogoFolder() const { return logoFolder_; }
    const std::string& ScreenshotFolder() const { return screenshotFolder_; }
    const std::string& BackgroundFolder() const { return backgroundFolder_; }

  protected:
    void accept() override;

  private:
    void Browse(const char* title, std::string& folder, QLineEdit* edit);

    std::string listTitle_, logoFolder_, screenshotFolder_, backgroundFolder_;
    QLineEdit* titleEdit_;
    QLineEdit* logoEdit_;
    QLineEdit* screenshotEdit_;
    QLineEdit* backgroundEdit_;
};

}  // namespace vantor::app
