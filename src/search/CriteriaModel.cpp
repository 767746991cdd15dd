#include "CriteriaModel.h"

#include "InputCheck.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

using C = Criterion;
using K = CriterionKind;
using G = CriteriaGroup;

const std::vector<CriterionInfo> kControls = {
    {C::Upright, K::Radio, G::Cabinet, "Upright", "", ""},
    {C::Cocktail, K::Radio, G::Cabinet, "Cocktail (screen flipping)", "", ""},
    {C::Buttons, K::Combo, G::Buttons, "Buttons", "buttons", ""},
    {C::OrLess, K::TwoState, G::Buttons, "or less", "or-less", ""},
    {C::VerticalOnly, K::TwoState, G::Orientation, "Vertical Only", "vertical-only", ""},
    {C::HorizontalOnly, K::TwoState, G::Orientation, "Horizontal Only", "horizontal-only", ""},

    {C::TwoWay, K::TriState, G::Controls, "2-way", "2-way", "joy2way | ",
     "ways=2 | ways=1 | ways=vertical2 | "},
    {C::FourWay, K::TriState, G::Controls, "4-way", "4-way", "joy4way | ", "ways=4 | 'ways=3 (half4)' | "},
    {C::EightWay, K::TriState, G::Controls, "8-way", "8-way", "joy8way | ", "ways=8 | 'ways=5 (half8)' | "},
    {C::FortyNineWay, K::TriState, G::Controls, "49-way", "49-way", "49-way | ", nullptr},
    {C::Triggerstick, K::TriState, G::Controls, "Triggerstick", "triggerstick", "triggerstick | ", nullptr},
    {C::TopFire, K::TriState, G::Controls, "Top Fire", "top-fire", "top-fire | ", nullptr},
    {C::Rotary, K::TriState, G::Controls, "Rotary", "rotary", "rotary | ", nullptr},
    {C::DualEightWay, K::TriState, G::Controls, "Dual 8-way", "dual-8-way", "doublejoy8way | ",
     "type=doublejoy*ways=8 | "},
    {C::DualFourWay, K::TriState, G::Controls, "Dual 4-way", "dual-4-way", "doublejoy4way | ",
     "type=doublejoy*ways=4 | "},
    {C::DualTwoWay, K::TriState, G::Controls, "Dual 2-way", "dual-2-way", "doublejoy2way | ",
     "type=doublejoy*ways=2 | type=doublejoy*ways=vertical2 | "},
    {C::Dial, K::TriState, G::Controls, "Dial (spinner)", "dial", "dial | ", "type=dial | "},
    {C::Trackball, K::TriState, G::Controls, "Trackball", "trackball", "trackball | ", "type=trackball | "},
    {C::Pedal, K::TriState, G::Controls, "Pedal", "pedal", "pedal | ", "type=pedal | "},
    {C::LightGun, K::TriState, G::Controls, "Light Gun", "light-gun", "lightgun | ", "type=lightgun | "},
    {C::Analog, K::TriState, G::Controls, "Analog", "analog", "'Analog' | ", "type=stick | type=paddle | "},
    {C::ButtonsOnly, K::TriState, G::Controls, "Buttons Only", "buttons-only", "!'control type=' | ",
     "!'control type=' | "},

    {C::Region, K::Combo, G::Region, "Region", "region", ""},
    {C::Not, K::TwoState, G::Region, "Not", "not", ""},

    {C::NoClones, K::TwoState, G::Misc, "No Clones", "no-clones", ""},
    {C::NoSamples, K::TwoState, G::Misc, "No Samples", "no-samples", ""},
    {C::Playable, K::TwoState, G::Misc, "Playable", "playable", ""},
    {C::ArcadeOnly, K::TwoState, G::Misc, "Arcade Only", "arcade-only", ""},
    {C::RunnableOnly, K::TwoState, G::Misc, "Only games my ROMs can run", "runnable-only", ""},

    {C::BallAndPaddle, K::TriState, G::Categories, "Ball and Paddle", "ball-and-paddle",
     "'ball & paddle' | "},
    {C::Bios, K::TriState, G::Categories, "BIOS", "bios", "isbios=yes | "},
    {C::Breakout, K::TriState, G::Categories, "Breakout", "breakout", "breakout | "},
    {C::Casino, K::TriState, G::Categories, "Casino", "casino", "casino | "},
    {C::Climbing, K::TriState, G::Categories, "Climbing", "climbing", "climbing | "},
    {C::Driving, K::TriState, G::Categories, "Driving", "driving", "driving | "},
    {C::Fighter, K::TriState, G::Categories, "Fighter", "fighter", "fighter | "},
    {C::Maze, K::TriState, G::Categories, "Maze", "maze", "maze | "},
    {C::MiniGames, K::TriState, G::Categories, "Mini Games", "mini-games", "mini-games | "},
    {C::Mature, K::TriState, G::Categories, "Mature", "mature", "mature | "},
    {C::Misc, K::TriState, G::Categories, "Misc.", "misc", "misc. | "},
    {C::Multiplay, K::TriState, G::Categories, "Multiplay", "multiplay", "multiplay | "},
    {C::Pinball, K::TriState, G::Categories, "Pinball", "pinball", "pinball | "},
    {C::Platform, K::TriState, G::Categories, "Platform", "platform", "platform | "},
    {C::Puzzle, K::TriState, G::Categories, "Puzzle", "puzzle", "puzzle | "},
    {C::Quiz, K::TriState, G::Categories, "Quiz", "quiz", "quiz | "},
    {C::Rhythm, K::TriState, G::Categories, "Rhythm", "rhythm", "rhythm | "},
    {C::Shooter, K::TriState, G::Categories, "Shooter", "shooter", "shooter | "},
    {C::Sports, K::TriState, G::Categories, "Sports", "sports", "sports | "},
    {C::Mahjong, K::TriState, G::Categories, "Mahjong", "mahjong", "tabletop | "},
    {C::Wrestling, K::TriState, G::Categories, "Wrestling", "wrestling", "wrestling | "},
    {C::FruitMachine, K::TriState, G::Categories, "Fruit Machine", "fruit-machine", "Fruit_Machines | "},
    {C::PinMame, K::TriState, G::Categories, "PinMAME", "pinmame", "Electromechanical | "},
    {C::AnyNone, K::TwoState, G::Categories, "Any/None", "any-none", ""},

    {C::OnePlayer, K::TriState, G::Players, "1 Plyr", "1-plyr", "'<nplayers>1P<' | "},
    {C::TwoAlternating, K::TriState, G::Players, "2 Alt", "2-alt", "'<nplayers>2P alt<' | "},
    {C::ThreeAlternating, K::TriState, G::Players, "3 Alt", "3-alt", "'<nplayers>3P alt<' | "},
    {C::FourAlternating, K::TriState, G::Players, "4 Alt", "4-alt", "'<nplayers>4P alt<' | "},
    {C::TwoSimultaneous, K::TriState, G::Players, "2 Sim", "2-sim", "'<nplayers>2P sim<' | "},
    {C::ThreeSimultaneous, K::TriState, G::Players, "3 Sim", "3-sim", "'<nplayers>3P sim<' | "},
    {C::FourSimultaneous, K::TriState, G::Players, "4 Sim", "4-sim", "'<nplayers>4P sim<' | "},
};

