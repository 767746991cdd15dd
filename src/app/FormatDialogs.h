#pragma once
// The small dialogs some list formats ask before they are written: the list title (Khameleon,
// MaLa), the batch line template, the Cabrio settings and the EmulationStation list options. Each
// is made for one save and keeps nothing afterwards; the caller keeps what should last (the batch
// template, the EmulationStation options).
#include <QDialog>
#include <string>

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

// "EmulationStation list" for ES-DE and Batocera: the ROM folder the category collections name,
// the archives' extension, the hide-removed and one-list-per-category choices and, for Batocera,
// the media paths. Empty fields leave the front end's defaults, shown greyed in them. Without a
// merged master file the category box is off and cannot be ticked.
class GamelistOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    GamelistOptionsDialog(GamelistSettings choice, bool batocera, bool categoriesKnown,
                          QWidget* parent = nullptr);

    const GamelistSettings& Choice() const { return choice_; }

  protected:
    void accept() override;

  private:
    GamelistSettings choice_;
    QLineEdit* romFolderEdit_;
    QLineEdit* romExtensionEdit_;
    QCheckBox* mediaBox_;
    QCheckBox* hideRemovedBox_;
    QCheckBox* splitByCategoryBox_;
};

// The list options of RetroArch, Pegasus and Attract-Mode Plus: for each only the fields its list
// uses (ROM folder and extension, playlist or collection or emulator name, RetroArch's core,
// Pegasus's launch command) and the one-list-per-category box, off without a merged master file.
// Empty fields leave the defaults, shown greyed in them.
class FrontEndListDialog : public QDialog {
    Q_OBJECT
  public:
    FrontEndListDialog(ListFormat format, FrontEndListSettings choice, bool categoriesKnown,
                       QWidget* parent = nullptr);

    const FrontEndListSettings& Choice() const { return choice_; }

  protected:
    void accept() override;

  private:
    FrontEndListSettings choice_;
    std::vector<std::pair<QLineEdit*, std::string*>> edits_;
    QCheckBox* splitByCategoryBox_;
};

}  // namespace vantor::app
