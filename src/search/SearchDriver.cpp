#include "SearchDriver.h"

#include <algorithm>
#include <vector>

#include "Evaluator.h"
#include "ExpressionSyntax.h"
#include "RecordScan.h"
#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

const char* const kMacroFileMissing =
    "Error, cannot find vnmacros.txt file in the folder Vantor is in.\r\nThis file came with the "
    "distribution "
    "package, make sure it's installed along with vantor.";

const char* const kMacroExpansionTooLong =
    "Error, the macros of vnmacros.txt make the search text longer than 4 MB.\r\nCheck the definitions in "
    "that file.";

std::vector<MatchEntry> ScanForMatches(const Catalog& catalog, const std::string& text,
                                       ProgressSink* progress, const ScanSplit& split) {
    CompiledExpression expression(text);
    const bool everyRecord = expression.MatchesEveryRecord();
    const RecordFields fields = catalog.Fields();
    return ScanRecords<MatchEntry>(catalog, progress, split, [&] {
        return [&expression, everyRecord, &fields, prepared = PreparedRecord(), lowerRecord = std::string()](
                   std::int64_t position, const std::string& record, std::vector<MatchEntry>& out) mutable {
            if (!everyRecord) {
                prepared.Assign(record);
                if (!expression.Matches(prepared)) return;
            }
            lowerRecord.assign(record);
            ToLowerAsciiInPlace(lowerRecord);
            out.push_back(MakeMatchEntry(fields, position, record, lowerRecord));
        };
    });
}

namespace {

// Longest common subsequence, two rows of counters over the first text.
std::size_t LongestCommonSubsequence(std::string_view first, std::string_view second) {
    std::vector<std::size_t> previous(first.size() + 1, 0), current(first.size() + 1, 0);
    for (char c : second) {
        for (std::size_t j = 1; j <= first.size(); ++j) {
            current[j] = first[j - 1] == c ? previous[j - 1] + 1 : std::max(current[j - 1], previous[j]);
        }
        std::swap(previous, current);
    }
    return previous[first.size()];
}

}  // namespace

float DescriptionSimilarity(std::string_view query, std::string_view description) {
    if (query.empty() || description.empty()) return 0.0f;
    float forward =
        static_cast<float>(LongestCommonSubsequence(query, description)) / static_cast<float>(query.size());
    float backward = static_cast<float>(LongestCommonSubsequence(description, query)) /
                     static_cast<float>(description.size());
    return forward + backward;
}

namespace {

// A game ROM Search found, with what ranks it: first the descriptions that hold the query whole,
// then those that hold each of its words, then those that only resemble it; within each, the
// closer the description's title (the text before its tags) is to the query, the sooner. A long
// tag such as "(World 910522)" thus no longer puts "Street Fighter" below "Star Fighter".
struct RankedMatch {
    MatchEntry entry;
    int tier = 0;
    float likeness = 0.0f;
};

int MatchTier(std::string_view description, std::string_view query) {
    if (Contains(description, query)) return 0;
    std::size_t at = 0;
    while (at < query.size()) {
        const std::size_t end = std::min(query.find(' ', at), query.size());
        if (end > at && !Contains(description, query.substr(at, end - at))) return 2;
        at = end + 1;
    }
    return 1;
}

std::string_view TitleOf(std::string_view description) {
    std::string_view title = description.substr(0, description.find('('));
    while (!title.empty() && title.back() == ' ') title.remove_suffix(1);
    return title.empty() ? description : title;
}

}  // namespace

