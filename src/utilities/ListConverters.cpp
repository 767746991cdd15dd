#include "ListConverters.h"

#include <unordered_set>

#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"
#include "output/MalaList.h"

namespace vantor {

// ---------------------------------------------------------------------------------------------
// MaLa lists

namespace {

class MalaReader {
  public:
    explicit MalaReader(std::string_view data) : data_(data) {}

    bool AtEnd() const { return pos_ >= data_.size(); }
    unsigned char Peek() const { return static_cast<unsigned char>(data_[pos_]); }
    void Skip(std::size_t count) { pos_ += count; }

    // text: 06, a length byte, that many bytes.
    bool Text(std::string* text) {
        if (AtEnd() || Peek() != kMalaText || pos_ + 2 > data_.size()) return false;
        std::size_t length = static_cast<unsigned char>(data_[pos_ + 1]);
        if (pos_ + 2 + length > data_.size()) return false;
        if (text != nullptr) text->assign(data_.substr(pos_ + 2, length));
        pos_ += 2 + length;
        return true;
    }

    // Any item but a record start; false at damage. `end` tells that it was the record end.
    bool Item(bool& end) {
        end = false;
        if (AtEnd()) return false;
        std::size_t payload = 0;
        switch (Peek()) {
            case kMalaRecordEnd:
                end = true;
                break;
            case kMalaSmallInteger:
                payload = 1;
                break;
            case kMalaInteger:
                payload = 2;
                break;
            case kMalaText:
                return Text(nullptr);
            case kMalaMarker:
                break;
            case kMalaFixedValue:
                payload = 8;
                break;
            default:
                return false;
        }
        if (pos_ + 1 + payload > data_.size()) return false;
        pos_ += 1 + payload;
        return true;
    }

