#pragma once
// The criteria of the main window (tick boxes, the Upright/Cocktail pair, the buttons and region
// combo boxes) as a window-less model, and the "-find:" text they build.
//
// Every control is known by its Criterion key. A window binds each widget to its key, forwards
// the user's actions with Click / SetCheck / SetComboIndex, and after each change re-reads Check,
// ComboIndex, IsEnabled and FindText (or listens with SetChangeListener). The model applies the side effects
// the window had: Any/None sets the category boxes, Cocktail and Upright exclude each other, the region combo
// enables "Not", the buttons combo enables "or less".
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "InputCheck.h"

namespace vantor {

// Windows' three-state tick box: unticked, ticked, grey ("don't care").
enum class CheckState { Unchecked, Checked, Indeterminate };

enum class CriterionKind {
    TriState,  // controls, categories, players
    TwoState,  // Horizontal Only, Vertical Only, or less, No Clones, No Samples, Playable, Arcade Only,
               // Only games my ROMs can run, Not, Any/None
    Radio,     // Upright / Cocktail
    Combo,     // buttons, region
};

enum class CriteriaGroup { Cabinet, Buttons, Orientation, Controls, Region, Misc, Categories, Players };

// Every criterion of the main window, in the order of the control table (CriteriaControls()).
enum class Criterion {
    Upright,
    Cocktail,
    Buttons,  // combo: "any", "0" ... "16"
    OrLess,
    VerticalOnly,
    HorizontalOnly,
    // Controls
    TwoWay,
    FourWay,
    EightWay,
    FortyNineWay,
    Triggerstick,
    TopFire,
    Rotary,
    DualEightWay,
    DualFourWay,
    DualTwoWay,
    Dial,
    Trackball,
    Pedal,
    LightGun,
    Analog,
    ButtonsOnly,
    Region,  // combo: "Any", "USA", "Japan", "Europe", "Asia"
    Not,
    NoClones,
    NoSamples,
    Playable,
    ArcadeOnly,
    RunnableOnly,  // "Only games my ROMs can run": the kept ROM audit's good and best-available games
    // Categories
    BallAndPaddle,
    Bios,
    Breakout,
    Casino,
    Climbing,
    Driving,
    Fighter,
    Maze,
    MiniGames,
    Mature,
    Misc,
    Multiplay,
    Pinball,
    Platform,
    Puzzle,
    Quiz,
    Rhythm,
    Shooter,
    Sports,
    Mahjong,
    Wrestling,
    FruitMachine,
    PinMame,
    AnyNone,
    // Players
    OnePlayer,
    TwoAlternating,
    ThreeAlternating,
    FourAlternating,
    TwoSimultaneous,
    ThreeSimultaneous,
    FourSimultaneous,
};

struct CriterionInfo {
    Criterion key;
    CriterionKind kind;
    CriteriaGroup group;
    const char* label;        // the caption in the window
    const char* settingName;  // the name vantor-cli's "criteria" command knows it by
    const char* clauseText;   // what a three-state box adds to its group's clause, else ""
    // The same for a listing that writes joysticks as type="joy" ways="N" (MAME's own listing);
    // nullptr when such a listing cannot say it (the name comes from controls.xml).
    const char* waysClauseText = "";
};

// Every criterion control, groups in window order and each group in clause order; entry i is
// Criterion i.
const std::vector<CriterionInfo>& CriteriaControls();
const CriterionInfo& CriterionInfoOf(Criterion key);
// By setting name, ASCII case ignored.
const CriterionInfo* FindCriterionBySetting(std::string_view name);
// The items of a combo box (Buttons or Region); empty for any other criterion.
const std::vector<std::string>& ComboItems(Criterion key);

// Said when "Only games my ROMs can run" is asked for a master file with no kept audit.
inline constexpr const char* kRunnableOnlyOffNote =
    "\"Only games my ROMs can run\" is switched off: no ROM audit of this input file is kept. Audit "
    "your ROMs first";

class CriteriaModel {
  public:
    // Called after every change; `findTextRebuilt` tells whether FindText was built anew.
    using ChangeListener = std::function<void(bool findTextRebuilt)>;

    // The blank state: every three-state box grey, both combo boxes at their first item, every
    // two-state box unticked, Upright chosen; input type 0 with the rotate orientation clauses.
    CriteriaModel();

    // Starting points. Both keep what the input check set (type, clauses, enabled groups).
    void ResetToBlank();
    // The state the main window opens with: upright, at most two buttons, 2-way, 4-way and
    // buttons-only games, playable, every category but no BIOS, players "don't care".
    void ApplyInitialState();

