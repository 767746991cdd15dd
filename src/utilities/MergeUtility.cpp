#include "MergeUtility.h"

#include <array>
#include <cstring>
#include <optional>

#include "gamedata/FileIo.h"
#include "gamedata/MasterFile.h"
#include "gamedata/RecordFields.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

// ---------------------------------------------------------------------------------------------
// IniLineIndex

void IniLineIndex::Build(std::string_view text, std::size_t boundary) {
    text_ = text;
    boundary_ = boundary;
    first_.clear();
    firstAfter_.clear();
    const char* data = text.data();
    std::size_t size = text.size();
    for (std::size_t q = text.find('\n'); q != std::string_view::npos;) {
        std::size_t lineStart = q + 1;
        const void* nextNewline =
            lineStart < size ? std::memchr(data + lineStart, '\n', size - lineStart) : nullptr;
        std::size_t lineEnd = nextNewline != nullptr
                                  ? static_cast<std::size_t>(static_cast<const char*>(nextNewline) - data)
                                  : size;
        const void* equals = std::memchr(data + lineStart, '=', lineEnd - lineStart);
        if (equals != nullptr) {
            std::size_t equalsPos = static_cast<std::size_t>(static_cast<const char*>(equals) - data);
            std::string_view name = text.substr(lineStart, equalsPos - lineStart);
            first_.try_emplace(name, q);
            if (boundary != std::string_view::npos && q > boundary) firstAfter_.try_emplace(name, q);
        }
        q = nextNewline != nullptr ? lineEnd : std::string_view::npos;
    }
}

std::string IniLineIndex::Value(std::size_t position, std::size_t nameLength) const {
    std::size_t start = position + 1 + nameLength + 1;
    std::size_t end = text_.find('\n', start);
    if (end == std::string_view::npos) end = text_.size();
    return std::string(text_.substr(start, end - start));
}

// A name that holds "=" or a line end can match lines the index does not key by it.
bool IniLineIndex::LinearFind(std::string_view name, std::size_t from, std::string& value,
                              std::size_t& position) const {
    std::string pattern = "\n" + std::string(name) + "=";
    std::size_t found = FindText(text_, pattern, from);
    if (found == std::string_view::npos) return false;
    position = found;
    value = Value(found, name.size());
    return true;
}

bool IniLineIndex::Find(std::string_view name, std::string& value) const {
    std::size_t position = 0;
    return Find(name, value, position);
}

bool IniLineIndex::Find(std::string_view name, std::string& value, std::size_t& position) const {
    if (name.find_first_of("=\n") != std::string_view::npos) return LinearFind(name, 0, value, position);
    auto found = first_.find(name);
    if (found == first_.end()) return false;
    position = found->second;
    value = Value(position, name.size());
    return true;
}

bool IniLineIndex::FindAfterBoundary(std::string_view name, std::string& value) const {
    if (boundary_ == std::string_view::npos) return false;
    if (name.find_first_of("=\n") != std::string_view::npos) {
        std::size_t position = 0;
        return LinearFind(name, boundary_ + 1, value, position);
    }
    auto found = firstAfter_.find(name);
    if (found == firstAfter_.end()) return false;
    value = Value(found->second, name.size());
    return true;
}

// ---------------------------------------------------------------------------------------------
// ControlsIndex

namespace {
constexpr std::string_view kRomnameKey = "game romname=\"";
}

void ControlsIndex::Build(std::string text) {
    text_ = std::move(text);
    lower_ = ToLowerAscii(text_);
    games_.clear();
    std::string_view lower = lower_;
    for (std::size_t at = FindText(lower, kRomnameKey); at != std::string_view::npos;
         at = FindText(lower, kRomnameKey, at + 1)) {
        std::size_t nameStart = at + kRomnameKey.size();
        std::size_t close = lower.find('"', nameStart);
        if (close == std::string_view::npos) break;
        games_.try_emplace(lower.substr(nameStart, close - nameStart), at);
    }
}

