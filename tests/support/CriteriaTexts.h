#pragma once
// The fixtures and expressions the differential tests run: the main window's "-find:" texts for the start-up
// criteria and for each single change of a criterion from them, and random word salads.
#include <random>
#include <string>
#include <vector>

#include "search/CriteriaModel.h"
#include "search/InputCheck.h"

namespace vantor::test {

// The "Arcade only" clause on a file of the default vocabulary (a merged file of an older listing).
inline constexpr const char* kArcadeOnlyClause =
    "(coins>0 & '<video ' & !ismechanical=yes & !('<category>Handheld' | '<category>TV Bundle' | "
    "'<category>Watch' | '<category>Tablet' | '<category>Game Console' | '<category>Computer' | "
    "'<category>Calculator' | '<category>Music /' | '<category>Utilities' | '<category>Electromechanical' | "
    "'<category>Slot Machine' | '<category>Medal Game' | '<category>Redemption Game'))";

inline std::vector<std::string> CriteriaTexts(const Outcome<InputCheck>& check) {
    std::vector<std::string> texts;
    CriteriaModel model;
    model.ApplyInputCheck(check);
    model.ApplyInitialState();
    texts.push_back(model.FindText());
    for (const CriterionInfo& info : CriteriaControls()) {
        const int changes =
            info.kind == CriterionKind::Combo ? static_cast<int>(ComboItems(info.key).size()) : 2;
        for (int change = 0; change < changes; ++change) {
            model.ApplyInitialState();
            bool changed = info.kind == CriterionKind::Combo
                               ? model.SetComboIndex(info.key, change)
                               : model.Click(info.key) && (change == 0 || model.Click(info.key));
            if (changed && !model.FindText().empty()) texts.push_back(model.FindText());
        }
    }
    return texts;
}

// `count` texts of one to six words each, the same for the same seed; some have mistakes in them.
inline std::vector<std::string> GeneratedExpressions(unsigned seed, int count) {
    std::mt19937 random(seed);
    const std::vector<std::string> words = {"pac",       "joy",  "ways=4", "!cloneof", "buttons>1", "'Namco'",
                                            "year<1981", "@USA", "(",      ")",        "|",         "&",
                                            "!",         "dial", "=",      "*an"};
    std::vector<std::string> generated;
    for (int i = 0; i < count; ++i) {
        std::string text;
        for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n)
            text += words[random() % words.size()] + " ";
        generated.push_back(text);
    }
    return generated;
}

// The fixtures of every master-file flavour, relative to tests/data.
inline const std::vector<std::string>& ListingFixtures() {
    static const std::vector<std::string> fixtures = {
        "gamedata/machines.xml", "app/games.xml",       "app/merged.xml", "output/merged.xml",
        "output/mamegame.xml",   "output/software.xml", "output/dat.xml"};
    return fixtures;
}

}  // namespace vantor::test