    // Items up to and including the record end.
    bool RestOfRecord() {
        bool end = false;
        while (Item(end)) {
            if (end) return true;
        }
        return false;
    }

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

}  // namespace

MalaList ReadMalaList(std::string_view data) {
    MalaList list;
    if (data.size() < 2 || static_cast<unsigned char>(data[0]) != kMalaRecordStart ||
        static_cast<unsigned char>(data[1]) != kMalaText)
        return list;
    // The header: title, subtitle and an empty text, then typed items up to its end. Its game
    // count is an integer whose bytes may look like any tag, so it is read as an item.
    MalaReader reader(data);
    reader.Skip(1);
    for (int i = 0; i < 3; ++i) {
        if (!reader.Text(nullptr)) return list;
    }
    if (!reader.RestOfRecord()) return list;
    list.valid = true;

    while (!reader.AtEnd()) {
        if (reader.Peek() != kMalaRecordStart) {
            list.damaged = true;
            break;
        }
        reader.Skip(1);
        std::string romName;
        bool named = !reader.AtEnd() && reader.Peek() == kMalaText;
        if (named && !reader.Text(&romName)) {
            list.damaged = true;
            break;
        }
        if (!reader.RestOfRecord()) {
            // A list cut short inside a game still names that game when its name is whole.
            list.damaged = true;
            if (named) list.romNames.push_back(std::move(romName));
            break;
        }
        list.romNames.push_back(std::move(romName));
    }
    return list;
}

// ---------------------------------------------------------------------------------------------
// Maximus lists

namespace {

// The third non-empty piece of the entry split at double quotes: description, the text before
// the name, the name.
std::string ThirdQuotedPiece(std::string_view entry) {
    int piece = 0;
    std::size_t start = 0;
    while (start <= entry.size()) {
        std::size_t quote = entry.find('"', start);
        std::size_t end = quote == std::string_view::npos ? entry.size() : quote;
        if (end > start && ++piece == 3) return std::string(entry.substr(start, end - start));
        if (quote == std::string_view::npos) break;
        start = quote + 1;
    }
    return {};
}

}  // namespace

std::vector<std::string> ReadMaximusRomNames(std::string text) {
    std::vector<std::string> names;
    TrimLeft(text, "\"[");
    TrimRight(text, "]");
    text += "],";
    // An entry runs to its "]" and the "," after it. Each entry is taken once: later copies of
    // it are passed over.
    std::unordered_set<std::string> seen;
    std::size_t cursor = 0;
    while (cursor < text.size()) {
        std::size_t close = text.find(']', cursor + 1);
        std::size_t entryEnd = close == std::string::npos ? cursor : close;
        std::string entry = text.substr(cursor, entryEnd - cursor) + "],";
        bool atCursor = text.compare(cursor, entry.size(), entry) == 0;
        if (seen.insert(entry).second) names.push_back(ThirdQuotedPiece(entry));
        if (atCursor) {
            cursor += entry.size();
        } else if (close != std::string::npos) {
            cursor = close + 1;  // a "]" inside an entry: go on after it rather than stall
        } else {
            break;
        }
        while (cursor < text.size() && (text[cursor] == '"' || text[cursor] == ' ')) ++cursor;
    }
    return names;
}

std::string MaximusOutputPath() {
    return TemporaryFolder() + "/" + kMaximusOutputName;
}

// ---------------------------------------------------------------------------------------------
// The conversions

namespace {

constexpr const char* kIndexingFirstLine = "Indexing main input XML file...";
constexpr const char* kIndexingSecondLine = "This will likely take a few minutes.";

// Reads the chosen list; false (told in `outcome`) when it cannot be read or is no MaLa list.
bool LoadMalaList(const std::string& listPath, MalaList& list, Outcome<UtilityOutput>& outcome) {
    std::string data;
    if (std::string problem; !ReadWholeFile(listPath, data, &problem)) {
        outcome.Fail(std::string(kListOpenError) + "\r\n" + problem);
        return false;
    }
    list = ReadMalaList(data);
    if (!list.valid) {
        outcome.Fail(kInvalidMalaList);
        return false;
    }
    return true;
}

// Closes the converted file and says so; false when it could not be written or the job was
// cancelled after its last game (the earlier file stays then).
bool FinishConversion(RecordExtract& extract, AtomicOutputFile& output, ProgressSink& progress,
                      Outcome<UtilityOutput>& outcome) {
    if (progress.CancelRequested()) {
        outcome.Cancel();
        return false;
    }
    extract.WriteClosing(output);
    if (!output.Commit()) {
        outcome.Fail(OutputWriteFailure(output));
        return false;
    }
    outcome.kind = OutcomeKind::Done;
    outcome.Tell(kConvertDone);
    return true;
}

}  // namespace

Outcome<UtilityOutput> CheckMalaList(const std::string& listPath) {
    Outcome<UtilityOutput> outcome;
    MalaList list;
    if (LoadMalaList(listPath, list, outcome)) outcome.kind = OutcomeKind::Done;
    return outcome;
}

Outcome<UtilityOutput> RunMalaToXml(const ConverterInputs& inputs, ProgressSink& progress) {
    Outcome<UtilityOutput> outcome;
    outcome.value.outputPath = inputs.outputPath;
    std::string log = UtilityLogHeader("Vantor list convert utility log file.");
    MalaList list;
    if (!LoadMalaList(inputs.listPath, list, outcome)) return outcome;
    AtomicOutputFile output;
    if (!OpenOutputFile(inputs.outputPath, {inputs.inputPath, inputs.listPath}, output, outcome))
        return outcome;
    RecordExtract extract;
    if (!extract.Open(inputs.inputPath, outcome)) return outcome;

    progress.Texts(kIndexingFirstLine, kIndexingSecondLine);
    if (!extract.index.Build(extract.input, &progress)) return outcome.Cancel();
    extract.WriteHeader(output);
    bool missing = false;
    std::int64_t done = 0;
    for (const std::string& name : list.romNames) {
        if (progress.CancelRequested()) return outcome.Cancel();
        progress.Progress(++done, static_cast<std::int64_t>(list.romNames.size()));
        std::int64_t position = extract.index.FindRecordKey(name);
        if (position == -1) {
            log += "Unable to find " + name + " in input XML. ROM name may have changed.\r\n";
            missing = true;
            continue;
        }
        progress.Texts("Adding game:", name);
        if (extract.CopyRecord(output, position, name)) ++outcome.value.games;
    }
    if (!FinishConversion(extract, output, progress, outcome)) return outcome;
    if (list.damaged) outcome.Tell(MessageIcon::Exclamation, kMalaListEndsEarly);
    if (missing) {
        const std::string logPath = LogFilePath(inputs.logFolder, kConvertLogName);
        if (WriteFileAtomically(logPath, log)) {
            outcome.value.logPath = logPath;
            outcome.Tell(MessageIcon::Information, kMalaNamesMissing);
        } else {
            outcome.Tell(MessageIcon::Exclamation, kUtilityLogOpenError);
        }
    }
    return outcome;
}

Outcome<UtilityOutput> RunMaximusToXml(const ConverterInputs& inputs, ProgressSink& progress) {
    Outcome<UtilityOutput> outcome;
    outcome.value.outputPath = inputs.outputPath.empty() ? MaximusOutputPath() : inputs.outputPath;
    // A list that cannot be read is reported, not turned into an empty master file.
    std::string text;
    if (std::string problem; !ReadTextFile(inputs.listPath, text, &problem))
        return outcome.Fail(std::string(kListOpenError) + "\r\n" + problem);
    AtomicOutputFile output;
    if (!OpenOutputFile(outcome.value.outputPath, {inputs.inputPath, inputs.listPath}, output, outcome))
        return outcome;
    RecordExtract extract;
    if (!extract.Open(inputs.inputPath, outcome)) return outcome;

    progress.Texts(kIndexingFirstLine, kIndexingSecondLine);
    if (!extract.index.Build(extract.input, &progress)) return outcome.Cancel();
    extract.WriteHeader(output);
    const std::string startTag = extract.input.StartTag();
    std::vector<std::string> names = ReadMaximusRomNames(std::move(text));
    std::int64_t done = 0;
    for (const std::string& name : names) {
        if (progress.CancelRequested()) return outcome.Cancel();
        progress.Progress(++done, static_cast<std::int64_t>(names.size()));
        std::int64_t position = extract.index.FindRecordKey(name);
        if (position == -1) continue;
        progress.Texts("Adding game:", name);
        if (extract.CopyRecord(output, position, startTag)) ++outcome.value.games;
    }
    FinishConversion(extract, output, progress, outcome);
    return outcome;
}

}  // namespace vantor
