#pragma once
// The criteria of the main window (tick boxes, the Upright/Cocktail pair, the buttons and region
// combo boxes) as a window-less model, and the "-find:" text they build.
//
// Every control is known by its number in the main window (1016 for "2-way", 1003 for the buttons
// combo box, ...). A window binds each widget to its number, forwards the user's actions with
// Click / SetCheck / SetComboIndex, and after each change re-reads Check, ComboIndex, IsEnabled
// and FindText (or listens with SetChangeListener). The model applies the side effects the window
// had: Any/None sets the category boxes, Cocktail and Upright exclude each other, the region
// combo enables "Not", the buttons combo enables "or less".
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "search/SearchDriver.h"

namespace vantor {

// Windows' three-state tick box: unticked, ticked, grey ("don't care").
enum class CheckState { Unchecked, Checked, Indeterminate };

enum class CriterionKind {
    TriState,  // controls, categories, players
    TwoState,  // Horizontal Only, Vertical Only, or less, No Clones, No Samples, Playable, Not, Any/None
    Radio,     // Upright / Cocktail
    Combo,     // buttons, region
};

enum class CriteriaGroup { Cabinet, Buttons, Orientation, Controls, Region, Misc, Categories, Players };

namespace criteria_id {
inline constexpr int kButtons = 1003;  // combo: "any", "0" ... "16"
inline constexpr int kHorizontalOnly = 1004;
inline constexpr int kVerticalOnly = 1005;
inline constexpr int kCocktail = 1006;
inline constexpr int kUpright = 1007;
inline constexpr int kOrLess = 1008;
inline constexpr int kFourWay = 1009;
inline constexpr int kEightWay = 1010;
inline constexpr int kTrackball = 1012;
inline constexpr int kNoClones = 1013;
inline constexpr int kNoSamples = 1014;
inline constexpr int kPlayable = 1015;
inline constexpr int kTwoWay = 1016;
inline constexpr int kNot = 1026;
inline constexpr int kButtonsOnly = 1028;
inline constexpr int kRegion = 1057;  // combo: "Any", "USA", "Japan", "Europe", "Asia"
inline constexpr int kFirstCategory = 1069;
inline constexpr int kBios = 1070;
inline constexpr int kLastCategory = 1091;
inline constexpr int kAnyNone = 1092;
inline constexpr int kFirstPlayers = 1106;
inline constexpr int kLastPlayers = 1112;
}  // namespace criteria_id

struct CriterionInfo {
    int id;
    CriterionKind kind;
    CriteriaGroup group;
    const char* label;        // the caption in the window
    const char* settingName;  // the name vantor-cli's "criteria" command knows it by
    const char* clauseText;   // what a three-state box adds to its group's clause, else ""
    // The same for a listing that writes joysticks as type="joy" ways="N" (MAME's own listing);
    // nullptr when such a listing cannot say it (the name comes from controls.xml).
    const char* waysClauseText = "";
};

// Every criterion control, groups in window order and each group in clause order.
const std::vector<CriterionInfo>& CriteriaControls();
const CriterionInfo* FindCriterion(int id);
// By setting name, ASCII case ignored.
const CriterionInfo* FindCriterionBySetting(std::string_view name);
// The items of a combo box (kButtons or kRegion); empty for any other id.
const std::vector<std::string>& ComboItems(int id);

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
    void ApplyInputCheck(const InputCheck& check);
    void SetInputType(int inputType);
    void SetOrientationClauses(std::string vertical, std::string horizontal);
    void EnableCategoryCriteria(bool enable);  // 1069 to 1092 (Any/None included)
    void EnablePlayerCriteria(bool enable);    // 1106 to 1112
    // The words the master file uses; a criterion the file cannot serve is disabled and adds nothing.
    void SetVocabulary(const ListingVocabulary& vocabulary);
    const ListingVocabulary& Vocabulary() const { return vocabulary_; }
    int InputType() const { return inputType_; }
    const std::string& VerticalClause() const { return verticalClause_; }
    const std::string& HorizontalClause() const { return horizontalClause_; }

    // Reading a control; an unknown id reads as unticked, index 0 and disabled. A control is
    // disabled when the window disables it or when the master file cannot serve it.
    CheckState Check(int id) const;
    bool IsChecked(int id) const { return Check(id) == CheckState::Checked; }
    int ComboIndex(int id) const;
    bool IsEnabled(int id) const;

    // The user's actions. Each applies the window's side effects, rebuilds the text and notifies;
    // false (nothing changed) for an unknown id or a value the control cannot take.
    // Puts a box into `state` as if clicked into it; unticking one of the radio pair ticks the
    // other. Works on disabled boxes too (the program may set what the user cannot click).
    bool SetCheck(int id, CheckState state);
    // A mouse click: three-state boxes cycle unticked, ticked, grey; two-state boxes toggle; a
    // radio button is chosen. False for a disabled control or a combo box.
    bool Click(int id);
    bool SetComboIndex(int id, int index);
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

    ControlState* Find(int id);
    const ControlState* Find(int id) const;
    // Whether the master file holds what the criterion asks about.
    bool Served(int id) const;
    const char* ClauseTextOf(const CriterionInfo& info) const;
    void ResetStates();
    void SetRaw(int id, CheckState state);
    void SetEnabledRange(int firstId, int lastId, bool enable);
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
    std::string verticalClause_ = "(rotate=90 | rotate=270)";
    std::string horizontalClause_ = "(rotate=0 | rotate=180)";
    std::string findText_;
    ChangeListener listener_;
};

}  // namespace vantor
