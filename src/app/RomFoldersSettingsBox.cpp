#include "RomFoldersSettingsBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "QtUserInterface.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor::app {

namespace {
constexpr char kFolderSeparator = ';';
}  // namespace

RomFoldersSettingsBox::RomFoldersSettingsBox(const Settings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("ROM sets"), parent) {
    setObjectName(QStringLiteral("romFoldersBox"));
    std::string folders;
    for (const std::string& folder : settings.romFolders)
        folders += (folders.empty() ? "" : std::string(1, kFolderSeparator)) + folder;
    romFoldersEdit_ = new QLineEdit(FromBytes(folders), this);
    romFoldersEdit_->setObjectName(QStringLiteral("romFoldersEdit"));
    romFoldersEdit_->setPlaceholderText(
        QStringLiteral("folders of zip or 7z sets, searched in order, ; between"));
    chdFolderEdit_ = new QLineEdit(FromBytes(settings.chdFolder), this);
    chdFolderEdit_->setObjectName(QStringLiteral("chdFolderEdit"));
    chdFolderEdit_->setPlaceholderText(QStringLiteral("optional: CHDs in folders named after the sets"));

    auto* grid = new QGridLayout(this);
    auto addRow = [&](int row, const char* label, QLineEdit* edit, const char* browseName, bool append) {
        auto* text = new QLabel(QString::fromUtf8(label), this);
        text->setBuddy(edit);
        auto* browse = new QPushButton(QStringLiteral("Browse"), this);
        browse->setObjectName(QString::fromUtf8(browseName));
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, edit, append] {
            std::string folder;
            if (!AskForFile(this, FileQuestion::Folder, "A folder of ROM sets...", "", "", folder)) return;
            QString text = edit->text().trimmed();
            // The ROM folders gain the one chosen; the CHD folder is replaced.
            if (append && !text.isEmpty()) text += QChar::fromLatin1(kFolderSeparator);
            edit->setText(append ? text + FromBytes(folder) : FromBytes(folder));
        });
        grid->addWidget(text, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(browse, row, 2);
    };
    addRow(0, "ROM folders:", romFoldersEdit_, "romFoldersBrowseButton", true);
    addRow(1, "CHD folder:", chdFolderEdit_, "chdFolderBrowseButton", false);
}

std::vector<std::string> RomFoldersSettingsBox::RomFolders() const {
    std::vector<std::string> folders;
    const std::string text = ToBytes(romFoldersEdit_->text());
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(kFolderSeparator, at), text.size());
        std::string folder = text.substr(at, end - at);
        Trim(folder);
        if (!folder.empty()) folders.push_back(folder);
        at = end + 1;
    }
    return folders;
}

std::string RomFoldersSettingsBox::ChdFolder() const {
    return ToBytes(chdFolderEdit_->text().trimmed());
}

std::string RomFoldersSettingsBox::Problem() const {
    std::vector<std::string> folders = RomFolders();
    if (!ChdFolder().empty()) folders.push_back(ChdFolder());
    for (const std::string& folder : folders) {
        if (!IsDirectory(folder))
            return "The folder " + folder +
                   " does not exist!?\r\nChoose existing ROM and CHD folders, or none.";
    }
    return {};
}

void RomFoldersSettingsBox::Store(Settings& settings) const {
    settings.romFolders = RomFolders();
    settings.chdFolder = ChdFolder();
}

}  // namespace vantor::app
