#include "DetailsView.h"

#include <QWidget>

#include "PicturePane.h"
#include "QtUserInterface.h"
#include "TextWindow.h"
#include "artwork/Artwork.h"
#include "gamedata/Catalog.h"
#include "search/GameDetails.h"

namespace vantor::app {

DetailsView::DetailsView(QWidget* owner, const Catalog& catalog)
    : QObject(owner), owner_(owner), catalog_(catalog) {}

void DetailsView::Show(const std::string& name, const std::string& romName, bool hideRomNames) {
    owner_->setCursor(Qt::BusyCursor);
    const std::string path = catalog_.file.Path();
    const bool open = catalog_.file.IsOpen();
    const int inputType = catalog_.inputType;
    job_ = RunThenDeliver(
        this,
        [path, open, inputType, romName, hideRomNames](JobControl&) {
            std::string text;
            Catalog own;
            own.inputType = inputType;
            own.display.hideRomNames = hideRomNames;
            if (open && own.file.Open(path)) (void)DetailsText(own, romName, text);
            return text;
        },
        [this, name, romName](Outcome<std::string> outcome) {
            owner_->unsetCursor();
            if (!owner_->isVisible()) return;
            if (!outcome.Done()) {
                ShowOutcomeMessages(owner_, outcome);
                return;
            }
            // Opened without a nested event loop: the window deletes itself when closed.
            auto* window = new TextWindow(name, outcome.value, false, owner_);
            window->setAttribute(Qt::WA_DeleteOnClose);
            auto* pictures = new PicturePane(window);
            if (pictures->Configured()) {
                window->AddSidePane(pictures);
                pictures->ShowGame(romName, ParentName(catalog_, outcome.value));
            } else {
                delete pictures;
            }
            window->open();
            Q_EMIT Opened(outcome.value);
        });
}

}  // namespace vantor::app