std::size_t IndexOf(Criterion key) {
    return static_cast<std::size_t>(key);
}

// Every three-state box of a group.
template <typename Action>
void ForEachTriState(CriteriaGroup group, Action action) {
    for (const CriterionInfo& info : kControls) {
        if (info.group == group && info.kind == K::TriState) action(info.key);
    }
}

const std::vector<std::string> kButtonsItems = {"any", "0", "1",  "2",  "3",  "4",  "5",  "6",  "7",
                                                "8",   "9", "10", "11", "12", "13", "14", "15", "16"};
const std::vector<std::string> kRegionItems = {"Any", "USA", "Japan", "Europe", "Asia"};
const std::vector<std::string> kNoItems;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace

const std::vector<CriterionInfo>& CriteriaControls() {
    return kControls;
}

const CriterionInfo& CriterionInfoOf(Criterion key) {
    return kControls.at(IndexOf(key));
}

const CriterionInfo* FindCriterionBySetting(std::string_view name) {
    if (name.empty()) return nullptr;
    for (const CriterionInfo& info : kControls) {
        if (EqualsIgnoringCase(info.settingName, name)) return &info;
    }
    return nullptr;
}

const std::vector<std::string>& ComboItems(Criterion key) {
    if (key == C::Buttons) return kButtonsItems;
    if (key == C::Region) return kRegionItems;
    return kNoItems;
}

