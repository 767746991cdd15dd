// "MaLa Gamelist": the .mlg byte format.
#include "MalaList.h"

#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

constexpr unsigned char kFixedBytes[8] = {0xB1, 0x60, 0xF5, 0xF2, 0x8F, 0x28, 0xE3, 0x40};
constexpr std::size_t kMaxTextLength = 255;

void AppendByte(std::string& bytes, unsigned value) {
    bytes += static_cast<char>(value & 0xFF);
}

// The length is a single byte: a longer text is cut rather than given a wrapped length, which
// would make every later item unreadable.
void AppendText(std::string& bytes, std::string_view text) {
    if (text.size() > kMaxTextLength) text = text.substr(0, kMaxTextLength);
    AppendByte(bytes, kMalaText);
    AppendByte(bytes, static_cast<unsigned>(text.size()));
    bytes += text;
}

void AppendSmallInteger(std::string& bytes, int value) {
    AppendByte(bytes, kMalaSmallInteger);
    AppendByte(bytes, static_cast<unsigned>(value));
}

void AppendInteger(std::string& bytes, int value) {
    AppendByte(bytes, kMalaInteger);
    AppendByte(bytes, static_cast<unsigned>(value));
    AppendByte(bytes, static_cast<unsigned>(value) >> 8);
}

void AppendFixedValue(std::string& bytes) {
    AppendByte(bytes, kMalaFixedValue);
    bytes.append(reinterpret_cast<const char*>(kFixedBytes), sizeof kFixedBytes);
}

// The leading decimal integer (white space, optional sign, digits); `fallback` without one.
int LeadingNumber(std::string_view text, int fallback) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        if (value < 1'000'000'000) value = value * 10 + (text[i] - '0');
    }
    if (digits == 0) return fallback;
    return static_cast<int>(negative ? -value : value);
}

std::string PlayersText(const ListedRecord& record) {
    std::string players = record.Value("<nplayers>");
    if (!players.empty()) return players;
    std::string alternatingText = record.Value("alternating=");
    // A value that is no number says neither "alternating" nor "simultaneous".
    int alternating = alternatingText.empty() ? 1 : LeadingNumber(alternatingText, -1);
    players = record.Value("input_players=") + "P";
    if (alternating == 1) players += " alt";
    if (alternating == 0) players += " sim";
    return players;
}

}  // namespace

std::size_t BuildMalaHeader(std::string_view listTitle, std::string& bytes) {
    AppendByte(bytes, kMalaRecordStart);
    AppendText(bytes, listTitle);
    AppendText(bytes, "");  // the subtitle
    AppendText(bytes, "");
    AppendFixedValue(bytes);
    AppendFixedValue(bytes);
    AppendByte(bytes, kMalaMarker);
    std::size_t countOffset = bytes.size() + 1;
    AppendInteger(bytes, 1);  // the game count, filled in at the end
    AppendSmallInteger(bytes, 0);
    AppendByte(bytes, kMalaRecordEnd);
    return countOffset;
}

void BuildMalaEntry(const MalaEntry& entry, std::string& bytes) {
    AppendByte(bytes, kMalaRecordStart);
    for (const std::string* text :
         {&entry.romName, &entry.romOf, &entry.cloneOf, &entry.driver, &entry.description}) {
        AppendText(bytes, *text);
    }
    AppendInteger(bytes, entry.year);
    AppendText(bytes, entry.manufacturer);
    AppendText(bytes, entry.category);
    AppendSmallInteger(bytes, entry.buttons);
    AppendSmallInteger(bytes, entry.coins);
    for (const std::string* text :
         {&entry.players, &entry.controlType, &entry.displayType, &entry.orientation}) {
        AppendText(bytes, *text);
    }
    AppendInteger(bytes, entry.width);
    AppendInteger(bytes, entry.height);
    for (const std::string* text :
         {&entry.driverStatus, &entry.colorStatus, &entry.soundStatus, &entry.emulationStatus,
          &entry.graphicStatus, &entry.controlLabel, &entry.joystickUp, &entry.joystickDown,
          &entry.joystickLeft, &entry.joystickRight}) {
        AppendText(bytes, *text);
    }
    for (const std::string& label : entry.buttonLabels) AppendText(bytes, label);
    for (int i = 0; i < 3; ++i) AppendText(bytes, "");
    AppendSmallInteger(bytes, 0);
    AppendByte(bytes, kMalaRecordEnd);
}

