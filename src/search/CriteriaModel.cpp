#include "CriteriaModel.h"

#include <unordered_map>

#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "search/SearchDriver.h"

namespace vantor {

namespace {

using K = CriterionKind;
using G = CriteriaGroup;

const std::vector<CriterionInfo> kControls = {
    {1007, K::Radio, G::Cabinet, "Upright", "", ""},
    {1006, K::Radio, G::Cabinet, "Cocktail (screen flipping)", "", ""},
    {1003, K::Combo, G::Buttons, "Buttons", "buttons", ""},
    {1008, K::TwoState, G::Buttons, "or less", "or-less", ""},
    {1005, K::TwoState, G::Orientation, "Vertical Only", "vertical-only", ""},
    {1004, K::TwoState, G::Orientation, "Horizontal Only", "horizontal-only", ""},

    {1016, K::TriState, G::Controls, "2-way", "2-way", "joy2way | ", "ways=2 | ways=1 | ways=vertical2 | "},
    {1009, K::TriState, G::Controls, "4-way", "4-way", "joy4way | ", "ways=4 | 'ways=3 (half4)' | "},
    {1010, K::TriState, G::Controls, "8-way", "8-way", "joy8way | ", "ways=8 | 'ways=5 (half8)' | "},
    {1020, K::TriState, G::Controls, "49-way", "49-way", "49-way | ", nullptr},
    {1025, K::TriState, G::Controls, "Triggerstick", "triggerstick", "triggerstick | ", nullptr},
    {1024, K::TriState, G::Controls, "Top Fire", "top-fire", "top-fire | ", nullptr},
    {1023, K::TriState, G::Controls, "Rotary", "rotary", "rotary | ", nullptr},
    {1018, K::TriState, G::Controls, "Dual 8-way", "dual-8-way", "doublejoy8way | ",
     "type=doublejoy*ways=8 | "},
    {1022, K::TriState, G::Controls, "Dual 4-way", "dual-4-way", "doublejoy4way | ",
     "type=doublejoy*ways=4 | "},
    {1027, K::TriState, G::Controls, "Dual 2-way", "dual-2-way", "doublejoy2way | ",
     "type=doublejoy*ways=2 | type=doublejoy*ways=vertical2 | "},
    {1011, K::TriState, G::Controls, "Dial (spinner)", "dial", "dial | ", "type=dial | "},
    {1012, K::TriState, G::Controls, "Trackball", "trackball", "trackball | ", "type=trackball | "},
    {1017, K::TriState, G::Controls, "Pedal", "pedal", "pedal | ", "type=pedal | "},
    {1019, K::TriState, G::Controls, "Light Gun", "light-gun", "lightgun | ", "type=lightgun | "},
    {1021, K::TriState, G::Controls, "Analog", "analog", "'Analog' | ", "type=stick | type=paddle | "},
    {1028, K::TriState, G::Controls, "Buttons Only", "buttons-only", "!'control type=' | ",
     "!'control type=' | "},

    {1057, K::Combo, G::Region, "Region", "region", ""},
    {1026, K::TwoState, G::Region, "Not", "not", ""},

    {1013, K::TwoState, G::Misc, "No Clones", "no-clones", ""},
    {1014, K::TwoState, G::Misc, "No Samples", "no-samples", ""},
    {1015, K::TwoState, G::Misc, "Playable", "playable", ""},

    {1069, K::TriState, G::Categories, "Ball and Paddle", "ball-and-paddle", "'ball & paddle' | "},
    {1070, K::TriState, G::Categories, "BIOS", "bios", "isbios=yes | "},
    {1071, K::TriState, G::Categories, "Breakout", "breakout", "breakout | "},
    {1072, K::TriState, G::Categories, "Casino", "casino", "casino | "},
    {1073, K::TriState, G::Categories, "Climbing", "climbing", "climbing | "},
    {1074, K::TriState, G::Categories, "Driving", "driving", "driving | "},
    {1075, K::TriState, G::Categories, "Fighter", "fighter", "fighter | "},
    {1076, K::TriState, G::Categories, "Maze", "maze", "maze | "},
    {1077, K::TriState, G::Categories, "Mini Games", "mini-games", "mini-games | "},
    {1078, K::TriState, G::Categories, "Mature", "mature", "mature | "},
    {1079, K::TriState, G::Categories, "Misc.", "misc", "misc. | "},
    {1080, K::TriState, G::Categories, "Multiplay", "multiplay", "multiplay | "},
    {1081, K::TriState, G::Categories, "Pinball", "pinball", "pinball | "},
    {1082, K::TriState, G::Categories, "Platform", "platform", "platform | "},
    {1083, K::TriState, G::Categories, "Puzzle", "puzzle", "puzzle | "},
    {1084, K::TriState, G::Categories, "Quiz", "quiz", "quiz | "},
    {1085, K::TriState, G::Categories, "Rhythm", "rhythm", "rhythm | "},
    {1086, K::TriState, G::Categories, "Shooter", "shooter", "shooter | "},
    {1087, K::TriState, G::Categories, "Sports", "sports", "sports | "},
    {1088, K::TriState, G::Categories, "Mahjong", "mahjong", "tabletop | "},
    {1089, K::TriState, G::Categories, "Wrestling", "wrestling", "wrestling | "},
    {1090, K::TriState, G::Categories, "Fruit Machine", "fruit-machine", "Fruit_Machines | "},
    {1091, K::TriState, G::Categories, "PinMAME", "pinmame", "Electromechanical | "},
    {1092, K::TwoState, G::Categories, "Any/None", "any-none", ""},

    {1112, K::TriState, G::Players, "1 Plyr", "1-plyr", "'<nplayers>1P<' | "},
    {1106, K::TriState, G::Players, "2 Alt", "2-alt", "'<nplayers>2P alt<' | "},
    {1108, K::TriState, G::Players, "3 Alt", "3-alt", "'<nplayers>3P alt<' | "},
    {1109, K::TriState, G::Players, "4 Alt", "4-alt", "'<nplayers>4P alt<' | "},
    {1110, K::TriState, G::Players, "2 Sim", "2-sim", "'<nplayers>2P sim<' | "},
    {1111, K::TriState, G::Players, "3 Sim", "3-sim", "'<nplayers>3P sim<' | "},
    {1107, K::TriState, G::Players, "4 Sim", "4-sim", "'<nplayers>4P sim<' | "},
};

const std::unordered_map<int, std::size_t>& IndexById() {
    static const std::unordered_map<int, std::size_t> index = [] {
        std::unordered_map<int, std::size_t> map;
        for (std::size_t i = 0; i < kControls.size(); ++i) map.emplace(kControls[i].id, i);
        return map;
    }();
    return index;
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

const CriterionInfo* FindCriterion(int id) {
    auto found = IndexById().find(id);
    return found == IndexById().end() ? nullptr : &kControls[found->second];
}

const CriterionInfo* FindCriterionBySetting(std::string_view name) {
    if (name.empty()) return nullptr;
    for (const CriterionInfo& info : kControls) {
        if (EqualsIgnoringCase(info.settingName, name)) return &info;
    }
    return nullptr;
}

const std::vector<std::string>& ComboItems(int id) {
    if (id == criteria_id::kButtons) return kButtonsItems;
    if (id == criteria_id::kRegion) return kRegionItems;
    return kNoItems;
}

CriteriaModel::CriteriaModel() : states_(kControls.size()) {
    ResetStates();
    findText_ = ComposeSearchCommand();
}

CriteriaModel::ControlState* CriteriaModel::Find(int id) {
    auto found = IndexById().find(id);
    return found == IndexById().end() ? nullptr : &states_[found->second];
}

const CriteriaModel::ControlState* CriteriaModel::Find(int id) const {
    auto found = IndexById().find(id);
    return found == IndexById().end() ? nullptr : &states_[found->second];
}

void CriteriaModel::SetRaw(int id, CheckState state) {
    if (ControlState* control = Find(id)) control->check = state;
}

void CriteriaModel::SetEnabledRange(int firstId, int lastId, bool enable) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].id >= firstId && kControls[i].id <= lastId) states_[i].enabled = enable;
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
    SetRaw(criteria_id::kUpright, CheckState::Checked);
    OnButtonsChanged();
    OnRegionChanged();
}