CriteriaModel::CriteriaModel() : states_(kControls.size()) {
    ResetStates();
    findText_ = ComposeSearchCommand();
}

CriteriaModel::ControlState* CriteriaModel::Find(Criterion key) {
    return IndexOf(key) < states_.size() ? &states_[IndexOf(key)] : nullptr;
}

const CriteriaModel::ControlState* CriteriaModel::Find(Criterion key) const {
    return IndexOf(key) < states_.size() ? &states_[IndexOf(key)] : nullptr;
}

void CriteriaModel::SetRaw(Criterion key, CheckState state) {
    if (ControlState* control = Find(key)) control->check = state;
}

void CriteriaModel::SetGroupEnabled(CriteriaGroup group, bool enable) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].group == group) states_[i].enabled = enable;
    }
}

void CriteriaModel::ResetToBlank() {
    ResetStates();
    Rebuild();
}

void CriteriaModel::ResetStates() {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        ControlState& state = states_[i];
        state.index = 0;
        state.check = kControls[i].kind == K::TriState ? CheckState::Indeterminate : CheckState::Unchecked;
    }
    SetRaw(C::Upright, CheckState::Checked);
    OnButtonsChanged();
    OnRegionChanged();
}

void CriteriaModel::ApplyInitialState() {
    ResetStates();
    SetRaw(C::Cocktail, CheckState::Unchecked);
    SetRaw(C::Upright, CheckState::Checked);
    Find(C::Buttons)->index = 3;  // two buttons
    OnButtonsChanged();
    SetRaw(C::AnyNone, CheckState::Checked);
    OnAnyNoneClicked();
    ForEachTriState(G::Players, [this](Criterion key) { SetRaw(key, CheckState::Indeterminate); });
    Find(C::Region)->index = 0;
    OnRegionChanged();
    // Controls not wanted are unticked, so they exclude games that need them.
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].group == G::Controls) states_[i].check = CheckState::Unchecked;
    }
    for (Criterion key : {C::Playable, C::ArcadeOnly, C::OrLess, C::TwoWay, C::FourWay, C::ButtonsOnly})
        SetRaw(key, CheckState::Checked);
    Rebuild();
}

void CriteriaModel::ApplyInputCheck(const Outcome<InputCheck>& opened) {
    const InputCheck& check = opened.value;
    inputType_ = check.inputType;
    if (opened.Done()) {
        vocabulary_ = check.vocabulary;
        verticalClause_ = check.verticalClause;
        horizontalClause_ = check.horizontalClause;
        SetGroupEnabled(G::Categories, check.categoriesEnabled);
        SetGroupEnabled(G::Players, check.playersEnabled);
    }
    Notify(false);
}

void CriteriaModel::SetAuditKept(bool kept) {
    auditKept_ = kept;
    if (kept || !IsChecked(C::RunnableOnly)) {
        Notify(false);
        return;
    }
    // Ticked for a file with no audit, it would keep nothing: the box goes off with the audit.
    SetRaw(C::RunnableOnly, CheckState::Unchecked);
    Rebuild();
}

void CriteriaModel::SetInputType(int inputType) {
    inputType_ = inputType;
    Notify(false);
}

void CriteriaModel::SetOrientationClauses(std::string vertical, std::string horizontal) {
    verticalClause_ = std::move(vertical);
    horizontalClause_ = std::move(horizontal);
    Notify(false);
}

void CriteriaModel::EnableCategoryCriteria(bool enable) {
    SetGroupEnabled(G::Categories, enable);
    Notify(false);
}

void CriteriaModel::EnablePlayerCriteria(bool enable) {
    SetGroupEnabled(G::Players, enable);
    Notify(false);
}

CheckState CriteriaModel::Check(Criterion key) const {
    const ControlState* control = Find(key);
    return control == nullptr ? CheckState::Unchecked : control->check;
}

