#include "VantorSettingsDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "AppState.h"
#include "QtUserInterface.h"
#include "gamedata/AppPaths.h"
#include "gamedata/RegistryKey.h"
#include "gamedata/TagTable.h"

namespace vantor::app {

CVantorSettingsDlg::CVantorSettingsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("settingsDlg"));
    setWindowTitle(QStringLiteral("Settings"));
    setWindowIcon(AppIcon());

    Settings settings = Settings::Load();
    if (settings.keyExists) {
        inputXmlPath_ = settings.inputXmlFile;
        hideRomNames_ = settings.hideSha1s;
        g_hideTags = settings.hideTags;
    }

    auto* inputLabel = new QLabel(
        QStringLiteral("Input XML file.  This is what Vantor works with to create your output lists.\n\n"
                       "The best option is to use the merge tool below to create a master, merged XML file.\n"
                       "Otherwise you can use controls.xml or MAME's -listxml file."),
        this);
    inputLabel->setWordWrap(true);
    inputEdit_ = new QLineEdit(FromBytes(inputXmlPath_), this);
    inputEdit_->setObjectName(QStringLiteral("id1025"));
    auto* browse = new QPushButton(QStringLiteral("Browse"), this);
    browse->setObjectName(QStringLiteral("id1066"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &CVantorSettingsDlg::OnBrowseInput);

    auto* misc = new QGroupBox(QStringLiteral("Misc settings"), this);
    hideRomNamesBox_ =
        new QCheckBox(QStringLiteral("Hide ROM names (and SHA1/CRCs) in output display"), misc);
    hideRomNamesBox_->setObjectName(QStringLiteral("id1069"));
    hideRomNamesBox_->setChecked(hideRomNames_);
    hideTagsBox_ =
        new QCheckBox(QStringLiteral("Hide tags in ROM descriptions: (SET 1), (US), (hack), etc."), misc);
    hideTagsBox_->setObjectName(QStringLiteral("id1092"));
    hideTagsBox_->setChecked(g_hideTags.load());
    auto* miscLayout = new QVBoxLayout(misc);
    miscLayout->addWidget(hideRomNamesBox_);
    miscLayout->addWidget(hideTagsBox_);

    setButton_ = new QPushButton(QStringLiteral("Set"), this);
    setButton_->setObjectName(QStringLiteral("id1"));
    setButton_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    cancel->setAutoDefault(false);
    connect(setButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setButton_->setEnabled(!inputXmlPath_.empty());
    // A typed path counts as much as a browsed one: "Set" reads the box.
    connect(inputEdit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { setButton_->setEnabled(!text.trimmed().isEmpty()); });

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(inputEdit_, 1);
    pathRow->addWidget(browse);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(setButton_);
    buttonRow->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(inputLabel);
    layout->addLayout(pathRow);
    layout->addWidget(misc);
    layout->addStretch(1);
    layout->addLayout(buttonRow);
    setMinimumWidth(560);
}

void CVantorSettingsDlg::OnBrowseInput() {
    std::string path = inputXmlPath_;
    if (!AskForFile(this, FileQuestion::Save, "Point me to your xml file please...",
                    "xml files (*.xml)|*.xml", "xml", path)) {
        return;
    }
    inputXmlPath_ = path;
    inputEdit_->setText(FromBytes(path));
    setButton_->setEnabled(true);
}

void CVantorSettingsDlg::accept() {
    inputXmlPath_ = ToBytes(inputEdit_->text());
    // The values this dialog does not show are kept as stored.
    Settings settings = Settings::Load();
    settings.inputXmlFile = inputXmlPath_;
    settings.hideSha1s = hideRomNamesBox_->isChecked();
    settings.hideTags = hideTagsBox_->isChecked();
    hideRomNames_ = settings.hideSha1s;
    g_hideTags = settings.hideTags;
    if (!settings.Save()) {
        ShowMessageBox(this, MessageIcon::Exclamation,
                       "The settings could not be saved to " + SettingsFilePath() + "!?");
    }
    g_inputType = UnknownInput;
    g_fullListReady = false;
    QDialog::accept();
}

}  // namespace vantor::app
