#include "DetailsView.h"

#include <QWidget>

#include "PicturePane.h"
#include "QtUserInterface.h"
#include "TextWindow.h"
#include "artwork/Artwork.h"
#include "gamedata/Catalog.h"
#include "search/GameDetails.h"
#include "search/OutsideTerms.h"

namespace vantor::app {

DetailsView::DetailsView(QWidget* owner, const Catalog& catalog)
    : QObject(owner), owner_(owner), catalog_(catalog) {}

void DetailsView::Show(const std::string& name, const std::string& romName, bool hideRomNames) {
    owner_->setCursor(Qt::BusyCursor);
    DisplayOptions display;
    display.hideRomNames = hideRomNames;
    job_ = RunThenDeliver(
        this,
        [catalog = SnapshotOf(catalog_, display), romName](JobControl&) {
            std::string text;
            if (catalog->file.IsOpen()) (void)DetailsText(*catalog, romName, text);
            return text;
        },
        [this, name, romName](Outcome<std::string> outcome) {
            owner_->unsetCursor();
            if (!owner_->isVisible()) return;
            if (!outcome.Done()) {
                ShowOutcomeMessages(owner_, outcome);
                return;
            }
            if (catalog_.outsideFacts) {
                outcome.value +=
                    "\nROM audit: " + catalog_.outsideFacts->Describe(kAuditTermKind, romName) + "\n";
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