int CriteriaModel::ComboIndex(Criterion key) const {
    const ControlState* control = Find(key);
    return control == nullptr ? 0 : control->index;
}

bool CriteriaModel::IsEnabled(Criterion key) const {
    const ControlState* control = Find(key);
    return control != nullptr && control->enabled && Served(key);
}

bool CriteriaModel::Served(Criterion key) const {
    if (Find(key) == nullptr) return false;
    const CriterionInfo& info = CriterionInfoOf(key);
    const ListingVocabulary& words = vocabulary_;
    switch (info.group) {
        case G::Cabinet:
        case G::Buttons:
            return words.inputs;
        case G::Controls:
            return words.inputs && ClauseTextOf(info) != nullptr;
        case G::Orientation:
            return words.display;
        case G::Misc:
            if (key == C::ArcadeOnly) return words.inputs && words.display && inputType_ != SoftwareList;
            if (key == C::RunnableOnly) return auditKept_;
            return key != C::Playable || words.driverStatus || words.softwareSupport;
        default:
            return true;
    }
}

namespace {
// With a control per player, a game has buttons only when none of its controls is anything else
// (MAME writes type="only_buttons" for a player with buttons alone; mahjong, hanafuda, gambling
// and keypad panels are buttons too).
constexpr const char* kButtonsOnlyPerPlayer =
    "!(type=joy | type=doublejoy | type=triplejoy | type=stick | type=dial | type=paddle | type=trackball | "
    "type=mouse | type=lightgun | type=pedal | type=positional | type=keyboard) | ";
}  // namespace

const char* CriteriaModel::ClauseTextOf(const CriterionInfo& info) const {
    if (info.key == C::ButtonsOnly && vocabulary_.controlsPerPlayer) return kButtonsOnlyPerPlayer;
    // A merged file of a current listing knows analog controls from controls.xml and from MAME.
    if (info.key == C::Analog && vocabulary_.controlsPerPlayer && !vocabulary_.joystickWays) {
        return "'Analog' | type=stick | type=paddle | ";
    }
    if (vocabulary_.joystickWays) return info.waysClauseText;
    if (info.waysClauseText == nullptr && !vocabulary_.cabinetControls) return nullptr;
    return info.clauseText;
}

void CriteriaModel::SetVocabulary(const ListingVocabulary& vocabulary) {
    vocabulary_ = vocabulary;
    Notify(false);
}

bool CriteriaModel::SetCheck(Criterion key, CheckState state) {
    if (Find(key) == nullptr) return false;
    switch (CriterionInfoOf(key).kind) {
        case K::Combo:
            return false;
        case K::TriState:
            SetRaw(key, state);
            break;
        case K::TwoState:
            if (state == CheckState::Indeterminate) return false;
            SetRaw(key, state);
            if (key == C::AnyNone) OnAnyNoneClicked();
            break;
        case K::Radio: {
            if (state == CheckState::Indeterminate) return false;
            bool cocktail = (key == C::Cocktail) == (state == CheckState::Checked);
            if (cocktail) {
                OnCocktailClicked();
            } else {
                OnUprightClicked();
            }
            break;
        }
    }
    Rebuild();
    return true;
}

bool CriteriaModel::Click(Criterion key) {
    if (Find(key) == nullptr || !IsEnabled(key)) return false;
    const CheckState now = Check(key);
    switch (CriterionInfoOf(key).kind) {
        case K::Combo:
            return false;
        case K::TriState:
            return SetCheck(key, now == CheckState::Unchecked ? CheckState::Checked
                                 : now == CheckState::Checked ? CheckState::Indeterminate
                                                              : CheckState::Unchecked);
        case K::TwoState:
            return SetCheck(key, now == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked);
        case K::Radio:
            return SetCheck(key, CheckState::Checked);
    }
    return false;
}

bool CriteriaModel::SetComboIndex(Criterion key, int index) {
    ControlState* control = Find(key);
    if (control == nullptr || index < 0 || index >= static_cast<int>(ComboItems(key).size())) return false;
    control->index = index;
    if (key == C::Region) {
        OnRegionChanged();
    } else {
        OnButtonsChanged();
    }
    Rebuild();
    return true;
}

