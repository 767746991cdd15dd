#pragma once
// The settings window's "ROM sets" box: the ROM folders "Audit ROMs" searches, in order, and the
// CHD folder.
#include <QGroupBox>
#include <string>
#include <vector>

#include "gamedata/SettingsStore.h"

class QLineEdit;

namespace vantor::app {

class RomFoldersSettingsBox : public QGroupBox {
    Q_OBJECT
  public:
    RomFoldersSettingsBox(const Settings& settings, QWidget* parent);

    // The folders as typed, ";" between two.
    std::vector<std::string> RomFolders() const;
    std::string ChdFolder() const;
    // What "Set" would refuse, or "": a folder named that does not exist.
    std::string Problem() const;
    void Store(Settings& settings) const;

  private:
    QLineEdit* romFoldersEdit_;
    QLineEdit* chdFolderEdit_;
};

}  // namespace vantor::app
