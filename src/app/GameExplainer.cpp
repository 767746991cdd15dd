#include "GameExplainer.h"

#include <QPointer>
#include <QWidget>

#include "QtUserInterface.h"
#include "TextWindow.h"
#include "gamedata/AppPaths.h"
#include "gamedata/Catalog.h"
#include "gamedata/TextUtil.h"
#include "search/Explanation.h"
#include "search/SearchText.h"

namespace vantor::app {

GameExplainer::GameExplainer(const Catalog& catalog, QObject* parent) : QObject(parent), catalog_(catalog) {}

void GameExplainer::Explain(QWidget* owner, Game by, const std::string& game, const std::string& findText,
                            const FamilyOptions* family) {
    ExplainRequest request;
    request.typed = findText;
    Trim(request.typed);
    if (family != nullptr) request.family = *family;
    QPointer<QWidget> window = owner;
    owner->setCursor(Qt::BusyCursor);
    job_ = RunThenDeliver(
        this,
        [catalog = SnapshotOf(catalog_), by, game, request](JobControl& control) mutable {
            request.expression = PrepareSearchText(request.typed, FindDataFile("vnmacros.txt"));
            const Catalog& own = *catalog;
            if (!own.file.IsOpen()) throw EngineError(kInputFileUnreadable);
            if (by == Game::ByRomName) return ExplainGame(own, game, request, &control);
            const std::optional<RecordKey> key = RecordKey::Parse(game);
            if (!key) throw EngineError("No game at record " + game + " in the input file.");
            return ExplainGameAt(own, *key, request, &control);
        },
        [this, window](Outcome<GameExplanation> outcome) {
            if (window.isNull()) return;
            window->unsetCursor();
            if (!outcome.Done()) {
                ShowOutcomeMessages(window, outcome);
                return;
            }
            const GameExplanation& explanation = outcome.value;
            const std::string title =
                std::string(explanation.matches ? kWhyInListText : kWhyNotText) + " " + explanation.romName;
            auto* text = new TextWindow(title, explanation.text, true, window);
            text->setObjectName(QStringLiteral("explanationWindow"));
            text->setAttribute(Qt::WA_DeleteOnClose);
            text->show();
            Q_EMIT Shown(explanation.text);
        });
}

}  // namespace vantor::app