bool CriteriaModel::SetGroup(CriteriaGroup group, CheckState state) {
    bool any = false;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].group == group && kControls[i].kind == K::TriState) {
            states_[i].check = state;
            any = true;
        }
    }
    if (any) Rebuild();
    return any;
}

void CriteriaModel::OnRegionChanged() {
    Find(C::Not)->enabled = ComboIndex(C::Region) != 0;
}

void CriteriaModel::OnAnyNoneClicked() {
    const bool any = IsChecked(C::AnyNone);
    ForEachTriState(G::Categories, [this, any](Criterion key) {
        SetRaw(key, any ? CheckState::Indeterminate : CheckState::Unchecked);
    });
    if (any) SetRaw(C::Bios, CheckState::Unchecked);
}

void CriteriaModel::OnCocktailClicked() {
    SetRaw(C::Cocktail, CheckState::Checked);
    SetRaw(C::Upright, CheckState::Unchecked);
}

void CriteriaModel::OnUprightClicked() {
    SetRaw(C::Upright, CheckState::Checked);
    SetRaw(C::Cocktail, CheckState::Unchecked);
}

void CriteriaModel::OnButtonsChanged() {
    Find(C::OrLess)->enabled = ComboIndex(C::Buttons) > 1;
}

void CriteriaModel::Rebuild() {
    findText_ = ComposeSearchCommand();
    Notify(true);
}

void CriteriaModel::Notify(bool rebuilt) {
    if (listener_) listener_(rebuilt);
}

const std::string& CriteriaModel::BuildSearchCommand() {
    Rebuild();
    return findText_;
}

std::string CriteriaModel::ComposeSearchCommand() const {
    std::string text;
    std::string clause;
    auto add = [&](bool produced) {
        if (produced) text += clause + " & ";
        clause.clear();
    };
    add(BuildCabinetClause(clause));
    add(BuildButtonsClause(clause));
    add(BuildVerticalClause(clause));
    add(BuildHorizontalClause(clause));
    add(BuildControlsClause(clause));
    add(BuildRegionClause(clause));
    add(BuildArcadeClause(clause));
    add(BuildRunnableClause(clause));
    add(BuildMiscClause(clause));
    add(BuildCategoriesClause(clause));
    add(BuildPlayersClause(clause));
    TrimRight(text, "& ");
    return text;
}

bool CriteriaModel::BuildCabinetClause(std::string& clause) const {
    if (!IsChecked(C::Cocktail) || !Served(C::Cocktail)) return false;
    // Drivers offer the cocktail cabinet as a DIP switch or as a configuration setting.
    clause = "(" + Tags().cocktailKey + " | 'confsetting name=Cocktail')";
    return true;
}

bool CriteriaModel::BuildButtonsClause(std::string& clause) const {
    int k = ComboIndex(C::Buttons);
    if (k == 0 || !Served(C::Buttons)) return false;
    // A game's buttons are the most any of its controls has (each player's control carries its own
    // count in current listings); a game without a count has none. A disabled "or less" (0 buttons
    // chosen) keeps its tick but no longer counts.
    const std::string most = "!" + Tags().buttonsKey.substr(0, Tags().buttonsKey.size() - 1) + ">";
    const std::string count = std::to_string(k - 1);
    if (k == 1 || (IsChecked(C::OrLess) && IsEnabled(C::OrLess))) {
        clause = most + count;
    } else {
        clause = Tags().buttonsKey + count + " & " + most + count;
    }
    return true;
}

bool CriteriaModel::BuildVerticalClause(std::string& clause) const {
    if (!IsChecked(C::VerticalOnly) || IsChecked(C::HorizontalOnly)) return false;
    if (!Served(C::VerticalOnly)) return false;
    clause = verticalClause_;
    return true;
}

bool CriteriaModel::BuildHorizontalClause(std::string& clause) const {
    if (!IsChecked(C::HorizontalOnly) || IsChecked(C::VerticalOnly)) return false;
    if (!Served(C::HorizontalOnly)) return false;
    clause = horizontalClause_;
    return true;
}