std::vector<MatchEntry> RomSearch(const Catalog& catalog, const std::string& text, ProgressSink* progress,
                                  const ScanSplit& split) {
    const std::string query = ToLowerAscii(text);
    const RecordFields fields = catalog.Fields();
    std::vector<RankedMatch> found = ScanRecords<RankedMatch>(catalog, progress, split, [&] {
        return [&query, &fields, lowerRecord = std::string()](
                   std::int64_t position, const std::string& record, std::vector<RankedMatch>& out) mutable {
            lowerRecord.assign(record);
            ToLowerAsciiInPlace(lowerRecord);
            std::string description = ToLowerAscii(fields.GetDescription(record, lowerRecord));
            // The sum is a float, compared as the double 1.2 is.
            float similarity = DescriptionSimilarity(query, description);
            if (!(static_cast<double>(similarity) > 1.2) && !Contains(description, query)) return;
            out.push_back({MakeMatchEntry(fields, position, record, lowerRecord),
                           MatchTier(description, query),
                           DescriptionSimilarity(query, TitleOf(description))});
        };
    });
    // Games that rank alike stay in file order.
    std::stable_sort(found.begin(), found.end(), [](const RankedMatch& a, const RankedMatch& b) {
        return a.tier != b.tier ? a.tier < b.tier : a.likeness > b.likeness;
    });
    std::vector<MatchEntry> entries;
    entries.reserve(found.size());
    for (RankedMatch& match : found) entries.push_back(std::move(match.entry));
    return entries;
}

std::vector<MacroDefinition> ParseMacroDefinitions(std::string_view fileText) {
    std::vector<MacroDefinition> definitions;
    std::size_t pos = 0;
    while (pos < fileText.size()) {
        std::size_t end = fileText.find('\n', pos);
        if (end == std::string_view::npos) end = fileText.size();
        std::string line(fileText.substr(pos, end - pos));
        pos = end + 1;
        Trim(line);
        if (line.empty() || line.front() == ';') continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        MacroDefinition definition{line.substr(0, equals), line.substr(equals + 1)};
        TrimRight(definition.name);
        Trim(definition.replacement);
        definitions.push_back(std::move(definition));
    }
    return definitions;
}

namespace {

bool IsMacroNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Every "@NAME" outside quotes must start with a defined name; otherwise the text would be
// searched for the name itself and quietly match nothing.
void CheckMacroNames(std::string_view text, const std::vector<MacroDefinition>& definitions,
                     const std::vector<std::size_t>* origin) {
    bool inPhrase = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\'' || text[at] == '`') inPhrase = !inPhrase;
        if (inPhrase || text[at] != '@' || at + 1 >= text.size() || !IsMacroNameChar(text[at + 1])) continue;
        std::string_view rest = text.substr(at);
        bool known = false;
        for (const MacroDefinition& definition : definitions) {
            known = known || (!definition.name.empty() && rest.starts_with(definition.name));
        }
        if (known) continue;
        std::size_t nameEnd = at + 1;
        while (nameEnd < text.size() && IsMacroNameChar(text[nameEnd])) ++nameEnd;
        std::string name(text.substr(at, nameEnd - at));
        std::size_t typed = origin != nullptr && at < origin->size() ? (*origin)[at] : at;
        std::string message =
            "Error, unknown macro " + name + " at position " + std::to_string(typed + 1) + ".";
        std::string known_names;
        for (const MacroDefinition& definition : definitions) {
            if (definition.name.empty() || definition.name.front() != '@') continue;
            if (ToLowerAscii(definition.name) == ToLowerAscii(name)) {
                message += "\r\nDid you mean " + definition.name + "? Macro names are case-sensitive.";
                throw EngineError(message, ErrorKind::Expression);
            }
            known_names += (known_names.empty() ? "" : ", ") + definition.name;
        }
        message += known_names.empty() ? "\r\nvnmacros.txt defines no macros."
                                       : "\r\nThe macros of vnmacros.txt are " + known_names + ".";
        throw EngineError(message, ErrorKind::Expression);
    }
}

