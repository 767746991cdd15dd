#pragma once
// "Settings": the master file, the merge's data files and the two display options, stored by
// "Set"; and the data-file utilities (merge, ROM scan, the list converters, ROMDir2XML) and the
// MAME listing runner, each run on a worker behind the progress window with Cancel.
#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

#include "BackgroundWork.h"
#include "ProgressDialog.h"
#include "gamedata/ProgressSink.h"
#include "utilities/UtilityCommon.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

namespace vantor::app {

class ArtworkSettingsBox;
class RomFoldersSettingsBox;

class SettingsWindow : public QDialog {
    Q_OBJECT
  public:
    // `inputInUse`: the master file the main window has open. The ROM scan and the Maximus
    // converter read it together with the file named in the input box, so they wait while the two
    // differ.
    explicit SettingsWindow(std::string inputInUse = {}, QWidget* parent = nullptr);

    // What the main window takes over when the dialog has closed: after "Set" the path set, after
    // Cancel the one stored in the settings (a utility's output is stored as soon as it is
    // written), so the main window searches what the settings show.
    const std::string& InputXmlPath() const { return inputXmlPath_; }
    bool HideRomNames() const { return hideRomNames_; }
    bool HideTags() const { return hideTags_; }

    const std::string& ListXmlPath() const { return listXmlPath_; }
    const std::string& CatverPath() const { return catverPath_; }
    const std::string& ControlsPath() const { return controlsPath_; }
    const std::string& NplayersPath() const { return nplayersPath_; }
    // A utility or the MAME runner is at work.
    bool Busy() const { return busy_; }
    ProgressDialog* UtilityProgress() const { return progress_; }
    // "Cancelled." after a utility that was stopped, else empty.
    QString StatusText() const;

    void accept() override;  // "Set"
    void reject() override;

    static std::string MissingInputMessage(const std::string& path);
    static std::string SettingsNotSavedMessage();

  Q_SIGNALS:
    // A utility or the MAME runner has ended (written, cancelled or failed).
    void UtilityFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // The window's parts, top left to bottom right.
    QLayout* BuildInputRows();
    QGroupBox* BuildDisplayOptions(bool stored);
    QGroupBox* BuildMergeGroup();
    QLayout* BuildUtilityColumn();
    QLayout* BuildButtonRow();
    void OnBrowseInput();
    void OnBrowseDataFile(const char* title, const char* filter, const char* defaultExt, std::string& member,
                          QLineEdit* edit);
    void OnBrowseListing();
    void OnMerge();
    void OnRomScan();
    void OnRomDirToXml();
    void OnMalaToXml();
    void OnMaximusToXml();
    // Runs a utility on a worker behind the progress window with Cancel, shows what it said and
    // hands a complete output to `done`; a cancelled one changes nothing and says "Cancelled.".
    void RunUtility(std::function<Outcome<UtilityOutput>(ProgressSink& progress)> utility,
                    std::function<void(const Outcome<UtilityOutput>& outcome)> done,
                    ProgressUnit unit = ProgressUnit::Unnamed);
    // A file the utility wrote becomes the input file shown, and is stored at once.
    void TakeOutput(const Outcome<UtilityOutput>& outcome);
    void TakeListing(const std::string& listing);
    void UpdateMergeButton();
    // "Set" needs an input file; the ROM scan and the Maximus converter need it to be the one in use.
    void OnInputTextChanged();
    std::string InputText() const;

    std::string inputInUse_;
    std::string storedInputXmlPath_;  // the input file in the settings store
    std::string inputXmlPath_, listXmlPath_, catverPath_, controlsPath_, nplayersPath_;
    bool hideRomNames_ = false;
    bool hideTags_ = false;
    bool busy_ = false;

    QLineEdit* inputEdit_;
    QLineEdit* listXmlEdit_;
    QLineEdit* controlsEdit_;
    QLineEdit* catverEdit_;
    QLineEdit* nplayersEdit_;
    QCheckBox* hideRomNamesBox_;
    QCheckBox* hideTagsBox_;
    ArtworkSettingsBox* artwork_;
    RomFoldersSettingsBox* romFolders_;
    QLabel* warning_;
    QPushButton* setButton_;
    QPushButton* mergeButton_;
    QPushButton* romScanButton_;
    QPushButton* maximusButton_;
    QLabel* status_;
    JobHandle utility_;
    QPointer<ProgressDialog> progress_;
};

}  // namespace vantor::app