    // What the input check decided. These do not rebuild the text: a hand-edited "-find:" text
    // survives until the next change of a criterion.
    void ApplyInputCheck(const Outcome<InputCheck>& opened);
    void SetInputType(int inputType);
    void SetOrientationClauses(std::string vertical, std::string horizontal);
    void EnableCategoryCriteria(bool enable);  // the Categories group, Any/None included
    void EnablePlayerCriteria(bool enable);    // the Players group
    // The words the master file uses; a criterion the file cannot serve is disabled and adds nothing.
    void SetVocabulary(const ListingVocabulary& vocabulary);
    const ListingVocabulary& Vocabulary() const { return vocabulary_; }
    // Whether a ROM audit of the master file is kept: "Only games my ROMs can run" needs one, and
    // is switched off (unticked and disabled) while there is none.
    void SetAuditKept(bool kept);
    bool AuditKept() const { return auditKept_; }
    int InputType() const { return inputType_; }
    const std::string& VerticalClause() const { return verticalClause_; }
    const std::string& HorizontalClause() const { return horizontalClause_; }

    // Reading a control. A control is disabled when the window disables it or when the master
    // file cannot serve it; a two-state box reads as unticked or ticked, a combo box as unticked.
    CheckState Check(Criterion key) const;
    bool IsChecked(Criterion key) const { return Check(key) == CheckState::Checked; }
    int ComboIndex(Criterion key) const;
    bool IsEnabled(Criterion key) const;

    // The user's actions. Each applies the window's side effects, rebuilds the text and notifies;
    // false (nothing changed) for a value the control cannot take.
    // Puts a box into `state` as if clicked into it; unticking one of the radio pair ticks the
    // other. Works on disabled boxes too (the program may set what the user cannot click).
    bool SetCheck(Criterion key, CheckState state);
    // A mouse click: three-state boxes cycle unticked, ticked, grey; two-state boxes toggle; a
    // radio button is chosen. False for a disabled control or a combo box.
    bool Click(Criterion key);
    bool SetComboIndex(Criterion key, int index);
    // Every three-state box of a group (Controls, Categories or Players).
    bool SetGroup(CriteriaGroup group, CheckState state);

    // The "-find:" text as last built.
    const std::string& FindText() const { return findText_; }
    // Builds the text from all criteria, stores it as FindText and notifies.
    const std::string& BuildSearchCommand();
    // The whole text as BuildSearchCommand would make it now, without storing it.
    std::string ComposeSearchCommand() const;

    // The clause builders, in the order the text joins them; each returns true when it produced
    // a clause.
    bool BuildCabinetClause(std::string& clause) const;
    bool BuildButtonsClause(std::string& clause) const;
    bool BuildVerticalClause(std::string& clause) const;
    bool BuildHorizontalClause(std::string& clause) const;
    bool BuildControlsClause(std::string& clause) const;
    bool BuildRegionClause(std::string& clause) const;
    // Coin-operated video arcade games: the machine's own data, and catver.ini's families when
    // the file holds categories.
    bool BuildArcadeClause(std::string& clause) const;
    // The games the kept ROM audit found good or best available.
    bool BuildRunnableClause(std::string& clause) const;
    bool BuildMiscClause(std::string& clause) const;
    bool BuildCategoriesClause(std::string& clause) const;
    bool BuildPlayersClause(std::string& clause) const;

    void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

  private:
    struct ControlState {
        CheckState check = CheckState::Unchecked;
        int index = 0;
        bool enabled = true;
    };

    // Null only for a value outside the enumeration.
    ControlState* Find(Criterion key);
    const ControlState* Find(Criterion key) const;
    // Whether the master file holds what the criterion asks about.
    bool Served(Criterion key) const;
    const char* ClauseTextOf(const CriterionInfo& info) const;
    void ResetStates();
    void SetRaw(Criterion key, CheckState state);
    void SetGroupEnabled(CriteriaGroup group, bool enable);
    bool BuildTriStateClause(CriteriaGroup group, std::string& clause) const;
    void Rebuild();
    void Notify(bool rebuilt);

    // The window's handlers: each adjusts other controls after its own one changed.
    void OnRegionChanged();
    void OnAnyNoneClicked();
    void OnCocktailClicked();
    void OnUprightClicked();
    void OnButtonsChanged();

    std::vector<ControlState> states_;  // parallel to CriteriaControls()
    int inputType_ = 0;
    ListingVocabulary vocabulary_;
    bool auditKept_ = false;
    std::string verticalClause_ = "(rotate=90 | rotate=270)";
    std::string horizontalClause_ = "(rotate=0 | rotate=180)";
    std::string findText_;
    ChangeListener listener_;
};

}  // namespace vantor
