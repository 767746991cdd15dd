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

}  // namespace

namespace {

// Closes the converted file and says so; false when it could not be written.
bool FinishConversion(ProgressWindow& progress, RecordExtract& extract, AtomicOutputFile& output,
                      UserInterface& ui, UtilityResult& result) {
    progress.Close();
    extract.WriteClosing(output);
    if (!output.Commit()) {
        ui.ShowMessage(MessageIcon::Exclamation, kUtilityOutputWriteError);
        return false;
    }
    result.written = true;
    ui.ShowMessage(MessageIcon::Information, kConvertDone);
    return true;
}

}  // namespace

UtilityResult RunMalaToXml(const ConverterInputs& inputs, UserInterface& ui) {
    UtilityResult result;
    std::string log = UtilityLogHeader("Vantor list convert utility log file.");
    std::string listPath;
    if (!ui.ChooseOpenFileTitled(listPath, "Open a mala list...", "mlg files (*.mlg)|*.mlg", "mlg")) {
        result.cancelled = true;
        return result;
    }
    std::string data;
    if (!ReadWholeFile(listPath, data)) {
        ui.ShowMessage(MessageIcon::Exclamation, kListOpenError);
        return result;
    }
    MalaList list = ReadMalaList(data);
    if (!list.valid) {
        ui.ShowMessage(MessageIcon::Exclamation, kInvalidMalaList);
        return result;
    }
    AtomicOutputFile output;
    if (!ChooseOutputFile(ui, "Save new XML file as...", {}, {inputs.inputPath, listPath}, output, result))
        return result;
    RecordExtract extract;
    if (!extract.Open(inputs.inputPath, ui)) return result;

    ProgressWindow progress(ui, kIndexingFirstLine, kIndexingSecondLine);
    extract.index.Build(extract.input, &ui);
    extract.WriteHeader(output);
    bool missing = false;
    std::int64_t done = 0;
    for (const std::string& name : list.romNames) {
        ui.ProgressUpdate(++done, static_cast<std::int64_t>(list.romNames.size()));
        std::int64_t position = extract.index.FindRecordKey(name);
        if (position == -1) {
            log += "Unable to find " + name + " in input XML. ROM name may have changed.\r\n";
            missing = true;
            continue;
        }
        ui.ProgressSetTexts("Adding game:", name);
        if (extract.CopyRecord(output, position, name)) ++result.games;
    }
    if (!FinishConversion(progress, extract, output, ui, result)) return result;
    if (list.damaged) ui.ShowMessage(MessageIcon::Exclamation, kMalaListEndsEarly);
    if (missing) {
        if (WriteFileAtomically(LogFilePath(inputs.logFolder, kConvertLogName), log)) {
            ui.ShowMessage(MessageIcon::Information, kMalaNamesMissing);
        } else {
            ui.ShowMessage(MessageIcon::Exclamation, kUtilityLogOpenError);
        }
    }
    return result;
}

UtilityResult RunMaximusToXml(const ConverterInputs& inputs, UserInterface& ui) {
    UtilityResult result;
    std::string listPath;
    if (!ui.ChooseOpenFileTitled(listPath, "Point me to a Maximus file please...",
                                 "Maximus files (*.txt)|*.txt|xml files (*.xml)|*.xml", "txt;xml")) {
        result.cancelled = true;
        return result;
    }
    // A list that cannot be read is reported, not turned into an empty master file.
    std::string text;
    if (!ReadTextFile(listPath, text)) {
        ui.ShowMessage(MessageIcon::Exclamation, kListOpenError);
        return result;
    }
    std::string outputPath = inputs.outputPath.empty() ? MaximusOutputPath() : inputs.outputPath;
    result.outputPath = outputPath;
    AtomicOutputFile output;
    if (!OpenOutputFile(ui, outputPath, {inputs.inputPath, listPath}, output)) return result;
    RecordExtract extract;
    if (!extract.Open(inputs.inputPath, ui)) return result;

    ProgressWindow progress(ui, kIndexingFirstLine, kIndexingSecondLine);
    extract.index.Build(extract.input, &ui);
    extract.WriteHeader(output);
    const std::string startTag = extract.input.StartTag();
    std::vector<std::string> names = ReadMaximusRomNames(std::move(text));
    std::int64_t done = 0;
    for (const std::string& name : names) {
        ui.ProgressUpdate(++done, static_cast<std::int64_t>(names.size()));
        std::int64_t position = extract.index.FindRecordKey(name);
        if (position == -1) continue;
        ui.ProgressSetTexts("Adding game:", name);
        if (extract.CopyRecord(output, position, startTag)) ++result.games;
    }
    if (!FinishConversion(progress, extract, output, ui, result)) return result;
    return result;
}

}  // namespace vantor
