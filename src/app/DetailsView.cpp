#include "DetailsView.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <memory>

#include "GenericOutputDlg.h"
#include "gamedata/MasterFile.h"
#include "search/SearchDriver.h"

namespace vantor::app {

DetailsView::DetailsView(QWidget* owner) : QObject(owner), owner_(owner) {}

void DetailsView::Show(const std::string& name, const std::string& romName, bool hideRomNames) {
    if (busy_) return;
    busy_ = true;
    owner_->setCursor(Qt::BusyCursor);
    auto text = std::make_shared<std::string>();
    // A file of its own: the main window may close and reopen the shared one meanwhile.
    const std::string path = g_masterFile.Path();
    const bool open = g_masterFile.IsOpen();
    QThread* thread = QThread::create([text, path, open, romName, hideRomNames] {
        MasterFile file;
        if (open && file.Open(path)) DetailsText(file, romName, hideRomNames, *text);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, text, name] {
        busy_ = false;
        owner_->unsetCursor();
        CGenericOutputDlg dialog(name, *text, false, owner_);
        QMetaObject::invokeMethod(
            this, [this, text] { Q_EMIT Opened(*text); }, Qt::QueuedConnection);
        dialog.exec();
    });
    thread->start();
}

}  // namespace vantor::app
