// The live count of the main window (records held in memory) against "Go!" (a scan of the file):
// the start-up criteria, every single change of a criterion from them, and generated expressions.
#include "search/ListingCache.h"

#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "gamedata/TextUtil.h"
#include "search/CriteriaModel.h"
#include "search/Evaluator.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

std::string MacroFile() {
    return std::string(VANTOR_BIN_DIR) + "/vnmacros.txt";
}

// The "-find:" texts of the start-up criteria and of each single change from them.
std::vector<std::string> CriteriaTexts(const InputCheck& check) {
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

void ExpectCountEqualsGo(const std::string& path, const std::vector<std::string>& extra = {}) {
    Catalog catalog;
    InputCheck check = OpenInputFile(catalog, path);
    ASSERT_TRUE(check.opened) << path;
    auto cache = ListingCache::Build(catalog);
    std::vector<std::string> texts = CriteriaTexts(check);
    texts.insert(texts.end(), extra.begin(), extra.end());
    for (const std::string& text : texts) {
        std::string expression;
        try {
            expression = PrepareSearchText(text, MacroFile());
        } catch (const EngineError&) {
            continue;  // a generated text with a mistake in it: neither window answer runs
        }
        std::vector<std::int64_t> scanned;
        for (const MatchEntry& entry : ScanForMatches(catalog, expression))
            scanned.push_back(ParseRecordKey(entry.key));
        CompiledExpression compiled(expression);
        for (unsigned threads : {1u, 3u}) {
            ASSERT_EQ(cache->MatchingPositions(compiled, nullptr, threads), scanned) << path << ": " << text;
            ASSERT_EQ(cache->CountMatches(compiled, nullptr, threads),
                      static_cast<std::int64_t>(scanned.size()));
        }
    }
}

TEST(ListingCacheTest, CountEqualsGoOnTheFixtures) {
    std::mt19937 random(14);
    const std::vector<std::string> words = {"pac",       "joy",  "ways=4", "!cloneof", "buttons>1", "'Namco'",
                                            "year<1981", "@USA", "(",      ")",        "|",         "&",
                                            "!",         "dial", "=",      "*an"};
    std::vector<std::string> generated;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n)
            text += words[random() % words.size()] + " ";
        generated.push_back(text);
    }
    for (const char* fixture :
         {"gamedata/machines.xml", "app/games.xml", "app/merged.xml", "output/merged.xml",
          "output/mamegame.xml", "output/software.xml", "output/dat.xml"}) {
        ExpectCountEqualsGo(test::FixturePath(fixture), generated);
    }
}

TEST(ListingCacheTest, CancelledCountStops) {
    struct StopAtOnce : ProgressSink {
        void Progress(std::int64_t, std::int64_t) override {}
        bool CancelRequested() const override { return true; }
    } stop;
    Catalog catalog;
    ASSERT_TRUE(OpenInputFile(catalog, test::FixturePath("app/games.xml")).opened);
    EXPECT_THROW((void)ListingCache::Build(catalog, &stop), EngineError);
    auto cache = ListingCache::Build(catalog);
    try {
        (void)cache->CountMatches(CompiledExpression("="), &stop);
        ADD_FAILURE() << "not cancelled";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Kind(), ErrorKind::Cancelled);
    }
}

}  // namespace
}  // namespace vantor
