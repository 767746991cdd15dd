#include "SettingsWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "AppState.h"
#include "ArtworkSettingsBox.h"
#include "BackgroundWork.h"
#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "RomFoldersSettingsBox.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TagTable.h"
#include "utilities/ListConverters.h"
#include "utilities/MameRunner.h"
#include "utilities/MergeUtility.h"
#include "utilities/RomDirToXml.h"
#include "utilities/RomScan.h"

namespace vantor::app {

namespace {

constexpr const char* kXmlFilter = "xml files (*.xml)|*.xml";
constexpr const char* kIniFilter = "ini files (*.ini)|*.ini";
// MAME's listing, or (under "all files") the MAME program itself, which has no extension here.
constexpr const char* kListingFilter = "xml files (*.xml)|*.xml|all files (*)|*";

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

// A merge data file's path: typed, or filled in by its browse button.
QLineEdit* MakePathBox(QWidget* parent, const char* name, const std::string& path) {
    auto* edit = new QLineEdit(FromBytes(path), parent);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setMinimumWidth(300);
    return edit;
}

// Texts with their own line breaks keep them; only the narrow column's texts are wrapped.
QLabel* MakeText(QWidget* parent, const char* text, bool wrap = false) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(wrap);
    return label;
}

}  // namespace

SettingsWindow::SettingsWindow(std::string inputInUse, QWidget* parent)
    : QDialog(parent), inputInUse_(std::move(inputInUse)) {
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Settings"));
    setWindowIcon(AppIcon());

    const Settings settings = Settings::Load();
    if (settings.keyExists) {
        inputXmlPath_ = storedInputXmlPath_ = settings.inputXmlFile;
        listXmlPath_ = settings.listXmlFile;
        catverPath_ = settings.catverFile;
        controlsPath_ = settings.controlsFile;
        nplayersPath_ = settings.nplayersFile;
        hideRomNames_ = settings.hideRomNames;
        hideTags_ = settings.hideTags;
    }

    artwork_ = new ArtworkSettingsBox(settings, this);
    romFolders_ = new RomFoldersSettingsBox(settings, this);
    warning_ = new QLabel(
        QStringLiteral("Some buttons below will be disabled until you press the Set button!"), this);
    warning_->setObjectName(QStringLiteral("setFirstWarning"));
    warning_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    // Its place is kept, so that showing it moves nothing.
    QSizePolicy keepPlace = warning_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    warning_->setSizePolicy(keepPlace);
    warning_->hide();

    auto* left = new QVBoxLayout;
    left->addLayout(BuildInputRows());
    left->addWidget(BuildDisplayOptions(settings.keyExists));
    left->addWidget(warning_);
    left->addWidget(BuildMergeGroup());
    left->addWidget(romFolders_);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(BuildUtilityColumn(), 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(BuildButtonRow());

    setButton_->setEnabled(!inputXmlPath_.empty());
    UpdateMergeButton();
    OnInputTextChanged();
    connect(inputEdit_, &QLineEdit::textChanged, this, &SettingsWindow::OnInputTextChanged);
}

QLayout* SettingsWindow::BuildInputRows() {
    QLabel* inputText =
        MakeText(this,
                 "Input XML file.  This is what Vantor works with to create your output lists.\n\n"
                 "The best option is to use the merge tool below to create a master, merged XML file.\n"
                 "Otherwise you can use controls.xml or MAME's -listxml file.");
    inputEdit_ = new QLineEdit(FromBytes(inputXmlPath_), this);
    inputEdit_->setObjectName(QStringLiteral("inputFileEdit"));
    QPushButton* inputBrowse = MakeButton(this, "inputBrowseButton", "Browse");
    connect(inputBrowse, &QPushButton::clicked, this, &SettingsWindow::OnBrowseInput);
    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(inputEdit_, 1);
    inputRow->addWidget(inputBrowse);
    auto* rows = new QVBoxLayout;
    rows->addWidget(inputText);
    rows->addLayout(inputRow);
    return rows;
}

QGroupBox* SettingsWindow::BuildDisplayOptions(bool stored) {
    auto* misc = new QGroupBox(QStringLiteral("Misc settings"), this);
    hideRomNamesBox_ =
        new QCheckBox(QStringLiteral("Hide ROM names (and SHA1/CRCs) in output display"), misc);
    hideRomNamesBox_->setObjectName(QStringLiteral("hideRomNamesBox"));
    hideTagsBox_ =
        new QCheckBox(QStringLiteral("Hide tags in ROM descriptions: (SET 1), (US), (hack), etc."), misc);
    hideTagsBox_->setObjectName(QStringLiteral("hideTagsBox"));
    if (stored) {
        hideRomNamesBox_->setChecked(hideRomNames_);
        hideTagsBox_->setChecked(hideTags_);
    }
    auto* miscLayout = new QVBoxLayout(misc);
    miscLayout->addWidget(hideRomNamesBox_);
    miscLayout->addWidget(hideTagsBox_);
    return misc;
}

QGroupBox* SettingsWindow::BuildMergeGroup() {
    auto* merge = new QGroupBox(QStringLiteral("Merge Utility"), this);
    auto* mergeGrid = new QGridLayout(merge);
    listXmlEdit_ = MakePathBox(merge, "listXmlEdit", listXmlPath_);
    controlsEdit_ = MakePathBox(merge, "controlsEdit", controlsPath_);
    catverEdit_ = MakePathBox(merge, "catverEdit", catverPath_);
    nplayersEdit_ = MakePathBox(merge, "nplayersEdit", nplayersPath_);
    const struct {
        const char* label;
        QLineEdit* edit;
        std::string* path;
        const char* browseName;
    } dataFiles[] = {
        {"MAME ListXML file (generated by MAME) You may browse for the xml file or the mame program itself",
         listXmlEdit_, &listXmlPath_, "listXmlBrowseButton"},
        {"controls.xml (from the controls.dat project at arcadecontrols.com)", controlsEdit_, &controlsPath_,
         "controlsBrowseButton"},
        {"catver.ini (from progettosnaps.net)", catverEdit_, &catverPath_, "catverBrowseButton"},
        {"nplayers.ini (optional) (from nplayers.arcadebelgium.be)", nplayersEdit_, &nplayersPath_,
         "nplayersBrowseButton"},
    };
    int line = 0;
    std::vector<QPushButton*> dataBrowse;
    for (const auto& file : dataFiles) {
        QLabel* label = MakeText(merge, file.label);
        label->setBuddy(file.edit);
        QPushButton* browse = MakeButton(merge, file.browseName, "Browse");
        dataBrowse.push_back(browse);
        mergeGrid->addWidget(label, line, 0, 1, 2);
        mergeGrid->addWidget(file.edit, line + 1, 0);
        mergeGrid->addWidget(browse, line + 1, 1);
        line += 2;
        // A typed path counts as much as a browsed one.
        connect(file.edit, &QLineEdit::textEdited, this, [this, path = file.path](const QString& text) {
            *path = ToBytes(text);
            UpdateMergeButton();
        });
    }
    connect(dataBrowse[0], &QPushButton::clicked, this, &SettingsWindow::OnBrowseListing);
    connect(dataBrowse[1], &QPushButton::clicked, this, [this] {
        OnBrowseDataFile("Point me to controls.xml please...", kXmlFilter, "xml", controlsPath_,
                         controlsEdit_);
    });
    connect(dataBrowse[2], &QPushButton::clicked, this, [this] {
        OnBrowseDataFile("Point me to catver.ini please...", kIniFilter, "ini", catverPath_, catverEdit_);
    });
    connect(dataBrowse[3], &QPushButton::clicked, this, [this] {
        OnBrowseDataFile("Point me to nplayers.ini please...", kIniFilter, "ini", nplayersPath_,
                         nplayersEdit_);
    });
    mergeButton_ = MakeButton(merge, "mergeButton", "Merge!");
    auto* mergeRow = new QHBoxLayout;
    mergeRow->addWidget(MakeText(merge,
                                 "Use this to merge all the various datafiles into 1 master file.\n"
                                 "This will allow you to do enhanced listing/searching."),
                        1);
    mergeRow->addWidget(mergeButton_, 0, Qt::AlignBottom);
    mergeGrid->addLayout(mergeRow, line, 0, 1, 2);
    mergeGrid->setColumnStretch(0, 1);
    connect(mergeButton_, &QPushButton::clicked, this, &SettingsWindow::OnMerge);
    return merge;
}

QLayout* SettingsWindow::BuildUtilityColumn() {
    auto* scan = new QGroupBox(QStringLiteral("ROM Scan utility"), this);
    romScanButton_ = MakeButton(scan, "romScanButton", "ROM Scan");
    auto* scanLayout = new QVBoxLayout(scan);
    for (const char* text :
         {"This utility will take a merged XML file and compare it against a folder of .zip ROM files on "
          "your system.",
          "The resulting output file will be an XML file that matches the ROMs you have available."}) {
        scanLayout->addWidget(MakeText(scan, text, true));
    }
    scanLayout->addWidget(romScanButton_, 0, Qt::AlignRight);
    connect(romScanButton_, &QPushButton::clicked, this, &SettingsWindow::OnRomScan);

    auto* converters = new QGroupBox(QStringLiteral("List Converters"), this);
    maximusButton_ = MakeButton(converters, "maximusToXmlButton", "Maximus list to XML");
    QPushButton* romDir = MakeButton(converters, "romDirToXmlButton", "ROMDir2XML");
    QPushButton* mala = MakeButton(converters, "malaToXmlButton", "Mala to XML");
    auto* converterLayout = new QVBoxLayout(converters);
    for (QPushButton* button : {mala, maximusButton_, romDir}) converterLayout->addWidget(button);
    connect(maximusButton_, &QPushButton::clicked, this, &SettingsWindow::OnMaximusToXml);
    connect(mala, &QPushButton::clicked, this, &SettingsWindow::OnMalaToXml);
    connect(romDir, &QPushButton::clicked, this, &SettingsWindow::OnRomDirToXml);

    // The utilities' column keeps its width; its texts wrap.
    scan->setFixedWidth(320);
    converters->setFixedWidth(320);
    artwork_->setFixedWidth(320);
    auto* right = new QVBoxLayout;
    right->addWidget(scan);
    right->addWidget(converters);
    right->addWidget(artwork_);
    right->addStretch(1);
    return right;
}

QLayout* SettingsWindow::BuildButtonRow() {
    setButton_ = new QPushButton(QStringLiteral("Set"), this);
    setButton_->setObjectName(QStringLiteral("setButton"));
    setButton_->setDefault(true);
    QPushButton* cancel = MakeButton(this, "cancelButton", "Cancel");
    connect(setButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusText"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(status_, 1);
    buttonRow->addWidget(setButton_);
    buttonRow->addWidget(cancel);
    return buttonRow;
}

std::string SettingsWindow::InputText() const {
    return ToBytes(inputEdit_->text());
}

void SettingsWindow::OnInputTextChanged() {
    const std::string text = InputText();
    if (!text.empty()) setButton_->setEnabled(true);
    const bool inUse = text == inputInUse_;
    romScanButton_->setEnabled(inUse);
    maximusButton_->setEnabled(inUse);
    warning_->setVisible(!inUse);
}

void SettingsWindow::UpdateMergeButton() {
    mergeButton_->setEnabled(!controlsPath_.empty() && !catverPath_.empty() && !listXmlPath_.empty());
}

void SettingsWindow::OnBrowseInput() {
    if (busy_) return;
    std::string path = inputXmlPath_;
    if (!AskForFile(this, FileQuestion::Open, "Point me to your xml file please...", kXmlFilter, "xml", path))
        return;
    inputXmlPath_ = path;
    inputEdit_->setText(FromBytes(path));
    setButton_->setEnabled(true);
}

void SettingsWindow::OnBrowseDataFile(const char* title, const char* filter, const char* defaultExt,
                                      std::string& member, QLineEdit* edit) {
    if (busy_) return;
    std::string path = member;
    if (AskForFile(this, FileQuestion::Open, title, filter, defaultExt, path)) {
        member = path;
        edit->setText(FromBytes(path));
    }
    UpdateMergeButton();
}

void SettingsWindow::OnBrowseListing() {
    if (busy_) return;
    std::string chosen;
    if (!AskForFile(this, FileQuestion::Open, "Point me to MAME or MAME's xml file please...", kListingFilter,
                    "xml", chosen)) {
        return;
    }
    if (!IsMameProgram(chosen)) {
        TakeListing(chosen);
        return;
    }
    Outcome<UtilityOutput> check = CheckMameProgram(chosen);
    if (!check.Done()) {
        ShowOutcomeMessages(this, check);
        return;
    }
    // The listing goes where the user says, by default into the data folder: never beside MAME,
    // whose folder may be the system's.
    std::string listing = DefaultMameListingPath();
    if (!AskForFile(this, FileQuestion::Save, "Save MAME's listing as...", kXmlFilter, "xml", listing))
        return;
    ShowOutcomeMessages(this, check);
    // A MAME program runs for minutes: on the worker, behind the progress window, which counts
    // the bytes received (MAME never says how many will come).
    RunUtility(
        [chosen, listing](ProgressSink& progress) {
            return RunMameListing({chosen, listing}, progress);
        },
        [this](const Outcome<UtilityOutput>& outcome) { TakeListing(outcome.value.outputPath); },
        ProgressUnit::Bytes);
}

void SettingsWindow::TakeListing(const std::string& listing) {
    listXmlPath_ = listing;
    listXmlEdit_->setText(FromBytes(listing));
    UpdateMergeButton();
}

// Each utility asks its questions here, in the order the user always met them, and only then
// runs; a cancelled question runs nothing.
void SettingsWindow::OnMerge() {
    if (busy_) return;
    MergeInputs inputs;
    inputs.listXmlPath = listXmlPath_;
    inputs.catverPath = catverPath_;
    inputs.controlsPath = controlsPath_;
    inputs.nplayersPath = nplayersPath_;
    std::string output = SuggestedMergeOutput(inputs, InputText());
    if (!AskForFile(this, FileQuestion::Save, "Save merged file as...", kXmlFilter, "xml", output)) return;
    inputs.outputPath = output;
    RunUtility([inputs](ProgressSink& progress) { return RunMerge(inputs, progress); },
               [this](const Outcome<UtilityOutput>& outcome) { TakeOutput(outcome); });
}

void SettingsWindow::OnRomScan() {
    if (busy_) return;
    RomScanInputs inputs;
    inputs.inputPath = InputText();
    if (!AskForFile(this, FileQuestion::Folder, "Folder of ROMs to scan...", "", "", inputs.romFolder))
        return;
    if (!AskForFile(this, FileQuestion::Save, "Save scanned xml file as...", kXmlFilter, "xml",
                    inputs.outputPath))
        return;
    RunUtility([inputs](ProgressSink& progress) { return RunRomScan(inputs, progress); },
               [this](const Outcome<UtilityOutput>& outcome) { TakeOutput(outcome); });
}

void SettingsWindow::OnRomDirToXml() {
    if (busy_) return;
    RomDirInputs inputs;
    if (!AskForFile(this, FileQuestion::Folder, "Folder of ROMs to use...", "", "", inputs.romFolder)) return;
    if (!AskForFile(this, FileQuestion::Save, "Save new xml file as...", kXmlFilter, "xml",
                    inputs.outputPath))
        return;
    RunUtility([inputs](ProgressSink& progress) { return RunRomDirToXml(inputs, progress); },
               [this](const Outcome<UtilityOutput>& outcome) { TakeOutput(outcome); });
}

void SettingsWindow::OnMalaToXml() {
    if (busy_) return;
    ConverterInputs inputs;
    inputs.inputPath = InputText();
    if (!AskForFile(this, FileQuestion::Open, "Open a mala list...", "mlg files (*.mlg)|*.mlg", "mlg",
                    inputs.listPath))
        return;
    // A file that is no MaLa list is said before the output is asked for.
    Outcome<UtilityOutput> check = CheckMalaList(inputs.listPath);
    if (!check.Done()) {
        ShowOutcomeMessages(this, check);
        return;
    }
    if (!AskForFile(this, FileQuestion::Save, "Save new XML file as...", kXmlFilter, "xml",
                    inputs.outputPath))
        return;
    RunUtility([inputs](ProgressSink& progress) { return RunMalaToXml(inputs, progress); },
               [this](const Outcome<UtilityOutput>& outcome) { TakeOutput(outcome); });
}

void SettingsWindow::OnMaximusToXml() {
    if (busy_) return;
    ConverterInputs inputs;
    inputs.inputPath = InputText();
    if (!AskForFile(this, FileQuestion::Open, "Point me to a Maximus file please...",
                    "Maximus files (*.txt)|*.txt|xml files (*.xml)|*.xml", "txt;xml", inputs.listPath))
        return;
    RunUtility([inputs](ProgressSink& progress) { return RunMaximusToXml(inputs, progress); },
               [this](const Outcome<UtilityOutput>& outcome) { TakeOutput(outcome); });
}

void SettingsWindow::RunUtility(std::function<Outcome<UtilityOutput>(ProgressSink& progress)> utility,
                                std::function<void(const Outcome<UtilityOutput>& outcome)> done,
                                ProgressUnit unit) {
    busy_ = true;
    status_->clear();
    progress_ = ShowJobProgress(this, QString(), unit, [this] { utility_.Cancel(); });
    // A Cancel too late to keep the output from being written still tells what was written.
    utility_ = RunWriteThenDeliver(
        this, [utility = std::move(utility)](JobControl& control) { return utility(control); },
        [this, done = std::move(done)](Outcome<UtilityOutput> outcome) {
            delete progress_;
            // Still busy while the outcome is told: "Set" and Cancel wait for it.
            if (outcome.Cancelled()) {
                status_->setText(QString::fromUtf8(kCancelled));
            } else {
                ShowOutcomeMessages(this, outcome);
                if (outcome.Done()) done(outcome);
            }
            busy_ = false;
            Q_EMIT UtilityFinished();
        },
        [this](std::int64_t doneSoFar, std::int64_t total) {
            if (progress_) progress_->SetProgress(doneSoFar, total);
        },
        [this](const std::string& firstLine, const std::string& secondLine) {
            if (progress_) progress_->SetTexts(FromBytes(firstLine), FromBytes(secondLine));
        });
}

QString SettingsWindow::StatusText() const {
    return status_->text();
}

void SettingsWindow::TakeOutput(const Outcome<UtilityOutput>& outcome) {
    inputXmlPath_ = outcome.value.outputPath;
    inputEdit_->setText(FromBytes(outcome.value.outputPath));
    setButton_->setEnabled(true);
    // "This file is now set as your input xml file": stored at once, so that Cancel, the
    // next opening and the main window all see it.
    Settings settings = Settings::Load();
    settings.inputXmlFile = outcome.value.outputPath;
    if (settings.Save()) {
        storedInputXmlPath_ = outcome.value.outputPath;
    } else {
        ShowMessageBox(this, MessageIcon::Exclamation, SettingsNotSavedMessage());
    }
}

std::string SettingsWindow::SettingsNotSavedMessage() {
    return "The settings could not be saved to " + SettingsFilePath() + "!?";
}

std::string SettingsWindow::MissingInputMessage(const std::string& path) {
    return "The input file " + path + " does not exist!?\r\nChoose an existing xml file.";
}

void SettingsWindow::accept() {
    if (busy_) return;
    const std::string input = InputText();
    // A typed path is taken only when it names a file: a mistyped one would make every search
    // come back empty.
    if (!input.empty() && (!FileExists(input) || IsDirectory(input))) {
        ShowMessageBox(this, MessageIcon::Exclamation, MissingInputMessage(input));
        return;
    }
    for (const std::string& problem : {artwork_->Problem(), romFolders_->Problem()}) {
        if (problem.empty()) continue;
        ShowMessageBox(this, MessageIcon::Exclamation, problem);
        return;
    }
    inputXmlPath_ = input;
    // Values this window does not show (the "-find:" text, one game per family) stay as they are.
    Settings settings = Settings::Load();
    settings.inputXmlFile = inputXmlPath_;
    settings.listXmlFile = listXmlPath_;
    settings.catverFile = catverPath_;
    settings.controlsFile = controlsPath_;
    settings.nplayersFile = nplayersPath_;
    settings.hideRomNames = hideRomNamesBox_->isChecked();
    settings.hideTags = hideTagsBox_->isChecked();
    artwork_->Store(settings);
    romFolders_->Store(settings);
    hideRomNames_ = settings.hideRomNames;
    hideTags_ = settings.hideTags;
    if (settings.Save()) {
        storedInputXmlPath_ = inputXmlPath_;
    } else {
        ShowMessageBox(this, MessageIcon::Exclamation, SettingsNotSavedMessage());
    }
    QDialog::accept();
}

void SettingsWindow::reject() {
    if (busy_) return;
    // What was not "Set" is dropped: the main window goes on with the stored input file.
    inputXmlPath_ = storedInputXmlPath_;
    QDialog::reject();
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vantor::app
