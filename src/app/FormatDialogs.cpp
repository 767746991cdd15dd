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

namespace {

// "rom-folder" as an object name: "romFolder".
QString ObjectName(const char* cliName, const char* suffix) {
    QString name;
    bool upper = false;
    for (const char* c = cliName; *c != '\0'; ++c) {
        if (*c == '-') {
            upper = true;
            continue;
        }
        name += upper ? QChar(*c).toUpper() : QChar(*c);
        upper = false;
    }
    return name + QString::fromUtf8(suffix);
}

std::string SettingsKey(const ListFormatInfo& format, ListOption option) {
    return std::string(format.settingsPrefix) + OptionInfo(option).settingsName;
}

}  // namespace

FormatOptionsDialog::FormatOptionsDialog(const ListFormatInfo& format, ListOptions choice,
                                         bool categoriesKnown, QWidget* parent)
    : QDialog(parent), format_(format), choice_(std::move(choice)) {
    setObjectName(QStringLiteral("formatOptionsDialog"));
    setWindowTitle(QString::fromUtf8(format.name) + QStringLiteral(" options"));
    setWindowIcon(AppIcon());

    auto* intro = new QLabel(QString::fromUtf8(format.placement), this);
    intro->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    auto* fields = new QFormLayout;
    layout->addLayout(fields);
    for (const FormatOption& taken : format.options) {
        const ListOptionInfo& option = OptionInfo(taken.option);
        const QString label = QString::fromUtf8(*taken.label != '\0' ? taken.label : option.label);
        if (option.kind == OptionKind::Flag) {
            auto* box = new QCheckBox(label, this);
            box->setObjectName(ObjectName(option.cliName, "Box"));
            box->setChecked(choice_.Has(taken.option));
            if (taken.option == ListOption::SplitByCategory) {
                if (!categoriesKnown) box->setChecked(false);
                box->setEnabled(categoriesKnown);
                box->setToolTip(QString::fromUtf8(categoriesKnown
                                                      ? taken.help
                                                      : "Needs a merged master file: the categories come "
                                                        "from catver.ini."));
            }
            layout->addWidget(box);
            boxes_.emplace_back(taken.option, box);
            if (taken.option == ListOption::SplitByCategory) {
                // One list per main category ("Maze") instead of per category ("Maze / Collect").
                mainCategoriesBox_ = new QCheckBox(
                    QStringLiteral("Main categories only (\"Maze\" for \"Maze / Collect\")"), this);
                mainCategoriesBox_->setObjectName(QStringLiteral("mainCategoriesBox"));
                mainCategoriesBox_->setChecked(choice_.Text(ListOption::SplitByCategory) == "main");
                mainCategoriesBox_->setEnabled(categoriesKnown && box->isChecked());
                connect(box, &QCheckBox::toggled, mainCategoriesBox_, &QCheckBox::setEnabled);
                auto* indented = new QHBoxLayout;
                indented->addSpacing(24);
                indented->addWidget(mainCategoriesBox_);
                layout->addLayout(indented);
            }
            continue;
        }
        auto* edit = new QLineEdit(FromBytes(choice_.Text(taken.option)), this);
        edit->setObjectName(ObjectName(option.cliName, "Edit"));
        edit->setPlaceholderText(QString::fromUtf8(taken.defaultText));
        edit->setToolTip(QString::fromUtf8(taken.help));
        edits_.emplace_back(taken.option, edit);
        if (option.kind != OptionKind::Folder) {
            fields->addRow(label, edit);
            continue;
        }
        auto* browse = new QPushButton(QStringLiteral("Browse"), this);
        browse->setObjectName(ObjectName(option.cliName, "Browse"));
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, edit, label] {
            std::string chosen;
            if (AskForFile(this, FileQuestion::Folder, ToBytes(label), "", "", chosen))
                edit->setText(FromBytes(chosen));
        });
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(browse);
        fields->addRow(label, row);
    }
    layout->addWidget(MakeOkCancel(this));
    setMinimumWidth(480);
    if (!edits_.empty()) edits_.front().second->setFocus();
}

void FormatOptionsDialog::accept() {
    ListOptions choice;
    for (const auto& [option, edit] : edits_) {
        const std::string value = ToBytes(edit->text().trimmed());
        if (!value.empty()) choice.Set(option, value);
    }
    for (const auto& [option, box] : boxes_) {
        if (!(box->isEnabled() ? box->isChecked() : choice_.Has(option))) continue;
        const bool main = option == ListOption::SplitByCategory && mainCategoriesBox_ != nullptr &&
                          (box->isEnabled() ? mainCategoriesBox_->isChecked()
                                            : choice_.Text(ListOption::SplitByCategory) == "main");
        choice.Set(option, main ? "main" : "");
    }
    choice_ = std::move(choice);
    QDialog::accept();
}

ListOptions LoadFormatChoice(const ListFormatInfo& format, const std::string& settingsPath) {
    ListOptions choice;
    SettingsStore store(settingsPath);
    if (format.settingsPrefix == nullptr || !store.Open(false)) return choice;
    for (const FormatOption& taken : format.options) {
        const std::string key = SettingsKey(format, taken.option);
        if (OptionInfo(taken.option).kind == OptionKind::Flag) {
            const bool main = taken.option == ListOption::SplitByCategory && store.GetFlag(key + "Main");
            if (store.GetFlag(key)) choice.Set(taken.option, main ? "main" : "");
        } else if (std::string value = store.GetText(key); !value.empty()) {
            choice.Set(taken.option, std::move(value));
        }
    }
    return choice;
}

bool SaveFormatChoice(const ListFormatInfo& format, const ListOptions& choice,
                      const std::string& settingsPath) {
    SettingsStore store(settingsPath);
    if (format.settingsPrefix == nullptr || !store.Open(true)) return false;
    std::vector<std::pair<std::string, std::string>> values;
    for (const FormatOption& taken : format.options) {
        const bool flag = OptionInfo(taken.option).kind == OptionKind::Flag;
        values.emplace_back(SettingsKey(format, taken.option),
                            flag ? (choice.Has(taken.option) ? "1" : "0") : choice.Text(taken.option));
        if (taken.option == ListOption::SplitByCategory)
            values.emplace_back(SettingsKey(format, taken.option) + "Main",
                                choice.Text(taken.option) == "main" ? "1" : "0");
    }
    return store.SetTexts(values);
}

}  // namespace vantor::app