void ExpandMacros(std::string& text, const std::string& macroFilePath,
                  const std::vector<std::size_t>* origin) {
    if (!Contains(text, '@')) return;
    std::string fileText;
    if (macroFilePath.empty() || !ReadTextFile(macroFilePath, fileText)) throw EngineError(kMacroFileMissing);
    std::vector<MacroDefinition> definitions = ParseMacroDefinitions(fileText);
    CheckMacroNames(text, definitions, origin);
    for (const MacroDefinition& definition : definitions) {
        const std::string& name = definition.name;
        const std::string& replacement = definition.replacement;
        if (!name.empty() && replacement.size() > name.size()) {
            std::size_t count = 0;
            for (std::size_t at = FindText(text, name); at != std::string::npos;
                 at = FindText(text, name, at + name.size())) {
                ++count;
            }
            // A definition that names itself doubles the text each time: stop before it grows
            // without bound.
            if (text.size() + count * (replacement.size() - name.size()) > kMaxExpandedSearchBytes) {
                throw EngineError(kMacroExpansionTooLong);
            }
        }
        ReplaceAll(text, name, replacement);
    }
}

}  // namespace

void ExpandMacros(std::string& text, const std::string& macroFilePath) {
    ExpandMacros(text, macroFilePath, nullptr);
}

std::string PrepareSearchText(const std::string& findText, const std::string& macroFilePath) {
    std::string_view typed = findText;
    std::size_t lead = 0;
    while (lead < typed.size() && IsWhiteSpace(typed[lead])) ++lead;
    std::size_t tail = typed.size();
    while (tail > lead && IsWhiteSpace(typed[tail - 1])) --tail;
    if (lead == tail) throw EngineError(kNothingToSearchFor, ErrorKind::Expression);
    // The text without its double quotes, and where each of its bytes was typed.
    std::string text;
    std::vector<std::size_t> origin;
    for (std::size_t i = lead; i < tail; ++i) {
        if (typed[i] == '"') continue;
        text += typed[i];
        origin.push_back(i);
    }
    CheckExpressionSyntax(text, &origin);
    std::string expanded = text;
    ExpandMacros(expanded, macroFilePath, &origin);
    if (expanded != text) {
        try {
            CheckExpressionSyntax(expanded);
        } catch (const EngineError& error) {
            throw EngineError(error.Text() +
                                  "\r\n(The position is counted in the text after the macros of vnmacros.txt "
                                  "were expanded.)",
                              error.Kind());
        }
    }
    return expanded;
}

const char* const kNotMergedNote =
    "Note: Because you are not using a merged input file, you will not be able to use category fields for "
    "filtering.\r\nYou may also have some incompatibilities outputting lists to certain front ends, due to a "
    "lack of information available from your choice of input file.\r\n\r\nYou'll be much happier if you "
    "create a merged input file via the settings window.";

ListingVocabulary DetectListingVocabulary(const MasterFile& file, int inputType) {
    ListingVocabulary words;
    words.cabinetControls = inputType == MergedList;
    words.softwareSupport = inputType == SoftwareList;
    words.inputs = words.display = words.driverStatus = false;
    bool joystickSeen = false, controlSeen = false;
    // Enough records to meet a joystick in any real listing, few enough to take no time.
    constexpr int kRecordsToRead = 3000;
    RecordReader reader(inputType);
    reader.Rewind(file);
    const std::string& startTag = Tags().StartTag(inputType);
    std::string record;
    for (int read = 0; read < kRecordsToRead; ++read) {
        if (reader.ReadRecord(file, record, startTag, -1) == -1 || record.empty()) break;
        words.inputs = words.inputs || Contains(record, "<input ") || Contains(record, "<control ");
        words.display = words.display || Contains(record, "rotate=\"") || Contains(record, "orientation=\"");
        words.driverStatus = words.driverStatus || Contains(record, "<driver status=");
        // MAME's own control elements start with their type; controls.xml's (merged in) have a name.
        for (std::size_t at = FindText(record, "<control type=");
             at != std::string::npos && !(joystickSeen && controlSeen);
             at = FindText(record, "<control type=", at + 1)) {
            std::size_t end = record.find('>', at);
            std::string_view element =
                std::string_view(record).substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (!controlSeen) {
                controlSeen = true;
                words.controlsPerPlayer = Contains(element, " player=\"");
            }
            if (!joystickSeen && (Contains(element, "type=\"joy") || Contains(element, "type=\"doublejoy"))) {
                joystickSeen = true;
                words.joystickWays = Contains(element, " ways=\"");
            }
        }
        if (joystickSeen && controlSeen && words.display && (words.driverStatus || inputType == SoftwareList))
            break;
    }
    // MAME's own listing names joysticks by their ways even when no joystick was met.
    if (!joystickSeen) words.joystickWays = inputType == MameMachine;
    return words;
}

