#include "ArtworkSettingsBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "QtUserInterface.h"
#include "artwork/Artwork.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"

namespace vantor::app {

ArtworkSettingsBox::ArtworkSettingsBox(const Settings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Artwork"), parent) {
    setObjectName(QStringLiteral("artworkBox"));
    auto* text =
        new QLabel(QStringLiteral("MAME's artwork folder (snap, titles, marquees, flyers and cabinets, as "
                                  "folders of pictures or as zips). The list windows show the selected "
                                  "game's pictures:"),
                   this);
    text->setWordWrap(true);
    folderEdit_ = new QLineEdit(FromBytes(settings.artworkFolder), this);
    folderEdit_->setObjectName(QStringLiteral("artworkFolderEdit"));
    folderEdit_->setPlaceholderText(QStringLiteral("no pictures"));
    auto* browse = new QPushButton(QStringLiteral("Browse"), this);
    browse->setObjectName(QStringLiteral("artworkBrowseButton"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &ArtworkSettingsBox::OnBrowse);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderEdit_, 1);
    folderRow->addWidget(browse);

    const std::vector<PictureKind> chosen = ParsePictureKindList(settings.artworkKinds);
    auto* kinds = new QGridLayout;
    for (const PictureKindInfo& info : PictureKinds()) {
        auto* box = new QCheckBox(QString::fromUtf8(info.label), this);
        box->setObjectName(QStringLiteral("artworkKind_") + QString::fromUtf8(info.name));
        box->setChecked(std::find(chosen.begin(), chosen.end(), info.kind) != chosen.end());
        const int index = static_cast<int>(kindBoxes_.size());
        kinds->addWidget(box, index / 3, index % 3);
        kindBoxes_.push_back(box);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(folderRow);
    layout->addLayout(kinds);
}

std::string ArtworkSettingsBox::Folder() const {
    return ToBytes(folderEdit_->text().trimmed());
}

std::string ArtworkSettingsBox::Problem() const {
    const std::string folder = Folder();
    if (folder.empty() || IsDirectory(folder)) return {};
    return "The artwork folder " + folder + " does not exist!?\r\nChoose an existing folder, or none.";
}

void ArtworkSettingsBox::Store(Settings& settings) const {
    settings.artworkFolder = Folder();
    std::vector<PictureKind> chosen;
    for (std::size_t i = 0; i < kindBoxes_.size(); ++i) {
        if (kindBoxes_[i]->isChecked()) chosen.push_back(PictureKinds()[i].kind);
    }
    settings.artworkKinds = PictureKindListText(chosen);
}

void ArtworkSettingsBox::OnBrowse() {
    std::string folder = Folder();
    if (AskForFile(this, FileQuestion::Folder, "Your MAME artwork folder...", "", "", folder))
        folderEdit_->setText(FromBytes(folder));
}

}  // namespace vantor::app
