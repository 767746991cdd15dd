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

// A game's buttons are the most any of its controls has, whatever the input type.
TEST(CriteriaModelTest, ButtonsClause) {
    CriteriaModel model;
    model.SetComboIndex(kButtons, 1);  // "0"
    EXPECT_EQ(model.FindText(), "!buttons>0");
    model.SetComboIndex(kButtons, 5);
    EXPECT_EQ(model.FindText(), "buttons=4 & !buttons>4");
    model.SetCheck(kOrLess, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "!buttons>4");
    model.SetComboIndex(kButtons, 3);
    EXPECT_EQ(model.FindText(), "!buttons>2");

    // "0" disables "or less": its tick stays but no longer counts.
    model.SetComboIndex(kButtons, 1);
    EXPECT_FALSE(model.IsEnabled(kOrLess));
    EXPECT_TRUE(model.IsChecked(kOrLess));
    EXPECT_EQ(model.FindText(), "!buttons>0");
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

TEST(CriteriaModelTest, MiscClauseFollowsWhatTheFileHolds) {
    CriteriaModel model;
    model.SetCheck(kNoClones, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "!cloneof");
    model.SetCheck(kPlayable, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(!cloneof & !status=preliminary & !isbios=yes)");
    model.SetCheck(kNoSamples, CheckState::Checked);
    const std::string all = "(!cloneof & !sample_name= & !status=preliminary & !isbios=yes)";
    EXPECT_EQ(model.FindText(), all);
    for (int type : {MameMachine, Dat, SoftwareList, UnknownInput, MergedList}) {
        model.SetInputType(type);
        EXPECT_EQ(model.BuildSearchCommand(), all) << "type " << type;
    }

    ListingVocabulary software;
    software.driverStatus = false;
    software.softwareSupport = true;
    model.SetVocabulary(software);
    EXPECT_EQ(model.BuildSearchCommand(), "(!cloneof & !sample_name= & !supported=no)");
    ListingVocabulary dat = software;
    dat.softwareSupport = false;
    model.SetVocabulary(dat);
    EXPECT_FALSE(model.IsEnabled(kPlayable));  // nothing in the file says whether a game works
    EXPECT_EQ(model.BuildSearchCommand(), "(!cloneof & !sample_name=)");
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
    EXPECT_EQ(model.FindText(), "('dipvalue name=Cocktail' | 'confsetting name=Cocktail')");
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
        "('dipvalue name=Cocktail' | 'confsetting name=Cocktail') & buttons=4 & !buttons>4 & (rotate=90 | "
        "rotate=270) & (joy8way) & @USA & !cloneof & (fighter) & ('<nplayers>2P sim<')");
}

const char* const kExcludedControls =
    "!(joy8way | 49-way | triggerstick | top-fire | rotary | doublejoy8way | doublejoy4way | doublejoy2way | "
    "dial "
    "| trackball | pedal | lightgun | 'Analog')";

TEST(CriteriaModelTest, InitialState) {
    CriteriaModel model;
    model.ApplyInitialState();
    // The controls not ticked start unticked, so games that need them are left out.
    const std::string initial = std::string("!buttons>2 & (joy2way | joy4way | !'control type=') & ") +
                                kExcludedControls + " & (!status=preliminary & !isbios=yes) &  !(isbios=yes)";
    EXPECT_EQ(model.FindText(), initial);
    EXPECT_TRUE(model.IsEnabled(kOrLess));
    EXPECT_FALSE(model.IsEnabled(kNot));
    EXPECT_TRUE(model.IsChecked(kAnyNone));
    EXPECT_EQ(model.Check(kTrackball), CheckState::Unchecked);
    EXPECT_EQ(model.Check(1112), CheckState::Indeterminate);  // players: don't care

    // A starting point, whatever was set before.
    model.SetCheck(kEightWay, CheckState::Checked);
    model.SetComboIndex(kRegion, 2);
    model.Click(kCocktail);
    model.SetInputType(MameGame);
    model.ApplyInitialState();
    EXPECT_EQ(model.FindText(), initial);
    model.ResetToBlank();
    EXPECT_EQ(model.FindText(), "");
}

// MAME's own listing writes joysticks as type="joy" with their ways, a control per player, and
// nothing of controls.xml: the criteria ask in its words and switch off what it cannot answer.
TEST(CriteriaModelTest, CurrentListingsGetTheirOwnTerms) {
    CriteriaModel model;
    ListingVocabulary listing;
    listing.joystickWays = true;
    listing.controlsPerPlayer = true;
    listing.cabinetControls = false;
    model.SetVocabulary(listing);
    model.ApplyInitialState();
    EXPECT_EQ(
        model.FindText(),
        "!buttons>2 & (ways=2 | ways=1 | ways=vertical2 | ways=4 | 'ways=3 (half4)' | !(type=joy | "
        "type=doublejoy | type=triplejoy | type=stick | type=dial | type=paddle | type=trackball | "
        "type=mouse | "
        "type=lightgun | type=pedal | type=positional | type=keyboard)) & !(ways=8 | 'ways=5 (half8)' | "
        "type=doublejoy*ways=8 | type=doublejoy*ways=4 | type=doublejoy*ways=2 | "
        "type=doublejoy*ways=vertical2 "
        "| type=dial | type=trackball | type=pedal | type=lightgun | type=stick | type=paddle) & "
        "(!status=preliminary & !isbios=yes) &  !(isbios=yes)");
    for (int id : {1020, 1024, 1025, 1023}) {  // 49-way, Top Fire, Triggerstick, Rotary
        EXPECT_FALSE(model.IsEnabled(id)) << id;
        EXPECT_FALSE(model.Click(id)) << id;
    }
    EXPECT_TRUE(model.IsEnabled(kEightWay));

    // A merged file of such a listing has the words back, and still a control per player.
    listing.joystickWays = false;
    listing.cabinetControls = true;
    model.SetVocabulary(listing);
    model.ResetToBlank();
    model.SetCheck(kButtonsOnly, CheckState::Checked);
    EXPECT_TRUE(model.FindText().starts_with("(!(type=joy | type=doublejoy")) << model.FindText();
    EXPECT_TRUE(model.IsEnabled(1020));

    // A file without controls or screen data: those criteria are off and add nothing.
    ListingVocabulary dat;
    dat.inputs = dat.display = dat.driverStatus = false;
    model.SetVocabulary(dat);
    model.ApplyInitialState();
    model.SetCheck(kVerticalOnly, CheckState::Checked);
    model.SetCheck(kCocktail, CheckState::Checked);
    EXPECT_EQ(model.BuildSearchCommand(), " !(isbios=yes)");
    EXPECT_FALSE(model.IsEnabled(kTwoWay));
    EXPECT_FALSE(model.IsEnabled(kButtons));
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
