#include "FormatDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "QtUserInterface.h"
#include "utilities/UtilityCommon.h"

namespace vantor::app {

namespace {

// OK, and Cancel when the dialog offers it (Escape cancels either way).
QDialogButtonBox* MakeOkCancel(QDialog* dialog, bool withCancel = true) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    if (withCancel) {
        buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const std::string& text) {
    auto* edit = new QLineEdit(FromBytes(text), parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

}  // namespace

ListTitleDialog::ListTitleDialog(std::string titleText, QWidget* parent)
    : QDialog(parent), titleText_(std::move(titleText)) {
    setObjectName(QStringLiteral("listTitleDialog"));
    setWindowTitle(QStringLiteral("List options"));
    setWindowIcon(AppIcon());

    auto* label = new QLabel(QStringLiteral("List Title:"), this);
    edit_ = MakeEdit(this, "titleEdit", titleText_);
    label->setBuddy(edit_);
    QDialogButtonBox* buttons = MakeOkCancel(this, false);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(edit_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(340);
    edit_->setFocus();
}

void ListTitleDialog::accept() {
    titleText_ = ToBytes(edit_->text());
    QDialog::accept();
}

BatchTemplateDialog::BatchTemplateDialog(std::string templateText, BatchForm form, QWidget* parent)
    : QDialog(parent), templateText_(std::move(templateText)), form_(form) {
    setObjectName(QStringLiteral("batchTemplateDialog"));
    setWindowTitle(QStringLiteral("Batch file creation"));
    setWindowIcon(AppIcon());

    auto* intro = new QLabel(
        QStringLiteral(
            "Batch files are built off the ROM name only.\n\nEdit the below text to suit your needs, "
            "using %ROM% as a placeholder where the name will be inserted."),
        this);
    intro->setWordWrap(true);
    shellButton_ = new QRadioButton(QStringLiteral("Shell script (.sh) for Linux"), this);
    shellButton_->setObjectName(QStringLiteral("shellForm"));
    windowsButton_ = new QRadioButton(QStringLiteral("Windows batch file (.bat)"), this);
    windowsButton_->setObjectName(QStringLiteral("windowsForm"));
    (form_ == BatchForm::Shell ? shellButton_ : windowsButton_)->setChecked(true);
    edit_ = MakeEdit(this, "templateEdit", templateText_);
    examples_ = new QLabel(this);
    examples_->setObjectName(QStringLiteral("examples"));
    examples_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(shellButton_, &QRadioButton::toggled, this,
            [this](bool shell) { ShowForm(shell ? BatchForm::Shell : BatchForm::Windows); });

    auto* forms = new QHBoxLayout;
    forms->addWidget(shellButton_);
    forms->addWidget(windowsButton_);
    forms->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(forms);
    layout->addWidget(edit_);
    layout->addWidget(examples_);
    layout->addWidget(MakeOkCancel(this));
    setMinimumWidth(460);
    ShowForm(form_);
    edit_->setFocus();
}

void BatchTemplateDialog::ShowForm(BatchForm form) {
    if (form != form_ && ToBytes(edit_->text()) == DefaultBatchTemplate(form_))
        edit_->setText(QString::fromUtf8(DefaultBatchTemplate(form)));
    form_ = form;
    // Values are filled in so that they are safe inside double quotes, as in the examples.
    examples_->setText(form == BatchForm::Shell
                           ? QStringLiteral("Examples:\ncp \"%ROM%.png\" ~/mame/snap/\nrm \"%ROM%.zip\"")
                           : QStringLiteral("Examples:\ncopy %ROM%.png c:\\mame\\snap\ndel %ROM%.zip"));
}

void BatchTemplateDialog::accept() {
    templateText_ = ToBytes(edit_->text());
    QDialog::accept();
}

CabrioSettingsDialog::CabrioSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("cabrioSettingsDialog"));
    setWindowTitle(QStringLiteral("Cabrio Settings"));
    setWindowIcon(AppIcon());

    auto* titleLabel = new QLabel(QStringLiteral("List Title"), this);
    titleEdit_ = MakeEdit(this, "titleEdit", {});
    titleLabel->setBuddy(titleEdit_);

    auto* folders = new QGroupBox(QStringLiteral("Image Folders"), this);
    auto* grid = new QGridLayout(folders);
    const struct {
        const char* label;
        const char* editName;
        const char* browseName;
        const char* browseTitle;
        std::string* folder;
        QLineEdit** edit;
    } rows[] = {
        {"Logo images:", "logoFolderEdit", "logoBrowseButton", "Folder of logo images...", &logoFolder_,
         &logoEdit_},
        {"Screenshots:", "screenshotFolderEdit", "screenshotBrowseButton", "Folder of screesnhots...",
         &screenshotFolder_, &screenshotEdit_},
        {"Backgrounds:", "backgroundFolderEdit", "backgroundBrowseButton", "Folder of background images...",
         &backgroundFolder_, &backgroundEdit_},
    };
    int line = 0;
    for (const auto& row : rows) {
        auto* label = new QLabel(QString::fromUtf8(row.label), folders);
        QLineEdit* edit = MakeEdit(folders, row.editName, {});
        label->setBuddy(edit);
        auto* browse = new QPushButton(QStringLiteral("Browse"), folders);
        browse->setObjectName(QString::fromUtf8(row.browseName));
        browse->setAutoDefault(false);
        const char* title = row.browseTitle;
        std::string* folder = row.folder;
        connect(browse, &QPushButton::clicked, this,
                [this, title, folder, edit] { Browse(title, *folder, edit); });
        *row.edit = edit;
        grid->addWidget(label, line, 0);
        grid->addWidget(edit, line, 1);
        grid->addWidget(browse, line, 2);
        ++line;
    }
    grid->setColumnStretch(1, 1);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(titleLabel);
    titleRow->addWidget(titleEdit_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addWidget(folders);
    layout->addWidget(MakeOkCancel(this));
    setMinimumWidth(480);
    titleEdit_->setFocus();
}

void CabrioSettingsDialog::Browse(const char* title, std::string& folder, QLineEdit* edit) {
    std::string chosen;
    if (!AskForFile(this, FileQuestion::Folder, title, "", "", chosen)) return;
    folder = WithTrailingSlash(chosen);
    edit->setText(FromBytes(folder));
}

void CabrioSettingsDialog::accept() {
    listTitle_ = ToBytes(titleEdit_->text());
    backgroundFolder_ = ToBytes(backgroundEdit_->text());
    screenshotFolder_ = ToBytes(screenshotEdit_->text());
    logoFolder_ = ToBytes(logoEdit_->text());
    QDialog::accept();
}

GamelistOptionsDialog::GamelistOptionsDialog(GamelistSettings choice, bool batocera, bool categoriesKnown,
                                             QWidget* parent)
    : QDialog(parent), choice_(std::move(choice)) {
    setObjectName(QStringLiteral("gamelistOptionsDialog"));
    setWindowTitle(batocera ? QStringLiteral("EmulationStation (Batocera) list")
                            : QStringLiteral("EmulationStation (ES-DE) list"));
    setWindowIcon(AppIcon());

    auto* intro = new QLabel(
        QStringLiteral("Save as gamelist.xml in the front end's folder for MAME. A gamelist.xml already "
                       "there is updated: favourites, play counts and what the front end added stay."),
        this);
    intro->setWordWrap(true);
    auto makeEdit = [this](const char* name, const std::string& text, const char* placeholder) {
        auto* edit = new QLineEdit(FromBytes(text), this);
        edit->setObjectName(QString::fromUtf8(name));
        edit->setPlaceholderText(QString::fromUtf8(placeholder));
        return edit;
    };
    auto makeBox = [this](const char* name, const char* text, bool checked) {
        auto* box = new QCheckBox(QString::fromUtf8(text), this);
        box->setObjectName(QString::fromUtf8(name));
        box->setChecked(checked);
        return box;
    };
    romFolderEdit_ =
        makeEdit("romFolderEdit", choice_.romFolder, batocera ? "/userdata/roms/mame" : "%ROMPATH%/mame");
    romExtensionEdit_ = makeEdit("romExtensionEdit", choice_.romExtension, "zip");
    mediaBox_ = makeBox("mediaBox", "Image, marquee and video paths (where Batocera's scraper puts them)",
                        choice_.media);
    mediaBox_->setVisible(batocera);
    hideRemovedBox_ =
        makeBox("hideRemovedBox", "Keep games no longer in the list, hidden", choice_.hideRemoved);
    splitByCategoryBox_ =
        makeBox("splitByCategoryBox",
                categoriesKnown ? "One collection per category (custom-CATEGORY.cfg)"
                                : "One collection per category (needs a merged master file)",
                choice_.splitByCategory && categoriesKnown);
    splitByCategoryBox_->setEnabled(categoriesKnown);
    splitByCategoryBox_->setToolTip(
        QString::fromUtf8(batocera ? "Written beside the list; they go into Batocera's collections folder, "
                                     "/userdata/system/configs/emulationstation/collections/. The categories "
                                     "come from catver.ini, merged into the master file."
                                   : "Written beside the list; they go into ES-DE's collections folder, "
                                     "~/ES-DE/collections/. The categories come from catver.ini, merged into "
                                     "the master file."));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("ROM folder (for collections):"), romFolderEdit_);
    fields->addRow(QStringLiteral("Archive extension:"), romExtensionEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(fields);
    layout->addWidget(mediaBox_);
    layout->addWidget(hideRemovedBox_);
    layout->addWidget(splitByCategoryBox_);
    layout->addWidget(MakeOkCancel(this));
    setMinimumWidth(480);
    romFolderEdit_->setFocus();
}

void GamelistOptionsDialog::accept() {
    choice_.romFolder = ToBytes(romFolderEdit_->text().trimmed());
    choice_.romExtension = ToBytes(romExtensionEdit_->text().trimmed());
    if (!mediaBox_->isHidden()) choice_.media = mediaBox_->isChecked();
    choice_.hideRemoved = hideRemovedBox_->isChecked();
    if (splitByCategoryBox_->isEnabled()) choice_.splitByCategory = splitByCategoryBox_->isChecked();
    QDialog::accept();
}

FrontEndListDialog::FrontEndListDialog(ListFormat format, FrontEndListSettings choice, bool categoriesKnown,
                                       QWidget* parent)
    : QDialog(parent), choice_(std::move(choice)) {
    setObjectName(QStringLiteral("frontEndListDialog"));
    setWindowTitle(QString::fromUtf8(FormatInfo(format).name) + QStringLiteral(" options"));
    setWindowIcon(AppIcon());

    const char* intro = "";
    const char* categories = "";
    auto* fields = new QFormLayout;
    auto addEdit = [&](const char* label, const char* name, std::string& value, const char* placeholder) {
        auto* edit = new QLineEdit(FromBytes(value), this);
        edit->setObjectName(QString::fromUtf8(name));
        edit->setPlaceholderText(QString::fromUtf8(placeholder));
        fields->addRow(QString::fromUtf8(label), edit);
        edits_.emplace_back(edit, &value);
    };
    switch (format) {
        case ListFormat::RetroArch:
            intro =
                "Save as NAME.lpl in RetroArch's playlists folder. A playlist already there keeps the "
                "core chosen for each game.";
            categories = "One playlist per category (NAME - CATEGORY.lpl)";
            addEdit("ROM folder:", "romFolderEdit", choice_.romFolder, "~/roms/mame");
            addEdit("Archive extension:", "romExtensionEdit", choice_.romExtension, "zip");
            addEdit("Core path:", "corePathEdit", choice_.corePath, "DETECT");
            addEdit("Core name:", "coreNameEdit", choice_.coreName, "DETECT");
            addEdit("Category playlists start with:", "listNameEdit", choice_.listName,
                    "the playlist's file name");
            break;
        case ListFormat::Pegasus:
            intro = "Save as metadata.pegasus.txt in the folder of your ROMs (or give their folder below).";
            categories = "One collection per category (CATEGORY.metadata.pegasus.txt)";
            addEdit("Collection:", "listNameEdit", choice_.listName, "MAME");
            addEdit("ROM folder:", "romFolderEdit", choice_.romFolder, "the list's own folder");
            addEdit("Archive extension:", "romExtensionEdit", choice_.romExtension, "zip");
            addEdit("Launch command:", "launchEdit", choice_.launchCommand,
                    "mame -rompath \"{file.dir}\" \"{file.basename}\"");
            break;
        default:
            intro = "Save as NAME.txt in Attract-Mode's romlists folder.";
            categories = "One tag file per category (NAME/CATEGORY.tag)";
            addEdit("Emulator:", "listNameEdit", choice_.listName, "mame");
            break;
    }
    auto* introLabel = new QLabel(QString::fromUtf8(intro), this);
    introLabel->setWordWrap(true);
    splitByCategoryBox_ = new QCheckBox(QString::fromUtf8(categories), this);
    splitByCategoryBox_->setObjectName(QStringLiteral("splitByCategoryBox"));
    splitByCategoryBox_->setChecked(choice_.splitByCategory && categoriesKnown);
    splitByCategoryBox_->setEnabled(categoriesKnown);
    splitByCategoryBox_->setToolTip(
        categoriesKnown ? QStringLiteral("Written beside the list.")
                        : QStringLiteral("Needs a merged master file: the categories come from catver.ini."));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(introLabel);
    layout->addLayout(fields);
    layout->addWidget(splitByCategoryBox_);
    layout->addWidget(MakeOkCancel(this));
    setMinimumWidth(480);
    edits_.front().first->setFocus();
}

void FrontEndListDialog::accept() {
    for (auto& [edit, value] : edits_) *value = ToBytes(edit->text().trimmed());
    if (splitByCategoryBox_->isEnabled()) choice_.splitByCategory = splitByCategoryBox_->isChecked();
    QDialog::accept();
}

}  // namespace vantor::app