bool ControlsIndex::Find(std::string_view lookupName, std::string& attributes, std::string& players) const {
    attributes.clear();
    players.clear();
    std::string_view lower = lower_;
    std::size_t at = std::string_view::npos;
    if (lookupName.find('"') != std::string_view::npos) {
        at = FindText(lower, std::string(kRomnameKey) + std::string(lookupName) + "\"");
    } else {
        auto found = games_.find(lookupName);
        if (found != games_.end()) at = found->second;
    }
    if (at == std::string_view::npos) return false;

    std::size_t tagEnd = lower.find('>', at);
    if (tagEnd == std::string_view::npos) tagEnd = lower.size();
    std::size_t numPlayers = FindText(lower, "numplayers=", at);
    if (numPlayers != std::string_view::npos && numPlayers < tagEnd) {
        attributes = text_.substr(numPlayers, tagEnd - numPlayers);
        Trim(attributes);
    }
    std::size_t gameEnd = FindText(lower, "</game", at);
    if (gameEnd == std::string_view::npos) gameEnd = lower.size();
    std::size_t player = FindText(lower, "<player", at);
    if (player != std::string_view::npos && player < gameEnd) {
        players = text_.substr(player, gameEnd - player);
        Trim(players);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Control normalisation

namespace {

struct ControlRule {
    std::string_view type, ways, ways2;  // ways2 empty: the element must not have one
    std::string_view newType;
};

constexpr std::array<ControlRule, 12> kControlRules = {{
    {"joy", "2", "", "joy2way"},
    {"joy", "4", "", "joy4way"},
    {"joy", "8", "", "joy8way"},
    {"doublejoy", "8", "8", "doublejoy8way"},
    {"joy", "3 (half4)", "", "joy4way"},
    {"joy", "5 (half8)", "", "joy8way"},
    {"doublejoy", "2", "2", "doublejoy2way"},
    {"doublejoy", "4", "4", "doublejoy4way"},
    {"doublejoy", "8", "2", "doublejoy8way"},
    {"doublejoy", "vertical2", "vertical2", "doublejoy4way"},
    {"joy", "1", "", "joy2way"},
    {"joy", "vertical2", "", "joy2way"},
}};

struct Attribute {
    std::size_t spaceStart;  // the white space before the name
    std::size_t valueStart;
    std::size_t end;  // one past the closing quote
    std::string_view name;
    std::string_view value;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads the attributes of the element whose name ends at `pos`, up to its "/>". False for
// anything that is not a plain self-closing element with quoted attribute values.
bool ParseEmptyElement(std::string_view text, std::size_t pos, std::vector<Attribute>& attributes,
                       std::size_t& elementEnd) {
    attributes.clear();
    for (;;) {
        std::size_t spaceStart = pos;
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        if (pos + 1 < text.size() && text[pos] == '/' && text[pos + 1] == '>') {
            elementEnd = pos + 2;
            return true;
        }
        if (pos == spaceStart || pos >= text.size()) return false;  // attributes are separated by blanks
        std::size_t nameStart = pos;
        while (pos < text.size() && text[pos] != '=' && !IsBlank(text[pos]) && text[pos] != '/' &&
               text[pos] != '>' && text[pos] != '"')
            ++pos;
        if (pos == nameStart || pos + 1 >= text.size() || text[pos] != '=' || text[pos + 1] != '"')
            return false;
        std::string_view name = text.substr(nameStart, pos - nameStart);
        std::size_t valueStart = pos + 2;
        std::size_t close = text.find('"', valueStart);
        if (close == std::string_view::npos) return false;
        attributes.push_back(
            {spaceStart, valueStart, close + 1, name, text.substr(valueStart, close - valueStart)});
        pos = close + 1;
    }
}

const Attribute* FindAttribute(const std::vector<Attribute>& attributes, std::string_view name,
                               bool& duplicate) {
    const Attribute* found = nullptr;
    for (const Attribute& attribute : attributes) {
        if (attribute.name != name) continue;
        if (found != nullptr) duplicate = true;
        found = &attribute;
    }
    return found;
}

}  // namespace

void NormaliseControls(std::string& record) {
    static constexpr std::string_view kControl = "<control ";
    std::size_t at = FindText(record, kControl);
    if (at == std::string::npos) return;
    std::string out;
    std::size_t copied = 0;
    std::vector<Attribute> attributes;
    for (; at != std::string::npos; at = FindText(record, kControl, at + 1)) {
        std::string_view text = record;
        std::size_t elementEnd = 0;
        if (!ParseEmptyElement(text, at + kControl.size() - 1, attributes, elementEnd)) continue;
        bool duplicate = false;
        const Attribute* type = FindAttribute(attributes, "type", duplicate);
        const Attribute* ways = FindAttribute(attributes, "ways", duplicate);
        const Attribute* ways2 = FindAttribute(attributes, "ways2", duplicate);
        if (duplicate || type == nullptr || ways == nullptr) continue;
        const ControlRule* rule = nullptr;
        for (const ControlRule& candidate : kControlRules) {
            bool ways2Matches = candidate.ways2.empty() ? ways2 == nullptr
                                                        : ways2 != nullptr && ways2->value == candidate.ways2;
            if (type->value == candidate.type && ways->value == candidate.ways && ways2Matches) {
                rule = &candidate;
                break;
            }
        }
        if (rule == nullptr) continue;
        if (out.empty()) out.reserve(record.size());
        out.append(text.substr(copied, at - copied));
        std::size_t pos = at;
        for (const Attribute& attribute : attributes) {
            if (&attribute == ways || &attribute == ways2) {
                out.append(text.substr(pos, attribute.spaceStart - pos));
            } else if (&attribute == type) {
                out.append(text.substr(pos, attribute.valueStart - pos));
                out.append(rule->newType);
                out += '"';
            } else {
                out.append(text.substr(pos, attribute.end - pos));
            }
            pos = attribute.end;
        }
        out.append(text.substr(pos, elementEnd - pos));
        copied = elementEnd;
        at = elementEnd - 1;
    }
    if (copied == 0) return;
    out.append(std::string_view(record).substr(copied));
    record.swap(out);
}

// ---------------------------------------------------------------------------------------------
// The merge

namespace {

constexpr const char* kMergeLogTitle =
    "Vantor merge utility log file.  Delete me if you don't care if merge is missing any data.";
constexpr const char* kMergingFirstLine = "Merging data, hang on...";

// The comment that marks the merged file goes two characters after the header's first ">":
// the start of the second line when the first is the XML declaration.
void InsertMergedComment(std::string& header) {
    std::size_t close = header.find('>');
    std::size_t at = close == std::string::npos ? 0 : std::min(close + 2, header.size());
    header.insert(at, kMergedComment);
}

// Where the added elements go: before the first ROM line, or, in a record without ROMs, before
// its end tag (inside the element, where the readers see them).
std::size_t InsertionPoint(const std::string& record, int inputType) {
    std::size_t rom = FindText(record, "<rom name=");
    if (rom != std::string::npos) return rom;
    std::size_t end = record.rfind(Tags().EndTag(inputType));
    return end != std::string::npos ? end : record.size();
}

void AppendElement(std::string& added, std::string_view open, std::string_view value,
                   std::string_view close) {
    added += '\t';
    added.append(open);
    added.append(value);
    added.append(close);
    added += "\n\t";
}

// A value from an ini file goes into XML text: "Track & Field" must come out as "&amp;".
void AppendTextElement(std::string& added, std::string_view open, const std::string& value,
                       std::string_view close) {
    AppendElement(added, open, EncodedEntities(value), close);
}

bool IsDeviceRecord(std::string_view record) {
    return Contains(record.substr(0, record.find('\n')), "isdevice=\"yes\"");
}

// Listings of MAME 0.162 and later name their records "machine": they become "game" records.
void RenameMachineRecord(std::string& record) {
    ReplaceAll(record, "<machine name=", "<game name=");
    ReplaceAll(record, "</machine>", "</game>");
}

std::string FolderPart(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string SuggestedMergeOutput(const MergeInputs& inputs, const std::string& current) {
    bool besideCurrent =
        !current.empty() && current != inputs.listXmlPath && !IsSameFile(current, inputs.listXmlPath);
    std::string suggestion = FolderPart(besideCurrent ? current : inputs.listXmlPath) + "merged.xml";
    // A data file that happens to be called merged.xml is not offered either.
    for (const std::string* read :
         {&inputs.listXmlPath, &inputs.catverPath, &inputs.controlsPath, &inputs.nplayersPath}) {
        if (suggestion == *read || IsSameFile(suggestion, *read))
            return FolderPart(suggestion) + "merged-new.xml";
    }
    return suggestion;
}

Message MergeDoneMessage(std::int64_t games, const std::string& outputPath, const std::string& logPath) {
    Message message{MessageIcon::Information,
                    "Your merged xml file has been created with " + std::to_string(games) +
                        (games == 1 ? " game" : " games") + ":\r\n" + outputPath + "\r\n",
                    Advice::UseNewInputFile};
    if (!logPath.empty()) message.afterAdvice = "\r\nLogfile generated as " + logPath;
    return message;
}

Outcome<UtilityOutput> RunMerge(const MergeInputs& inputs, ProgressSink& progress) {
    Outcome<UtilityOutput> outcome;
    outcome.value.outputPath = inputs.outputPath;
    std::string log = UtilityLogHeader(kMergeLogTitle);

    AtomicOutputFile output;
    if (!OpenOutputFile(inputs.outputPath,
                        {inputs.listXmlPath, inputs.catverPath, inputs.controlsPath, inputs.nplayersPath},
                        output, outcome))
        return outcome;
    progress.Texts(kMergingFirstLine, "");

    std::string catver;
    bool catverRead = false;
    if (!inputs.catverPath.empty()) {
        progress.Texts(kMergingFirstLine, "processing catver.ini...");
        if (ReadTextFile(inputs.catverPath, catver)) catverRead = true;
        ReplaceAll(catver, " = ", "=");
    }
    ControlsIndex controls;
    if (!inputs.controlsPath.empty()) {
        progress.Texts(kMergingFirstLine, "processing controls.xml...");
        std::string text;
        if (ReadTextFile(inputs.controlsPath, text)) controls.Build(std::move(text));
    }
    std::string nplayers;
    bool nplayersRead = false;
    if (!inputs.nplayersPath.empty()) {
        progress.Texts(kMergingFirstLine, "processing nplayers.ini...");
        if (ReadTextFile(inputs.nplayersPath, nplayers)) {
            nplayers += "\n";
            nplayersRead = true;
        }
    }
    if (progress.CancelRequested()) return outcome.Cancel();

    MasterFile listing;
    if (!listing.Open(inputs.listXmlPath)) return outcome.Fail(kListXmlOpenError);
    progress.Texts(kMergingFirstLine, "processing master xml file...");
    RecordReader reader(UnknownInput);
    const int listingType = reader.DetectInputType(listing);
    reader.SetInputType(listingType);
    // Device entries are copied as they are: the ROM audit needs the ROMs they hold, and every
    // other reader skips them.
    reader.SetDeviceEntries(true);
    const bool convert = listingType == MameMachine;
    std::string header;
    reader.ReadHeader(listing, header);
    const std::string rootCloseTag = RecordReader::GetRootCloseTag(header);
    header = CrLfToLf(header);
    if (convert) ReplaceAll(header, "mame (machine+)", "mame (game+)");
    InsertMergedComment(header);
    output.WriteText(header);

    std::size_t verAdded = std::string::npos;
    if (catverRead) {
        verAdded = catver.find("[VerAdded]");
        if (verAdded == std::string::npos) return outcome.Fail(kNoVerAddedError);
    }
    IniLineIndex catverIndex;
    if (catverRead) catverIndex.Build(catver, verAdded);
    IniLineIndex nplayersIndex;
    if (nplayersRead) nplayersIndex.Build(nplayers);

    const RecordFields fields(listingType, false);
    const std::string startTag = Tags().StartTag(listingType);
    std::string record;
    std::string added;
    std::string value;
    std::string parent;
    std::string attributes;
    std::string players;
    std::int64_t lastReport = 0;
    for (;;) {
        if (progress.CancelRequested()) return outcome.Cancel();
        // The record's bytes as they stand: it is copied, and only what is added gets encoded.
        if (reader.ReadRecord(listing, record, startTag, -1, RecordText::Raw) == -1) break;
        if (record.find('\r') != std::string::npos) record = CrLfToLf(record);
        if (IsDeviceRecord(record)) {
            if (convert) RenameMachineRecord(record);
            output.WriteText(record);
            continue;
        }
        NormaliseControls(record);
        const std::string name = fields.GetRomName(record);
        progress.Texts(kMergingFirstLine, "Adding ROM:" + name);
        added.clear();

        if (catverRead) {
            std::size_t position = 0;
            if (catverIndex.Find(name, value, position) && position < verAdded) {
                AppendTextElement(added, "<category>", value, "</category>");
            } else {
                AppendElement(added, "<category>", kNoCatver, "</category>");
                log += "Unable to find " + name + " in catver.ini\r\n";
            }
        }
        if (nplayersRead) {
            if (nplayersIndex.Find(name, value)) {
                AppendTextElement(added, "<nplayers>", value, "</nplayers>");
            } else {
                AppendElement(added, "<nplayers>", kNoNplayers, "</nplayers>");
                log += "Unable to find " + name + " in nplayers.ini\r\n";
            }
        }
        if (catverRead) {
            if (catverIndex.FindAfterBoundary(name, value)) {
                AppendTextElement(added, "<verAdded>", value, "</verAdded>");
            } else {
                AppendElement(added, "<verAdded>", kNoVerAdded, "</verAdded>");
                log += "Unable to find " + name + " in catver.ini\r\n";
            }
        }
        // Clones take their parent's controls.
        parent = fields.GetFieldValues(record, "cloneof=", {}, 0, true);
        const std::string& lookupName = parent.empty() ? name : parent;
        if (controls.Find(lookupName, attributes, players)) {
            if (!attributes.empty()) AppendElement(added, "<controls_info>", attributes, "</controls_info>");
            if (!players.empty()) AppendElement(added, "", players, "");
        } else {
            log += "Unable to find " + name;
            if (!parent.empty()) log += " (clone of " + parent + ")";
            log += " in controls.xml\r\n";
        }

        record.insert(InsertionPoint(record, listingType), added);
        if (convert) RenameMachineRecord(record);
        output.WriteText(record);
        ++outcome.value.games;
        if (reader.Tell() - lastReport >= (4 << 20)) {
            lastReport = reader.Tell();
            progress.Progress(lastReport, listing.Size());
        }
    }
    if (outcome.value.games == 0) return outcome.Fail(kNoGamesInListing);
    output.WriteText("\n" + rootCloseTag);
    // A Cancel after the last item still leaves the earlier file as it was.
    if (progress.CancelRequested()) return outcome.Cancel();
    if (!output.Commit()) return outcome.Fail(OutputWriteFailure(output));
    outcome.kind = OutcomeKind::Done;
    const std::string logPath = LogFilePath(inputs.logFolder, kMergeLogName);
    if (WriteFileAtomically(logPath, log)) {
        outcome.value.logPath = logPath;
    } else {
        outcome.Tell(MessageIcon::Exclamation, kUtilityLogOpenError);
    }
    outcome.Tell(MergeDoneMessage(outcome.value.games, outcome.value.outputPath, outcome.value.logPath));
    return outcome;
}

}  // namespace vantor
