#include "search/CriteriaModel.h"

#include <gtest/gtest.h>

#include <set>

#include "CriteriaTexts.h"
#include "gamedata/TagTable.h"
#include "search/InputCheck.h"

namespace vantor {
namespace {

using C = Criterion;

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
    EXPECT_TRUE(model.IsChecked(C::Upright));
    EXPECT_EQ(model.Check(C::TwoWay), CheckState::Indeterminate);
    EXPECT_EQ(model.Check(C::Playable), CheckState::Unchecked);
    EXPECT_FALSE(model.IsEnabled(C::Not));
    EXPECT_FALSE(model.IsEnabled(C::OrLess));
}

TEST(CriteriaModelTest, TriStateGroupsSplitIntoIncludeAndExclude) {
    CriteriaModel model;
    model.SetCheck(C::EightWay, CheckState::Checked);
    model.SetCheck(C::Trackball, CheckState::Unchecked);
    EXPECT_EQ(model.FindText(), "(joy8way) & !(trackball)");

    model.SetCheck(C::EightWay, CheckState::Indeterminate);
    EXPECT_EQ(model.FindText(), " !(trackball)");  // exclude only: a leading space

    model.SetCheck(C::Trackball, CheckState::Indeterminate);
    model.SetCheck(C::TwoWay, CheckState::Checked);
    model.SetCheck(C::ButtonsOnly, CheckState::Checked);
    model.SetCheck(C::Analog, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(joy2way | 'Analog' | !'control type=')");

    model.SetGroup(CriteriaGroup::Players, CheckState::Indeterminate);
    model.SetCheck(C::OnePlayer, CheckState::Checked);
    model.SetCheck(C::FourSimultaneous, CheckState::Unchecked);
    std::string players;
    ASSERT_TRUE(model.BuildPlayersClause(players));
    EXPECT_EQ(players, "('<nplayers>1P<') & !('<nplayers>4P sim<')");
}

TEST(CriteriaModelTest, AnyNoneSetsEveryCategory) {
    CriteriaModel model;
    model.SetCheck(C::Fighter, CheckState::Checked);  // overridden by Any/None
    model.SetCheck(C::AnyNone, CheckState::Checked);
    EXPECT_EQ(model.FindText(), " !(isbios=yes)");
    EXPECT_EQ(model.Check(C::Fighter), CheckState::Indeterminate);
    EXPECT_EQ(model.Check(C::Bios), CheckState::Unchecked);

    model.Click(C::AnyNone);
    EXPECT_FALSE(model.IsChecked(C::AnyNone));
    EXPECT_EQ(model.FindText(), kAllCategories);
}

// A game's buttons are the most any of its controls has, whatever the input type.
TEST(CriteriaModelTest, ButtonsClause) {
    CriteriaModel model;
    model.SetComboIndex(C::Buttons, 1);  // "0"
    EXPECT_EQ(model.FindText(), "!buttons>0");
    model.SetComboIndex(C::Buttons, 5);
    EXPECT_EQ(model.FindText(), "buttons=4 & !buttons>4");
    model.SetCheck(C::OrLess, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "!buttons>4");
    model.SetComboIndex(C::Buttons, 3);
    EXPECT_EQ(model.FindText(), "!buttons>2");

    // "0" disables "or less": its tick stays but no longer counts.
    model.SetComboIndex(C::Buttons, 1);
    EXPECT_FALSE(model.IsEnabled(C::OrLess));
    EXPECT_TRUE(model.IsChecked(C::OrLess));
    EXPECT_EQ(model.FindText(), "!buttons>0");
    model.SetComboIndex(C::Buttons, 0);
    EXPECT_EQ(model.FindText(), "");

    EXPECT_FALSE(model.SetComboIndex(C::Buttons, 18));
    EXPECT_FALSE(model.SetComboIndex(C::Buttons, -1));
    EXPECT_EQ(model.ComboIndex(C::Buttons), 0);
}

TEST(CriteriaModelTest, OrientationUsesTheInputCheckClauses) {
    CriteriaModel model;
    model.SetCheck(C::VerticalOnly, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(rotate=90 | rotate=270)");
    model.SetCheck(C::HorizontalOnly, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "");  // both ticked: no orientation clause
    model.SetCheck(C::VerticalOnly, CheckState::Unchecked);
    EXPECT_EQ(model.FindText(), "(rotate=0 | rotate=180)");

    Outcome<InputCheck> check;
    check.kind = OutcomeKind::Done;
    check.value.inputType = MameGame;
    check.value.verticalClause = "orientation=vertical";
    check.value.horizontalClause = "orientation=horizontal";
    model.ApplyInputCheck(check);
    EXPECT_EQ(model.FindText(), "(rotate=0 | rotate=180)");  // the text waits for the next change
    EXPECT_EQ(model.BuildSearchCommand(), "orientation=horizontal");
}

TEST(CriteriaModelTest, MiscClauseFollowsWhatTheFileHolds) {
    CriteriaModel model;
    model.SetCheck(C::NoClones, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "!cloneof");
    model.SetCheck(C::Playable, CheckState::Checked);
    EXPECT_EQ(model.FindText(), "(!cloneof & !status=preliminary & !isbios=yes)");
    model.SetCheck(C::NoSamples, CheckState::Checked);
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
    EXPECT_FALSE(model.IsEnabled(C::Playable));  // nothing in the file says whether a game works
    EXPECT_EQ(model.BuildSearchCommand(), "(!cloneof & !sample_name=)");
}

TEST(CriteriaModelTest, RegionAndNot) {
    CriteriaModel model;
    EXPECT_FALSE(model.Click(C::Not));  // disabled while the region is "Any"
    model.SetComboIndex(C::Region, 2);
    EXPECT_TRUE(model.IsEnabled(C::Not));
    EXPECT_EQ(model.FindText(), "@JAPAN");
    EXPECT_TRUE(model.Click(C::Not));
    EXPECT_EQ(model.FindText(), "!@JAPAN");
    model.SetComboIndex(C::Region, 3);
    EXPECT_EQ(model.FindText(), "!@EURO");
    model.SetComboIndex(C::Region, 0);
    EXPECT_FALSE(model.IsEnabled(C::Not));
    EXPECT_EQ(model.FindText(), "");  // a left-over tick on a disabled "Not" adds nothing
    model.SetComboIndex(C::Region, 4);
    EXPECT_EQ(model.FindText(), "!@ASIA");
}

TEST(CriteriaModelTest, UprightAndCocktailExcludeEachOther) {
    CriteriaModel model;
    model.Click(C::Cocktail);
    EXPECT_TRUE(model.IsChecked(C::Cocktail));
    EXPECT_FALSE(model.IsChecked(C::Upright));
    EXPECT_EQ(model.FindText(), "('dipvalue name=Cocktail' | 'confsetting name=Cocktail')");
    model.SetCheck(C::Cocktail, CheckState::Unchecked);  // unticking one chooses the other
    EXPECT_TRUE(model.IsChecked(C::Upright));
    EXPECT_EQ(model.FindText(), "");
    model.SetCheck(C::Upright, CheckState::Unchecked);
    EXPECT_TRUE(model.IsChecked(C::Cocktail));
    EXPECT_FALSE(model.SetCheck(C::Upright, CheckState::Indeterminate));
    EXPECT_TRUE(model.IsChecked(C::Cocktail));
}

TEST(CriteriaModelTest, ClausesJoinInTheirFixedOrder) {
    CriteriaModel model;
    model.SetInputType(MergedList);
    // Set in reverse order of the text.
    model.SetCheck(C::TwoSimultaneous, CheckState::Checked);
    model.SetCheck(C::Fighter, CheckState::Checked);
    model.SetCheck(C::NoClones, CheckState::Checked);
    model.SetComboIndex(C::Region, 1);
    model.SetCheck(C::EightWay, CheckState::Checked);
    model.SetCheck(C::VerticalOnly, CheckState::Checked);
    model.SetComboIndex(C::Buttons, 5);
    model.Click(C::Cocktail);
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
                                kExcludedControls + " & " + test::kArcadeOnlyClause +
                                " & (!status=preliminary & !isbios=yes) &  !(isbios=yes)";
    EXPECT_EQ(model.FindText(), initial);
    EXPECT_TRUE(model.IsEnabled(C::OrLess));
    EXPECT_FALSE(model.IsEnabled(C::Not));
    EXPECT_TRUE(model.IsChecked(C::AnyNone));
    EXPECT_EQ(model.Check(C::Trackball), CheckState::Unchecked);
    EXPECT_EQ(model.Check(C::OnePlayer), CheckState::Indeterminate);  // players: don't care

    // A starting point, whatever was set before.
    model.SetCheck(C::EightWay, CheckState::Checked);
    model.SetComboIndex(C::Region, 2);
    model.Click(C::Cocktail);
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
        "| type=dial | type=trackball | type=pedal | type=lightgun | type=stick | type=paddle) & " +
            std::string(test::kArcadeOnlyClause) + " & (!status=preliminary & !isbios=yes) &  !(isbios=yes)");
    for (Criterion key : {C::FortyNineWay, C::TopFire, C::Triggerstick, C::Rotary}) {
        EXPECT_FALSE(model.IsEnabled(key)) << CriterionInfoOf(key).label;
        EXPECT_FALSE(model.Click(key)) << CriterionInfoOf(key).label;
    }
    EXPECT_TRUE(model.IsEnabled(C::EightWay));

    // A merged file of such a listing has the words back, and still a control per player.
    listing.joystickWays = false;
    listing.cabinetControls = true;
    model.SetVocabulary(listing);
    model.ResetToBlank();
    model.SetCheck(C::ButtonsOnly, CheckState::Checked);
    EXPECT_TRUE(model.FindText().starts_with("(!(type=joy | type=doublejoy")) << model.FindText();
    EXPECT_TRUE(model.IsEnabled(C::FortyNineWay));

    // A file without controls or screen data: those criteria are off and add nothing.
    ListingVocabulary dat;
    dat.inputs = dat.display = dat.driverStatus = false;
    model.SetVocabulary(dat);
    model.ApplyInitialState();
    model.SetCheck(C::VerticalOnly, CheckState::Checked);
    model.SetCheck(C::Cocktail, CheckState::Checked);
    EXPECT_EQ(model.BuildSearchCommand(), " !(isbios=yes)");
    EXPECT_FALSE(model.IsEnabled(C::TwoWay));
    EXPECT_FALSE(model.IsEnabled(C::Buttons));
}

TEST(CriteriaModelTest, ClickCyclesAsTheWindowBoxesDo) {
    CriteriaModel model;
    model.SetCheck(C::TwoWay, CheckState::Unchecked);
    model.Click(C::TwoWay);
    EXPECT_EQ(model.Check(C::TwoWay), CheckState::Checked);
    model.Click(C::TwoWay);
    EXPECT_EQ(model.Check(C::TwoWay), CheckState::Indeterminate);
    model.Click(C::TwoWay);
    EXPECT_EQ(model.Check(C::TwoWay), CheckState::Unchecked);
    model.Click(C::Playable);
    model.Click(C::Playable);
    EXPECT_EQ(model.Check(C::Playable), CheckState::Unchecked);
    EXPECT_FALSE(model.SetCheck(C::Playable, CheckState::Indeterminate));
    EXPECT_FALSE(model.Click(C::Buttons));

    model.EnableCategoryCriteria(false);
    EXPECT_FALSE(model.IsEnabled(C::Fighter));
    EXPECT_FALSE(model.IsEnabled(C::AnyNone));
    EXPECT_FALSE(model.Click(C::Fighter));
    EXPECT_EQ(model.Check(C::Fighter), CheckState::Indeterminate);
    model.EnablePlayerCriteria(false);
    EXPECT_FALSE(model.IsEnabled(C::OnePlayer));
    EXPECT_TRUE(model.IsEnabled(C::TwoWay));
}

TEST(CriteriaModelTest, ListenerHearsEveryChange) {
    CriteriaModel model;
    int rebuilt = 0;
    int other = 0;
    model.SetChangeListener([&](bool findTextRebuilt) { ++(findTextRebuilt ? rebuilt : other); });
    model.Click(C::Cocktail);
    model.SetComboIndex(C::Buttons, 4);
    model.ApplyInitialState();
    EXPECT_EQ(rebuilt, 3);
    model.EnablePlayerCriteria(false);
    model.SetInputType(MameMachine);
    EXPECT_EQ(other, 2);
    EXPECT_FALSE(model.SetCheck(C::Buttons, CheckState::Checked));  // a combo box has no tick
    EXPECT_EQ(rebuilt, 3);
}

TEST(CriteriaModelTest, ControlTableIsConsistent) {
    std::set<std::string> names;
    int triStates = 0;
    for (std::size_t i = 0; i < CriteriaControls().size(); ++i) {
        const CriterionInfo& info = CriteriaControls()[i];
        // The table is indexed by the key.
        EXPECT_EQ(static_cast<std::size_t>(info.key), i) << info.label;
        EXPECT_EQ(&CriterionInfoOf(info.key), &info);
        if (info.settingName[0] != '\0') {
            EXPECT_TRUE(names.insert(info.settingName).second) << info.settingName;
            EXPECT_EQ(FindCriterionBySetting(info.settingName), &info);
        }
        if (info.kind == CriterionKind::TriState) ++triStates;
    }
    EXPECT_EQ(triStates, 16 + 23 + 7);
    EXPECT_EQ(CriteriaControls().size(), static_cast<std::size_t>(C::FourSimultaneous) + 1);
    EXPECT_EQ(FindCriterionBySetting("Light-Gun")->key, C::LightGun);
    EXPECT_EQ(FindCriterionBySetting(""), nullptr);
    EXPECT_EQ(ComboItems(C::Buttons).size(), 18u);
    EXPECT_EQ(ComboItems(C::Region)[3], "Europe");
}

}  // namespace
}  // namespace vantor
