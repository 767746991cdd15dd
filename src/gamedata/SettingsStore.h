#pragma once
// The per-user settings store: one name=value line per value in SettingsFilePath(). Names are
// compared case-insensitively; "the key exists" means the file exists.
#include <string>
#include <utility>
#include <vector>

namespace vantor {

inline constexpr const char* kInputXmlFileValue = "inputXMLFile";
inline constexpr const char* kListXmlFileValue = "listXMLFile";
inline constexpr const char* kCatverFileValue = "catverFile";
inline constexpr const char* kControlsFileValue = "controlsFile";
inline constexpr const char* kNplayersFileValue = "nplayersFile";
// "Hide ROM names": stored under its first name, which every existing settings file has.
inline constexpr const char* kHideRomNamesValue = "hideSHA1s";
inline constexpr const char* kHideTagsValue = "hideTags";
inline constexpr const char* kFindTextValue = "findText";
inline constexpr const char* kOnePerFamilyValue = "onePerFamily";
inline constexpr const char* kFamilyRulesValue = "familyRules";
inline constexpr const char* kFamilyRegionsValue = "familyRegions";
inline constexpr const char* kArtworkFolderValue = "artworkFolder";
inline constexpr const char* kArtworkKindsValue = "artworkKinds";
// The ROM folders the audit searches, one per line in search order, and the CHD folder.
inline constexpr const char* kRomFoldersValue = "romFolders";
inline constexpr const char* kChdFolderValue = "chdFolder";
// The input files whose "not a merged file" note was shown, one per line, the newest last.
inline constexpr const char* kNotMergedNotedValue = "notMergedNoted";

class SettingsStore {
  public:
    explicit SettingsStore(std::string path = {});

    // Reads the store. Without `create` a missing store fails (first run); with it, a missing
    // store is created empty.
    bool Open(bool create);
    bool IsOpen() const { return open_; }
    void Close() { open_ = false; }
    bool Exists() const;

    // A value that is not there reads as "".
    std::string GetText(const std::string& name) const;
    // Stores the value and writes the store at once; false when the file cannot be written.
    bool SetText(const std::string& name, const std::string& text);
    // Several values at once, with one write of the store.
    bool SetTexts(const std::vector<std::pair<std::string, std::string>>& values);
    // "%d" parse of a stored option: any non-zero number is on, anything else off.
    bool GetFlag(const std::string& name) const;
    bool Has(const std::string& name) const;

    const std::string& Path() const { return path_; }

    static std::string Escape(const std::string& text);
    static std::string Unescape(const std::string& text);

  private:
    bool Write() const;
    // Replaces the value of that name (any case), or adds it.
    void Store(const std::string& name, const std::string& value);

    std::string path_;
    bool open_ = false;
    std::vector<std::pair<std::string, std::string>> values_;
};

// The settings both programs start from.
struct Settings {
    std::string inputXmlFile, listXmlFile, catverFile, controlsFile, nplayersFile;
    bool hideRomNames = false;
    bool hideTags = false;
    // The main window's "-find:" text, as last used; what vantor-cli explain explains by default.
    std::string findText;
    // One game per family, and its rule and region lists (comma-separated; empty: the defaults).
    bool onePerFamily = false;
    std::string familyRules, familyRegions;
    // The artwork folder (snap/, titles/, ... or snap.zip, ...), and the picture kinds the windows
    // show, as a list the artwork library reads ("" for its defaults).
    std::string artworkFolder, artworkKinds;
    // Where "Audit ROMs" looks for the sets: ROM folders in search order, and a CHD folder.
    std::vector<std::string> romFolders;
    std::string chdFolder;
    // The settings hold an input file choice: false on the first run (a store that only remembers
    // what the command line noted is no choice).
    bool keyExists = false;

    static Settings Load(const std::string& path = {});
    bool Save(const std::string& path = {}) const;
};

// True the first time the long note that `inputFile` is not a merged file is due (the file is
// then remembered in the settings, the last few dozen of them), false after that.
bool FirstNotMergedNote(const std::string& inputFile, const std::string& path = {});

}  // namespace vantor
