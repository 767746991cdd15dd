#pragma once
// The settings window's "Artwork" group: the artwork folder and the kinds of picture the list
// windows and the details show.
#include <QGroupBox>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;

namespace vantor {
struct Settings;
}

namespace vantor::app {

class ArtworkSettingsBox : public QGroupBox {
    Q_OBJECT
  public:
    ArtworkSettingsBox(const Settings& settings, QWidget* parent);

    std::string Folder() const;
    // What "Set" would refuse, or "": a folder named that does not exist.
    std::string Problem() const;
    void Store(Settings& settings) const;

  private:
    void OnBrowse();

    QLineEdit* folderEdit_;
    std::vector<QCheckBox*> kindBoxes_;  // in PictureKinds() order
};

}  // namespace vantor::app