bool CriteriaModel::BuildTriStateClause(CriteriaGroup group, std::string& clause) const {
    std::string include;
    std::string exclude;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const CriterionInfo& info = kControls[i];
        if (info.group != group || info.kind != K::TriState) continue;
        // Categories and players keep counting while disabled: the BIOS exclusion works on any file.
        if (group == G::Controls && !Served(info.key)) continue;
        const char* text = group == G::Controls ? ClauseTextOf(info) : info.clauseText;
        if (states_[i].check == CheckState::Checked) {
            include += text;
        } else if (states_[i].check == CheckState::Unchecked) {
            exclude += text;
        }
    }
    TrimRight(include, " |");
    TrimRight(exclude, " |");
    clause.clear();
    if (!include.empty()) clause = "(" + include + ")";
    if (!exclude.empty()) clause += " !(" + exclude + ")";
    ReplaceAll(clause, ") !(", ") & !(");
    return !clause.empty();
}

bool CriteriaModel::BuildControlsClause(std::string& clause) const {
    return BuildTriStateClause(G::Controls, clause);
}

bool CriteriaModel::BuildRegionClause(std::string& clause) const {
    static const char* const kRegionMacros[] = {"", "@USA ", "@JAPAN ", "@EURO ", "@ASIA "};
    int index = ComboIndex(C::Region);
    if (index <= 0 || index > 4) return false;
    clause = kRegionMacros[index];
    if (IsChecked(C::Not)) clause.insert(0, "!");
    TrimRight(clause);
    return true;
}

bool CriteriaModel::BuildMiscClause(std::string& clause) const {
    clause.clear();
    if (IsChecked(C::NoClones)) clause += "!cloneof ";
    if (IsChecked(C::NoSamples)) clause += "!sample_name= ";
    if (IsChecked(C::Playable) && Served(C::Playable)) {
        // MAME's overall status is "preliminary" for a machine that does not work (and for a
        // mechanical one, or one whose sound, graphics or protection is missing); a BIOS set is
        // no game either. Software lists say it with supported="no".
        clause += vocabulary_.driverStatus ? "!status=preliminary !isbios=yes " : "!supported=no ";
    }
    TrimRight(clause);
    if (ReplaceAll(clause, " ", " & ") > 0) clause = "(" + clause + ")";
    return !clause.empty();
}

namespace {
// catver.ini's families of machines that are no arcade game, as the start of the category: every
// subcategory (and its " * Mature *" form) goes with them. "Music /" is instruments and
// synthesizers; "Music Game" stays.
constexpr const char* kNonArcadeFamilies[] = {
    "Handheld",     "TV Bundle",  "Watch",          "Tablet",    "Game Console",
    "Computer",     "Calculator", "Music /",        "Utilities", "Electromechanical",
    "Slot Machine", "Medal Game", "Redemption Game"};
}  // namespace

bool CriteriaModel::BuildArcadeClause(std::string& clause) const {
    if (!IsChecked(C::ArcadeOnly) || !Served(C::ArcadeOnly)) return false;
    // A coin slot and a screen: handhelds, consoles, computers, instruments and test gear have
    // no coin slot; slot machines, pinball tables and other mechanical games are marked as such.
    clause = "(coins>0 & ";
    clause += vocabulary_.displayElements ? "'<display '" : "'<video '";
    clause += " & !ismechanical=yes";
    const ControlState* categories = Find(C::AnyNone);
    if (categories != nullptr && categories->enabled) {
        clause += " & !(";
        for (const char* family : kNonArcadeFamilies) {
            clause += "'<category>";
            clause += family;
            clause += "' | ";
        }
        TrimRight(clause, " |");
        clause += ")";
    }
    clause += ")";
    return true;
}

bool CriteriaModel::BuildRunnableClause(std::string& clause) const {
    if (!IsChecked(C::RunnableOnly) || !Served(C::RunnableOnly)) return false;
    clause = "(audit=good | audit=best-available)";
    return true;
}

bool CriteriaModel::BuildCategoriesClause(std::string& clause) const {
    return BuildTriStateClause(G::Categories, clause);
}

bool CriteriaModel::BuildPlayersClause(std::string& clause) const {
    return BuildTriStateClause(G::Players, clause);
}

}  // namespace vantor