void CriteriaModel::ApplyInitialState() {
    ResetStates();
    using namespace criteria_id;
    SetRaw(kCocktail, CheckState::Unchecked);
    SetRaw(kUpright, CheckState::Checked);
    Find(kButtons)->index = 3;  // two buttons
    OnButtonsChanged();
    SetRaw(kAnyNone, CheckState::Checked);
    OnAnyNoneClicked();
    for (int id = kFirstPlayers; id <= kLastPlayers; ++id) SetRaw(id, CheckState::Indeterminate);
    Find(kRegion)->index = 0;
    OnRegionChanged();
    // Controls not wanted are unticked, so they exclude games that need them.
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].group == G::Controls) states_[i].check = CheckState::Unchecked;
    }
    for (int id : {kPlayable, kOrLess, kTwoWay, kFourWay, kButtonsOnly}) SetRaw(id, CheckState::Checked);
    Rebuild();
}

void CriteriaModel::ApplyInputCheck(const InputCheck& check) {
    inputType_ = check.inputType;
    if (check.opened) {
        vocabulary_ = check.vocabulary;
        verticalClause_ = check.verticalClause;
        horizontalClause_ = check.horizontalClause;
        SetEnabledRange(criteria_id::kFirstCategory, criteria_id::kAnyNone, check.categoriesEnabled);
        SetEnabledRange(criteria_id::kFirstPlayers, criteria_id::kLastPlayers, check.playersEnabled);
    }
    Notify(false);
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
    SetEnabledRange(criteria_id::kFirstCategory, criteria_id::kAnyNone, enable);
    Notify(false);
}

