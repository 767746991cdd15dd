#include "search/CriteriaModel.h"

#include <gtest/gtest.h>

#include <set>

#include "gamedata/TagTable.h"
#include "search/SearchDriver.h"

namespace vantor {
namespace {

using namespace criteria_id;

const char* const kAllCategories =
    " !('ball & paddle' | isbios=yes | breakout | casino | climbing | driving | fighter | maze | mini-games "
    "| "
    "mature | misc. | multiplay | pinball | platform | puzzle | quiz | rhythm | shooter | sports | tabletop "
    "| "
    "wrestling | Fruit_Machines | Electromechanical)";

TEST(CriteriaModelTest, BlankStateBuildsNothing) {
    CriteriaModel model;
    EXPECT_EQ(model.FindText(), "");
    EXPECT_EQ(model.BuildSearchCommand(), "");
    EXPECT_TRUE(model.IsChecked(kUpright));
    EXPECT_EQ(model.Check(kTwoWay), CheckState::Indeterminate);
    EXPECT_EQ(model.Check(kPlayable), CheckState::Unchecked);
    EXPECT_FALSE(model.IsEnabled(kNot));
    EXPECT_FALSE(model.IsEnabled(kOrLess));
}

TEST(CriteriaModelTest, TriStateGroupsSplitIntoIncludeAndExclude) {
    CriteriaModel model;
    model.SetCheck(kEightWay, CheckState::Checked);
    model.SetCheck(kTrackball, CheckState::Unchecked);
    EXPECT_EQ(model.FindText(), "(joy8way) & !(trackball)");

    model.SetCheck(kEightWay, CheckState::Indeterminate);
    EXPECT_EQ(model.FindText(), " !(trackball)");  // exclude only: a leading space

    model.SetCheck(kTrackball, CheckState::Indeterminate);
    model.SetCheck(kTwoWay, CheckState::Checked);
    model.SetCheck(kButtonsOnly, CheckState::Checked);
    model.SetCheck(1021, CheckState::Checked);  // Analog
    EXPECT_EQ(model.FindText(), "(joy2way | 'Analog' | !'control type=')");

    model.SetGroup(CriteriaGroup::Players, CheckState::Indeterminate);
    model.SetCheck(1112, CheckState::Checked);
    model.SetCheck(1107, CheckState::Unchecked);
    std::string players;
    ASSERT_TRUE(model.BuildPlayersClause(players));
    EXPECT_EQ(players, "('<nplayers>1P<') & !('<nplayers>4P sim<')");
}

TEST(CriteriaModelTest, AnyNoneSetsEveryCategory) {
    CriteriaModel model;
    model.SetCheck(1075, CheckState::Checked);  // Fighter, overridden by Any/None
    model.SetCheck(kAnyNone, CheckState::Checked);
    EXPECT_EQ(model.FindText(), " !(isbios=yes)");
    EXPECT_EQ(model.Check(1075), CheckState::Indeterminate);
    EXPECT_EQ(model.Check(kBios), CheckState::Unchecked);

    model.Click(kAnyNone);
    EXPECT_FALSE(model.IsChecked(kAnyNone));
    EXPECT_EQ(model.FindText(), kAllCategories);
}

TEST(CriteriaModelTest, ButtonsClause) {
    CriteriaModel model;
    model.SetComboIndex(kButtons, 1);  // "0"
    EXPECT_EQ(model.FindText(), "!buttons=");
    model.SetInputType(MergedList);
    EXPECT_EQ(model.BuildSearchCommand(), "buttons=0");
    model.SetInputType(MameMachine);
    EXPECT_EQ(model.BuildSearchCommand(), "buttons=0");

    model.SetComboIndex(kButtons, 5);
    EXPECT_EQ(model.FindText(), "buttons=4");
    model.SetCheck(kOrLess, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(buttons=4 | buttons=3 | buttons=2 | buttons=1 | buttons=0 | !buttons=)");
    model.SetComboIndex(kButtons, 3);
    EXPECT_EQ(model.FindText(), "(buttons=2 | buttons=1 | buttons=0 | !buttons=)");
    model.SetComboIndex(kButtons, 2);
    EXPECT_EQ(model.FindText(), "(buttons=1 | buttons=0 | !buttons=)");

    // "0" disables "or less": its tick stays but no longer counts.
    model.SetInputType(MameGame);
    model.SetComboIndex(kButtons, 1);
    EXPECT_FALSE(model.IsEnabled(kOrLess));
    EXPECT_TRUE(model.IsChecked(kOrLess));
    EXPECT_EQ(model.FindText(), "!buttons=");
    model.SetComboIndex(kButtons, 0);
    EXPECT_EQ(model.FindText(), "");

    EXPECT_FALSE(model.SetComboIndex(kButtons, 18));
    EXPECT_FALSE(model.SetComboIndex(kButtons, -1));
    EXPECT_EQ(model.ComboIndex(kButtons), 0);
}

TEST(CriteriaModelTest, OrientationUsesTheInputCheckClauses) {
    CriteriaModel model;
    model.SetCheck(kVerticalOnly, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(rotate=90 | rotate=270)");
    model.SetCheck(kHorizontalOnly, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "");  // both ticked: no orientation clause
    model.SetCheck(kVerticalOnly, CheckState::Unchecked);
    EXPECT_EQ(model.FindText(), "(rotate=0 | rotate=180)");

    InputCheck check;
    check.opened = true;
    check.inputType = MameGame;
    check.verticalClause = "orientation=vertical";
    check.horizontalClause = "orientation=horizontal";
    model.ApplyInputCheck(check);
    EXPECT_EQ(model.FindText(), "(rotate=0 | rotate=180)");  // the text waits for the next change
    EXPECT_EQ(model.BuildSearchCommand(), "orientation=horizontal");
}

TEST(CriteriaModelTest, MiscClauseOnlyForListingsThatCarryIt) {
    CriteriaModel model;
    model.SetCheck(kNoClones, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "!cloneof");
    model.SetCheck(kPlayable, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(!cloneof & !emulation=preliminary)");
    model.SetCheck(kNoSamples, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(!cloneof & !sample_name= & !emulation=preliminary)");

    for (int type : {MameMachine, Dat, SoftwareList, UnknownInput}) {
        model.SetInputType(type);
        EXPECT_EQ(model.BuildSearchCommand(), "") << "type " << type;
    }
    model.SetInputType(MergedList);
    EXPECT_EQ(model.BuildSearchCommand(), "(!cloneof & !sample_name= & !emulation=preliminary)");
}

TEST(CriteriaModelTest, RegionAndNot) {
    CriteriaModel model;
    EXPECT_FALSE(model.Click(kNot));  // disabled while the region is "Any"
    model.SetComboIndex(kRegion, 2);
    EXPECT_TRUE(model.IsEnabled(kNot));
    EXPECT_EQ(model.FindText(), "@JAPAN");
    EXPECT_TRUE(model.Click(kNot));
    EXPECT_EQ(model.FindText(), "!@JAPAN");
    model.SetComboIndex(kRegion, 3);
    EXPECT_EQ(model.FindText(), "!@EURO");
    model.SetComboIndex(kRegion, 0);
    EXPECT_FALSE(model.IsEnabled(kNot));
    EXPECT_EQ(model.FindText(), "");  // a left-over tick on a disabled "Not" adds nothing
    model.SetComboIndex(kRegion, 4);
    EXPECT_EQ(model.FindText(), "!@ASIA");
}

TEST(CriteriaModelTest, UprightAndCocktailExcludeEachOther) {
    CriteriaModel model;
    model.Click(kCocktail);
    EXPECT_TRUE(model.IsChecked(kCocktail));
    EXPECT_FALSE(model.IsChecked(kUpright));
    EXPECT_EQ(model.FindText(), "'dipvalue name=Cocktail'");
    model.SetCheck(kCocktail, CheckState::Unchecked);  // unticking one chooses the other
    EXPECT_TRUE(model.IsChecked(kUpright));
    EXPECT_EQ(model.FindText(), "");
    model.SetCheck(kUpright, CheckState::Unchecked);
    EXPECT_TRUE(model.IsChecked(kCocktail));
    EXPECT_FALSE(model.SetCheck(kUpright, CheckState::Indeterminate));
    EXPECT_TRUE(model.IsChecked(kCocktail));
}

TEST(CriteriaModelTest, ClausesJoinInTheirFixedOrder) {
    CriteriaModel model;
    model.SetInputType(MergedList);
    // Set in reverse order of the text.
    model.SetCheck(1110, CheckState::Checked);  // 2 Sim
    model.SetCheck(1075, CheckState::Checked);  // Fighter
    model.SetCheck(kNoClones, CheckState::Checked);
    model.SetComboIndex(kRegion, 1);
    model.SetCheck(kEightWay, CheckState::Checked);
    model.SetCheck(kVerticalOnly, CheckState::Checked);
    model.SetComboIndex(kButtons, 5);
    model.Click(kCocktail);
    EXPECT_EQ(
        model.FindText(),
        "'dipvalue name=Cocktail' & buttons=4 & (rotate=90 | rotate=270) & (joy8way) & @USA & !cloneof & "
        "(fighter) & ('<nplayers>2P sim<')");
}

TEST(CriteriaModelTest, InitialState) {
    CriteriaModel model;
    model.ApplyInitialState();
    const std::string withMisc =
        "(buttons=2 | buttons=1 | buttons=0 | !buttons=) & (joy2way | joy4way | !'control type=') & "
        "!emulation=preliminary &  !(isbios=yes)";
    EXPECT_EQ(model.FindText(), withMisc);
    EXPECT_TRUE(model.IsEnabled(kOrLess));
    EXPECT_FALSE(model.IsEnabled(kNot));
    EXPECT_TRUE(model.IsChecked(kAnyNone));

    model.SetInputType(MergedList);
    model.ApplyInitialState();
    EXPECT_EQ(model.FindText(), withMisc);

    model.SetInputType(MameMachine);
    model.ApplyInitialState();
    EXPECT_EQ(model.FindText(),
              "(buttons=2 | buttons=1 | buttons=0 | !buttons=) & (joy2way | joy4way | !'control type=') &  "
              "!(isbios=yes)");

    // A starting point, whatever was set before.
    model.SetCheck(kEightWay, CheckState::Checked);
    model.SetComboIndex(kRegion, 2);
    model.Click(kCocktail);
    model.SetInputType(MameGame);
    model.ApplyInitialState();
    EXPECT_EQ(model.FindText(), withMisc);
    model.ResetToBlank();
    EXPECT_EQ(model.FindText(), "");
}

TEST(CriteriaModelTest, ClickCyclesAsTheWindowBoxesDo) {
    CriteriaModel model;
    model.SetCheck(kTwoWay, CheckState::Unchecked);
    model.Click(kTwoWay);
    EXPECT_EQ(model.Check(kTwoWay), CheckState::Checked);
    model.Click(kTwoWay);
    EXPECT_EQ(model.Check(kTwoWay), CheckState::Indeterminate);
    model.Click(kTwoWay);
    EXPECT_EQ(model.Check(kTwoWay), CheckState::Unchecked);
    model.Click(kPlayable);
    model.Click(kPlayable);
    EXPECT_EQ(model.Check(kPlayable), CheckState::Unchecked);
    EXPECT_FALSE(model.SetCheck(kPlayable, CheckState::Indeterminate));
    EXPECT_FALSE(model.Click(kButtons));
    EXPECT_FALSE(model.Click(4242));

    model.EnableCategoryCriteria(false);
    EXPECT_FALSE(model.IsEnabled(1075));
    EXPECT_FALSE(model.IsEnabled(kAnyNone));
    EXPECT_FALSE(model.Click(1075));
    EXPECT_EQ(model.Check(1075), CheckState::Indeterminate);
    model.EnablePlayerCriteria(false);
    EXPECT_FALSE(model.IsEnabled(1112));
    EXPECT_TRUE(model.IsEnabled(kTwoWay));
}

TEST(CriteriaModelTest, ListenerHearsEveryChange) {
    CriteriaModel model;
    int rebuilt = 0;
    int other = 0;
    model.SetChangeListener([&](bool findTextRebuilt) { ++(findTextRebuilt ? rebuilt : other); });
    model.Click(kCocktail);
    model.SetComboIndex(kButtons, 4);
    model.ApplyInitialState();
    EXPECT_EQ(rebuilt, 3);
    model.EnablePlayerCriteria(false);
    model.SetInputType(MameMachine);
    EXPECT_EQ(other, 2);
    EXPECT_FALSE(model.SetCheck(4242, CheckState::Checked));
    EXPECT_EQ(rebuilt, 3);
}

TEST(CriteriaModelTest, ControlTableIsConsistent) {
    std::set<int> ids;
    std::set<std::string> names;
    int triStates = 0;
    for (const CriterionInfo& info : CriteriaControls()) {
        EXPECT_TRUE(ids.insert(info.id).second) << info.id;
        EXPECT_EQ(FindCriterion(info.id), &info);
        if (info.settingName[0] != '\0') {
            EXPECT_TRUE(names.insert(info.settingName).second) << info.settingName;
            EXPECT_EQ(FindCriterionBySetting(info.settingName), &info);
        }
        if (info.kind == CriterionKind::TriState) ++triStates;
    }
    EXPECT_EQ(triStates, 16 + 23 + 7);
    EXPECT_EQ(FindCriterionBySetting("Light-Gun")->id, 1019);
    EXPECT_EQ(FindCriterionBySetting(""), nullptr);
    EXPECT_EQ(ComboItems(kButtons).size(), 18u);
    EXPECT_EQ(ComboItems(kRegion)[3], "Europe");
}

}  // namespace
}  // namespace vantor