MalaEntry MakeMalaEntry(const ListedRecord& record) {
    MalaEntry entry;
    entry.romName = record.RomName();
    entry.romOf = record.Value("romof=");
    entry.cloneOf = record.Value("cloneof=");
    entry.driver = record.Value("sourcefile=");
    entry.description = record.Description();
    Trim(entry.description);
    // A year, width or height that is no number ("19??", or none) is written as 0.
    entry.year = LeadingNumber(record.Value("<year>"), 0);
    entry.manufacturer = record.Value(Tags().ManufacturerTag(record.InputType()));
    entry.category = record.Value("<category>");
    entry.buttons = LeadingNumber(record.Value(Tags().buttonsKey), 0);
    entry.coins = LeadingNumber(record.Value("coins="), 0);
    entry.players = PlayersText(record);
    entry.controlType = record.Value("control type=");
    entry.displayType = record.Value("display type=");
    std::string rotate = record.Value("rotate=");
    entry.orientation = rotate == "90" || rotate == "270" ? "vertical" : "horizontal";
    entry.width = LeadingNumber(record.Value("width="), 0);
    entry.height = LeadingNumber(record.Value("height="), 0);
    entry.driverStatus = record.Value("%<driver.status");
    entry.colorStatus = record.Value("%<driver.color");
    entry.soundStatus = record.Value("%<driver.sound");
    entry.emulationStatus = record.Value("%<driver.emulation");
    entry.graphicStatus = record.Value("%<driver.graphic");

    entry.controlLabel = record.Value("'control name='");
    entry.joystickUp = record.Value("'P1_JOYSTICK_UP\" value='");
    entry.joystickDown = record.Value("'P1_JOYSTICK_DOWN\" value='");
    entry.joystickLeft = record.Value("'P1_JOYSTICK_LEFT\" value='");
    entry.joystickRight = record.Value("'P1_JOYSTICK_RIGHT\" value='");
    if (entry.controlLabel.empty() && (entry.controlType == "joy4way" || entry.controlType == "joy8way")) {
        entry.joystickUp = "Up";
        entry.joystickDown = "Down";
        entry.joystickLeft = "Left";
        entry.joystickRight = "Right";
        entry.controlLabel = entry.controlType == "joy4way" ? "4-way Joystick" : "8-way Joystick";
    }

    for (int n = 1; n <= 8; ++n) {
        std::string& label = entry.buttonLabels[static_cast<std::size_t>(n - 1)];
        label = record.Value("'P1_BUTTON" + std::to_string(n) + "\" value='");
        if (label.empty()) label = entry.buttons >= n ? "button " + std::to_string(n) : "not used";
    }
    return entry;
}

namespace {

class MalaWriter : public ListWriter {
  public:
    explicit MalaWriter(std::string title) : title_(std::move(title)) {}

    void Begin(const ListContext&, ListDocument& document) override {
        countOffset_ = BuildMalaHeader(title_, document.text);
    }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        BuildMalaEntry(MakeMalaEntry(record), out);
        return true;
    }

    // The count field holds the number of games, little-endian.
    void End(const ListContext&, ListDocument& document) override {
        document.text[countOffset_] = static_cast<char>(document.games & 0xFF);
        if (document.games > 255)
            document.text[countOffset_ + 1] = static_cast<char>((document.games >> 8) & 0xFF);
    }

  private:
    std::string title_;
    std::size_t countOffset_ = 0;
};

}  // namespace

std::unique_ptr<ListWriter> MakeMalaWriter(const ListOptions& options) {
    return std::make_unique<MalaWriter>(options.Text(ListOption::Title));
}

}  // namespace vantor