void CriteriaModel::EnablePlayerCriteria(bool enable) {
    SetEnabledRange(criteria_id::kFirstPlayers, criteria_id::kLastPlayers, enable);
    Notify(false);
}

CheckState CriteriaModel::Check(int id) const {
    const ControlState* control = Find(id);
    return control == nullptr ? CheckState::Unchecked : control->check;
}

int CriteriaModel::ComboIndex(int id) const {
    const ControlState* control = Find(id);
    return control == nullptr ? 0 : control->index;
}

bool CriteriaModel::IsEnabled(int id) const {
    const ControlState* control = Find(id);
    return control != nullptr && control->enabled && Served(id);
}

bool CriteriaModel::Served(int id) const {
    const CriterionInfo* info = FindCriterion(id);
    if (info == nullptr) return false;
    const ListingVocabulary& words = vocabulary_;
    switch (info->group) {
        case G::Cabinet:
        case G::Buttons:
            return words.inputs;
        case G::Controls:
            return words.inputs && ClauseTextOf(*info) != nullptr;
        case G::Orientation:
            return words.display;
        case G::Misc:
            return id != criteria_id::kPlayable || words.driverStatus || words.softwareSupport;
        default:
            return true;
    }
}

namespace {
// With a control per player, a game has buttons only when none of its controls is anything else
// (MAME writes type="only_buttons" for a player with buttons alone; mahjong, hanafuda, gambling
// and keypad panels are buttons too).
constexpr int kAnalog = 1021;
constexpr const char* kButtonsOnlyPerPlayer =
    "!(type=joy | type=doublejoy | type=triplejoy | type=stick | type=dial | type=paddle | type=trackball | "
    "type=mouse | type=lightgun | type=pedal | type=positional | type=keyboard) | ";
}  // namespace