InputCheck OpenInputFile(Catalog& catalog, const std::string& path) {
    InputCheck check;
    MasterFile& file = catalog.file;
    file.Close();
    catalog.inputType = MameGame;
    if (path.empty()) {
        check.messages.push_back(
            {MessageIcon::Stop, "Please hit the settings button to select an input file."});
        return check;
    }
    if (!file.Open(path)) {
        check.messages.push_back(
            {MessageIcon::Stop, "Open or Read error on input file!?\r\nCheck your settings."});
        return check;
    }
    check.opened = true;

    RecordReader reader(UnknownInput);
    reader.ReadHeader(file, check.header);
    check.inputType = reader.DetectInputType(file);
    if (check.inputType == UnknownInput) {
        check.inputType = MameGame;
        check.messages.push_back({MessageIcon::Stop, "Unknown input XML type.  Continue at your own risk!"});
    }
    catalog.inputType = check.inputType;
    reader.SetInputType(check.inputType);

    std::string firstRecord;
    reader.ReadRecord(file, firstRecord, catalog.StartTag(), -1);
    if (Contains(firstRecord, "orientation=\"vertical\"") ||
        Contains(firstRecord, "orientation=\"horizontal\"")) {
        check.verticalClause = "orientation=vertical";
        check.horizontalClause = "orientation=horizontal";
    }
    check.categoriesEnabled = check.inputType == MergedList;
    check.vocabulary = DetectListingVocabulary(file, check.inputType);
    if (!check.categoriesEnabled) {
        std::string note = kNotMergedNote;
        const ListingVocabulary& words = check.vocabulary;
        if (!words.inputs) {
            note += "\r\n\r\nThis file holds no controls or buttons, so those criteria are off.";
        } else if (!words.cabinetControls) {
            note +=
                "\r\n\r\nThe controls and buttons criteria read this file's own controls. 49-way, "
                "Triggerstick, "
                "Top Fire and Rotary come from controls.xml and stay off until you use a merged file.";
        }
        if (!words.display)
            note += "\r\nThis file says nothing of the screen, so Vertical and Horizontal Only are off.";
        check.messages.push_back({MessageIcon::Exclamation, note});
    }
    check.playersEnabled = Contains(firstRecord, "<nplayers>");
    return check;
}

std::string PrepareDetailsText(std::string record, bool hideRomNames) {
    // CR LF first becomes LF, so that the rom lines below are found in CR LF files too.
    record = CrLfToLf(record);
    TrimLeft(record, "\t");
    ReplaceAll(record, "\n\t", "\r\n");
    TrimRight(record);
    if (hideRomNames) {
        for (;;) {
            std::size_t start = record.find("<rom name=");
            if (start == std::string::npos) break;
            std::size_t end = record.find("/>\r\n", start);
            if (end == std::string::npos) break;
            std::string romLine = record.substr(start, end + 4 - start);
            ReplaceAll(record, romLine, "");
        }
    }
    return record;
}

std::int64_t ReadGameRecord(const Catalog& catalog, const std::string& romName, std::string& record) {
    RecordReader reader = catalog.Reader();
    reader.Rewind(catalog.file);
    return reader.ReadRecord(catalog.file, record, catalog.StartTag() + "\"" + romName + "\"", -1);
}

bool DetailsText(const Catalog& catalog, const std::string& romName, std::string& text) {
    std::string record;
    (void)ReadGameRecord(catalog, romName, record);
    text = PrepareDetailsText(record, catalog.display.hideRomNames);
    return !record.empty();
}

}  // namespace vantor
