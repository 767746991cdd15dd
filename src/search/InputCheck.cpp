#include "InputCheck.h"

#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

const char* const kNotMergedNote =
    "Note: Because you are not using a merged input file, you will not be able to use category fields for "
    "filtering.\r\nYou may also have some incompatibilities outputting lists to certain front ends, due to a "
    "lack of information available from your choice of input file.\r\n\r\nYou'll be much happier if you ";

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
        words.displayElements = words.displayElements || Contains(record, "<display ");
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

Outcome<InputCheck> OpenInputFile(Catalog& catalog, const std::string& path) {
    Outcome<InputCheck> outcome;
    InputCheck& check = outcome.value;
    MasterFile& file = catalog.file;
    file.Close();
    catalog.inputType = MameGame;
    if (path.empty()) {
        outcome.Tell({MessageIcon::Stop, "", Advice::ChooseInputFile});
        return outcome;
    }
    if (!file.Open(path)) {
        outcome.Tell(MessageIcon::Stop, "Open or Read error on input file!?\r\nCheck your settings.");
        return outcome;
    }
    outcome.kind = OutcomeKind::Done;

    RecordReader reader(UnknownInput);
    reader.ReadHeader(file, check.header);
    check.inputType = reader.DetectInputType(file);
    if (check.inputType == UnknownInput) {
        check.inputType = MameGame;
        outcome.Tell(MessageIcon::Stop, "Unknown input XML type.  Continue at your own risk!");
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
        std::string note;
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
        outcome.Tell({MessageIcon::Exclamation, kNotMergedNote, Advice::MakeMergedFile, note});
    }
    check.playersEnabled = Contains(firstRecord, "<nplayers>");
    return outcome;
}

}  // namespace vantor