const char* CriteriaModel::ClauseTextOf(const CriterionInfo& info) const {
    if (info.id == criteria_id::kButtonsOnly && vocabulary_.controlsPerPlayer) return kButtonsOnlyPerPlayer;
    // A merged file of a current listing knows analog controls from controls.xml and from MAME.
    if (info.id == kAnalog && vocabulary_.controlsPerPlayer && !vocabulary_.joystickWays) {
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

bool CriteriaModel::SetCheck(int id, CheckState state) {
    const CriterionInfo* info = FindCriterion(id);
    if (info == nullptr) return false;
    switch (info->kind) {
        case K::Combo:
            return false;
        case K::TriState:
            SetRaw(id, state);
            break;
        case K::TwoState:
            if (state == CheckState::Indeterminate) return false;
            SetRaw(id, state);
            if (id == criteria_id::kAnyNone) OnAnyNoneClicked();
            break;
        case K::Radio: {
            if (state == CheckState::Indeterminate) return false;
            bool cocktail = (id == criteria_id::kCocktail) == (state == CheckState::Checked);
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

bool CriteriaModel::Click(int id) {
    const CriterionInfo* info = FindCriterion(id);
    if (info == nullptr || info->kind == K::Combo || !IsEnabled(id)) return false;
    CheckState now = Check(id);
    switch (info->kind) {
        case K::TriState:
            return SetCheck(id, now == CheckState::Unchecked ? CheckState::Checked
                                : now == CheckState::Checked ? CheckState::Indeterminate
                                                             : CheckState::Unchecked);
        case K::TwoState:
            return SetCheck(id, now == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked);
        default:
            return SetCheck(id, CheckState::Checked);
    }
}

bool CriteriaModel::SetComboIndex(int id, int index) {
    ControlState* control = Find(id);
    if (control == nullptr || index < 0 || index >= static_cast<int>(ComboItems(id).size())) return false;
    control->index = index;
    if (id == criteria_id::kRegion) {
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
    Find(criteria_id::kNot)->enabled = ComboIndex(criteria_id::kRegion) != 0;
}

void CriteriaModel::OnAnyNoneClicked() {
    using namespace criteria_id;
    if (IsChecked(kAnyNone)) {
        for (int id = kFirstCategory; id <= kLastCategory; ++id) SetRaw(id, CheckState::Indeterminate);
        SetRaw(kBios, CheckState::Unchecked);
    } else {
        for (int id = kFirstCategory; id <= kLastCategory; ++id) SetRaw(id, CheckState::Unchecked);
    }
}

void CriteriaModel::OnCocktailClicked() {
    SetRaw(criteria_id::kCocktail, CheckState::Checked);
    SetRaw(criteria_id::kUpright, CheckState::Unchecked);
}

void CriteriaModel::OnUprightClicked() {
    SetRaw(criteria_id::kUpright, CheckState::Checked);
    SetRaw(criteria_id::kCocktail, CheckState::Unchecked);
}

void CriteriaModel::OnButtonsChanged() {
    Find(criteria_id::kOrLess)->enabled = ComboIndex(criteria_id::kButtons) > 1;
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
    add(BuildMiscClause(clause));
    add(BuildCategoriesClause(clause));
    add(BuildPlayersClause(clause));
    TrimRight(text, "& ");
    return text;
}

bool CriteriaModel::BuildCabinetClause(std::string& clause) const {
    if (!IsChecked(criteria_id::kCocktail) || !Served(criteria_id::kCocktail)) return false;
    // Drivers offer the cocktail cabinet as a DIP switch or as a configuration setting.
    clause = "(" + Tags().cocktailKey + " | 'confsetting name=Cocktail')";
    return true;
}

bool CriteriaModel::BuildButtonsClause(std::string& clause) const {
    int k = ComboIndex(criteria_id::kButtons);
    if (k == 0 || !Served(criteria_id::kButtons)) return false;
    // A game's buttons are the most any of its controls has (each player's control carries its own
    // count in current listings); a game without a count has none. A disabled "or less" (0 buttons
    // chosen) keeps its tick but no longer counts.
    const std::string most = "!" + Tags().buttonsKey.substr(0, Tags().buttonsKey.size() - 1) + ">";
    const std::string count = std::to_string(k - 1);
    if (k == 1 || (IsChecked(criteria_id::kOrLess) && IsEnabled(criteria_id::kOrLess))) {
        clause = most + count;
    } else {
        clause = Tags().buttonsKey + count + " & " + most + count;
    }
    return true;
}

bool CriteriaModel::BuildVerticalClause(std::string& clause) const {
    if (!IsChecked(criteria_id::kVerticalOnly) || IsChecked(criteria_id::kHorizontalOnly)) return false;
    if (!Served(criteria_id::kVerticalOnly)) return false;
    clause = verticalClause_;
    return true;
}

bool CriteriaModel::BuildHorizontalClause(std::string& clause) const {
    if (!IsChecked(criteria_id::kHorizontalOnly) || IsChecked(criteria_id::kVerticalOnly)) return false;
    if (!Served(criteria_id::kHorizontalOnly)) return false;
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
        if (group == G::Controls && !Served(info.id)) continue;
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
    int index = ComboIndex(criteria_id::kRegion);
    if (index <= 0 || index > 4) return false;
    clause = kRegionMacros[index];
    if (IsChecked(criteria_id::kNot)) clause.insert(0, "!");
    TrimRight(clause);
    return true;
}

bool CriteriaModel::BuildMiscClause(std::string& clause) const {
    clause.clear();
    if (IsChecked(criteria_id::kNoClones)) clause += "!cloneof ";
    if (IsChecked(criteria_id::kNoSamples)) clause += "!sample_name= ";
    if (IsChecked(criteria_id::kPlayable) && Served(criteria_id::kPlayable)) {
        // MAME's overall status is "preliminary" for a machine that does not work (and for a
        // mechanical one, or one whose sound, graphics or protection is missing); a BIOS set is
        // no game either. Software lists say it with supported="no".
        clause += vocabulary_.driverStatus ? "!status=preliminary !isbios=yes " : "!supported=no ";
    }
    TrimRight(clause);
    if (ReplaceAll(clause, " ", " & ") > 0) clause = "(" + clause + ")";
    return !clause.empty();
}

bool CriteriaModel::BuildCategoriesClause(std::string& clause) const {
    return BuildTriStateClause(G::Categories, clause);
}

bool CriteriaModel::BuildPlayersClause(std::string& clause) const {
    return BuildTriStateClause(G::Players, clause);
}

}  // namespace vantor
