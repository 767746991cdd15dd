#pragma once
// The small dialogs some list formats ask before they are written: the list title (Khameleon,
// MaLa), the batch line template, the Cabrio settings and the front ends' list options (made
// from their descriptors). Each is made for one save and keeps nothing afterwards; the caller
// keeps what should last (the batch template, the front ends' options).
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "gamedata/SettingsStore.h"
#include "output/BatchList.h"
#include "output/ListFormats.h"

class QCheckBox;
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

// The options of a front end's list (a format with a settings prefix), asked in one dialog made
// from the format's descriptor: a line for each value, its default greyed in it (Browse beside a
// folder), a box for each flag. The category box is off and cannot be ticked without a merged
// master file. Each save makes one; the choice is kept in the settings by the caller.
class FormatOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    FormatOptionsDialog(const ListFormatInfo& format, ListOptions choice, bool categoriesKnown,
                        QWidget* parent = nullptr);

    // The values given (an empty line is not given) and the flags ticked; a category box that
    // could not be ticked keeps what it had.
    const ListOptions& Choice() const { return choice_; }

  protected:
    void accept() override;

  private:
    const ListFormatInfo& format_;
    ListOptions choice_;
    std::vector<std::pair<ListOption, QLineEdit*>> edits_;
    std::vector<std::pair<ListOption, QCheckBox*>> boxes_;
    QCheckBox* mainCategoriesBox_ = nullptr;
};

// The choice of the format's options dialog as last confirmed, from the settings store, and
// storing one (false when the store cannot be written).
ListOptions LoadFormatChoice(const ListFormatInfo& format, const std::string& settingsPath = {});
bool SaveFormatChoice(const ListFormatInfo& format, const ListOptions& choice,
                      const std::string& settingsPath = {});

}  // namespace vantor::app
