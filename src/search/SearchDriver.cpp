#include "SearchDriver.h"

#include <algorithm>
#include <vector>

#include "Evaluator.h"
#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

const char* const kMacroFileMissing =
    "Error, cannot find vnmacros.txt file in the folder Vantor is in.\r\nThis file came with the distribution "
    "package, make sure it's installed along with vantor.";

const char* const kMacroExpansionTooLong =
    "Error, the macros of vnmacros.txt make the search text longer than 4 MB.\r\nCheck the definitions in that file.";

namespace {

constexpr int kProgressEveryRecords = 512;

MatchEntry MakeMatchEntry(const CVn& vn, std::int64_t position, std::string_view record,
                          std::string_view lowerRecord) {
    MatchEntry entry;
    entry.key = FormatRecordKey(position);
    entry.romName = vn.GetRomName(record);
    entry.description = vn.GetDescription(record, lowerRecord);
    if (entry.description.empty()) entry.description = "Unknown";
    vn.GetFieldValues(record, lowerRecord, "<year>", entry.year, 0, true);
    if (entry.year.size() < 4) entry.year = "19??";
    vn.GetFieldValues(record, lowerRecord, Tags().manufacturerTag[TagTable::Column()], entry.manufacturer, 0, true);
    if (entry.manufacturer.empty()) entry.manufacturer = "?";
    return entry;
}

void AppendEntry(const MatchEntry& entry, std::string& listText) {
    for (const std::string* field : {&entry.key, &entry.romName, &entry.description, &entry.year, &entry.manufacturer}) {
        listText += *field;
        listText += '|';
    }
}

// Adds one entry to vn's match list (and to `entries`, when given).
void AddMatch(CVn& vn, std::int64_t position, std::string_view record, std::string_view lowerRecord,
              std::vector<MatchEntry>* entries) {
    MatchEntry entry = MakeMatchEntry(vn, position, record, lowerRecord);
    AppendEntry(entry, vn.listText);
    ++vn.listCount;
    if (entries != nullptr) entries->push_back(std::move(entry));
}

// Walks every complete record of the file; `visit` returns nothing. A record cut short by the
// end of the file is not visited: its text is incomplete and its key could not be read back.
template <typename Visit>
void ForEachRecord(CVn& vn, const MasterFile& file, ProgressSink* progress, Visit visit) {
    vn.reader.Rewind(file);
    const std::string& startTag = Tags().startTag[TagTable::Column()];
    std::string record;
    int sinceProgress = 0;
    for (;;) {
        std::int64_t position = vn.reader.ReadRecord(file, record, startTag, -1);
        if (record.empty() || position == -1) break;
        visit(position, record);
        if (progress != nullptr && ++sinceProgress == kProgressEveryRecords) {
            sinceProgress = 0;
            progress->Progress(vn.reader.Tell(), file.Size());
        }
    }
    if (progress != nullptr) progress->Progress(file.Size(), file.Size());
}

}  // namespace

