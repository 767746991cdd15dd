#include "DetailsView.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <memory>

#include "TextWindow.h"
#include "gamedata/Catalog.h"
#include "search/SearchDriver.h"

namespace vantor::app {

DetailsView::DetailsView(QWidget* owner, const Catalog& catalog)
    : QObject(owner), owner_(owner), catalog_(catalog) {}

void DetailsView::Show(const std::string& name, const std::string& romName, bool hideRomNames) {
    if (busy_) return;
    busy_ = true;
    owner_->setCursor(Qt::BusyCursor);
    auto text = std::make_shared<std::string>();
    const std::string path = catalog_.file.Path();
    const bool open = catalog_.file.IsOpen();
    const int inputType = catalog_.inputType;
    QThread* thread = QThread::create([text, path, open, inputType, romName, hideRomNames] {
        Catalog own;
        own.inputType = inputType;
        own.display.hideRomNames = hideRomNames;
        if (open && own.file.Open(path)) DetailsText(own, romName, *text);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, text, name] {
        busy_ = false;
        owner_->unsetCursor();
        TextWindow dialog(name, *text, false, owner_);
        QMetaObject::invokeMethod(
            this, [this, text] { Q_EMIT Opened(*text); }, Qt::QueuedConnection);
        dialog.exec();
    });
    thread->start();
}

}  // namespace vantor::app