void ScanForMatches(CVn& vn, const MasterFile& file, ProgressSink* progress, std::vector<MatchEntry>* entries) {
    CompiledExpression expression(vn.expression);
    vn.listText.clear();
    vn.listCount = 0;
    PreparedRecord prepared;
    std::string lowerRecord;
    ForEachRecord(vn, file, progress, [&](std::int64_t position, const std::string& record) {
        prepared.Assign(record);
        if (expression.Rejects(prepared)) return;
        lowerRecord.assign(record);
        ToLowerAsciiInPlace(lowerRecord);
        AddMatch(vn, position, record, lowerRecord, entries);
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
    float forward = static_cast<float>(LongestCommonSubsequence(query, description)) / static_cast<float>(query.size());
    float backward =
        static_cast<float>(LongestCommonSubsequence(description, query)) / static_cast<float>(description.size());
    return forward + backward;
}

void RomSearch(CVn& vn, const MasterFile& file, const std::string& text, ProgressSink* progress,
               std::vector<MatchEntry>* entries) {
    std::string query = ToLowerAscii(text);
    vn.listText.clear();
    vn.listCount = 0;
    std::string lowerRecord;
    ForEachRecord(vn, file, progress, [&](std::int64_t position, const std::string& record) {
        lowerRecord.assign(record);
        ToLowerAsciiInPlace(lowerRecord);
        std::string description = ToLowerAscii(vn.GetDescription(record, lowerRecord));
        // The sum is a float, compared as the double 1.2 is.
        float similarity = DescriptionSimilarity(query, description);
        if (!(static_cast<double>(similarity) > 1.2) && !Contains(description, query)) return;
        AddMatch(vn, position, record, lowerRecord, entries);
    });
}

std::vector<MatchEntry> SplitMatchList(std::string_view listText) {
    std::vector<MatchEntry> entries;
    auto takeField = [&listText]() {
        std::size_t bar = listText.find('|');
        std::string field(listText.substr(0, bar));
        listText.remove_prefix(bar == std::string_view::npos ? listText.size() : bar);
        while (!listText.empty() && listText.front() == '|') listText.remove_prefix(1);
        return field;
    };
    while (!listText.empty()) {
        MatchEntry entry;
        entry.key = takeField();
        entry.romName = takeField();
        entry.description = takeField();
        entry.year = takeField();
        entry.manufacturer = takeField();
        entries.push_back(std::move(entry));
    }
    return entries;
}

void ExpandMacros(std::string& text, const std::string& macroFilePath) {
    if (!Contains(text, '@')) return;
    std::string definitions;
    if (macroFilePath.empty() || !ReadTextFile(macroFilePath, definitions)) throw CErrorMessage(kMacroFileMissing);
    std::size_t pos = 0;
    while (pos < definitions.size()) {
        std::size_t end = definitions.find('\n', pos);
        if (end == std::string::npos) end = definitions.size();
        std::string line = definitions.substr(pos, end - pos);
        pos = end + 1;
        Trim(line);
        if (line.empty() || line.front() == ';') continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string name = line.substr(0, equals);
        std::string replacement = line.substr(equals + 1);
        TrimRight(name);
        Trim(replacement);
        if (!name.empty() && replacement.size() > name.size()) {
            std::size_t count = 0;
            for (std::size_t at = FindText(text, name); at != std::string::npos; at = FindText(text, name, at + name.size())) {
                ++count;
            }
            // A definition that names itself doubles the text each time: stop before it grows
            // without bound.
            if (text.size() + count * (replacement.size() - name.size()) > kMaxExpandedSearchBytes) {
                throw CErrorMessage(kMacroExpansionTooLong);
            }
        }
        ReplaceAll(text, name, replacement);
    }
}

std::string PrepareSearchText(const std::string& findText, const std::string& macroFilePath) {
    std::string text = findText;
    Trim(text);
    if (text.empty()) throw CErrorMessage(kNothingToSearchFor);
    RemoveAll(text, '"');
    ExpandMacros(text, macroFilePath);
    return text;
}

InputCheck OpenInputFile(MasterFile& file, const std::string& path) {
    InputCheck check;
    file.Close();
    if (path.empty()) {
        check.messages.push_back({MessageIcon::Stop, "Please hit the settings button to select an input file."});
        return check;
    }
    if (!file.Open(path)) {
        check.messages.push_back({MessageIcon::Stop, "Open or Read error on input file!?\r\nCheck your settings."});
        return check;
    }
    check.opened = true;

    CFileTools reader;
    reader.ReadHeader(file, check.header);
    g_inputType = UnknownInput;
    if (reader.DetectInputType(file) == UnknownInput) {
        g_inputType = MameGame;
        check.messages.push_back({MessageIcon::Stop, "Unknown input XML type.  Continue at your own risk!"});
    }
    check.inputType = g_inputType;

    std::string firstRecord;
    reader.ReadRecord(file, firstRecord, Tags().startTag[TagTable::Column()], -1);
    if (Contains(firstRecord, "orientation=\"vertical\"") || Contains(firstRecord, "orientation=\"horizontal\"")) {
        check.verticalClause = "orientation=vertical";
        check.horizontalClause = "orientation=horizontal";
    }
    check.categoriesEnabled = check.inputType == MergedList;
    if (!check.categoriesEnabled) {
        check.messages.push_back(
            {MessageIcon::Exclamation,
             "Note: Because you are not using a merged input file, you will not be able to use category fields for "
             "filtering.\r\nYou may also have some incompatibilities outputting lists to certain front ends, due to a "
             "lack of information available from your choice of input file.\r\n\r\nYou'll be much happier if you "
             "create a merged input file via the settings window."});
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

bool DetailsText(const MasterFile& file, const std::string& romName, bool hideRomNames, std::string& text) {
    CFileTools reader;
    reader.Rewind(file);
    std::string record;
    reader.ReadRecord(file, record, Tags().startTag[TagTable::Column()] + "\"" + romName + "\"", -1);
    text = PrepareDetailsText(record, hideRomNames);
    return !record.empty();
}

}  // namespace vantor
