#include "SettingsStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "AppPaths.h"
#include "FileIo.h"
#include "TextUtil.h"

namespace vantor {

namespace {
bool SameName(const std::string& a, const std::string& b) {
    return ToLowerAscii(a) == ToLowerAscii(b);
}
constexpr std::size_t kMaxValueBytes = 2047;
}  // namespace

SettingsStore::SettingsStore(std::string path) : path_(path.empty() ? SettingsFilePath() : std::move(path)) {}

bool SettingsStore::Exists() const {
    return FileExists(path_) && !IsDirectory(path_);
}

bool SettingsStore::Open(bool create) {
    values_.clear();
    open_ = false;
    std::string text;
    if (!ReadWholeFile(path_, text)) {
        if (!create || IsDirectory(path_)) return false;
        if (!Write()) return false;
        open_ = true;
        return true;
    }
    text = CrLfToLf(text);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || line.starts_with("#") || line.starts_with(";")) continue;
        std::string name = line.substr(0, equals);
        Trim(name);
        Store(name, Unescape(line.substr(equals + 1)));
    }
    open_ = true;
    return true;
}

std::string SettingsStore::GetText(const std::string& name) const {
    for (const auto& entry : values_) {
        if (SameName(entry.first, name)) return entry.second;
    }
    return {};
}

bool SettingsStore::Has(const std::string& name) const {
    return std::any_of(values_.begin(), values_.end(),
                       [&](const auto& entry) { return SameName(entry.first, name); });
}

bool SettingsStore::GetFlag(const std::string& name) const {
    std::string text = GetText(name);
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && value != 0;
}

void SettingsStore::Store(const std::string& name, const std::string& value) {
    for (auto& entry : values_) {
        if (SameName(entry.first, name)) {
            entry.second = value;
            return;
        }
    }
    values_.emplace_back(name, value);
}

bool SettingsStore::SetText(const std::string& name, const std::string& text) {
    return SetTexts({{name, text}});
}

bool SettingsStore::SetTexts(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, text] : values)
        Store(name, text.size() > kMaxValueBytes ? text.substr(0, kMaxValueBytes) : text);
    return Write();
}

bool SettingsStore::Write() const {
    std::string text;
    for (const auto& [name, value] : values_) text += name + "=" + Escape(value) + "\n";
    MakeDirectories(std::filesystem::path(path_).parent_path().string());
    return WriteFileAtomically(path_, text);
}

std::string SettingsStore::Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string SettingsStore::Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

Settings Settings::Load(const std::string& path) {
    Settings settings;
    SettingsStore key(path);
    if (!key.Open(false)) return settings;
    settings.keyExists = key.Has(kInputXmlFileValue);
    settings.inputXmlFile = key.GetText(kInputXmlFileValue);
    settings.listXmlFile = key.GetText(kListXmlFileValue);
    settings.catverFile = key.GetText(kCatverFileValue);
    settings.controlsFile = key.GetText(kControlsFileValue);
    settings.nplayersFile = key.GetText(kNplayersFileValue);
    settings.hideRomNames = key.GetFlag(kHideRomNamesValue);
    settings.hideTags = key.GetFlag(kHideTagsValue);
    settings.findText = key.GetText(kFindTextValue);
    settings.onePerFamily = key.GetFlag(kOnePerFamilyValue);
    settings.familyRules = key.GetText(kFamilyRulesValue);
    settings.familyRegions = key.GetText(kFamilyRegionsValue);
    settings.artworkFolder = key.GetText(kArtworkFolderValue);
    settings.artworkKinds = key.GetText(kArtworkKindsValue);
    std::istringstream folders(key.GetText(kRomFoldersValue));
    for (std::string folder; std::getline(folders, folder);) {
        if (!folder.empty()) settings.romFolders.push_back(folder);
    }
    settings.chdFolder = key.GetText(kChdFolderValue);
    return settings;
}

bool Settings::Save(const std::string& path) const {
    SettingsStore key(path);
    if (!key.Open(true)) return false;
    std::string folders;
    for (const std::string& folder : romFolders) folders += folder + "\n";
    return key.SetTexts({{kRomFoldersValue, folders},
                         {kChdFolderValue, chdFolder},
                         {kInputXmlFileValue, inputXmlFile},
                         {kListXmlFileValue, listXmlFile},
                         {kCatverFileValue, catverFile},
                         {kControlsFileValue, controlsFile},
                         {kNplayersFileValue, nplayersFile},
                         {kHideRomNamesValue, hideRomNames ? "1" : "0"},
                         {kHideTagsValue, hideTags ? "1" : "0"},
                         {kFindTextValue, findText},
                         {kOnePerFamilyValue, onePerFamily ? "1" : "0"},
                         {kFamilyRulesValue, familyRules},
                         {kFamilyRegionsValue, familyRegions},
                         {kArtworkFolderValue, artworkFolder},
                         {kArtworkKindsValue, artworkKinds}});
}

bool FirstNotMergedNote(const std::string& inputFile, const std::string& path) {
    std::error_code error;
    std::string file = std::filesystem::weakly_canonical(inputFile, error).string();
    if (error || file.empty()) file = inputFile;
    SettingsStore store(path);
    // A note that cannot be remembered is shown every time.
    if (!store.Open(true)) return true;
    std::vector<std::string> noted;
    std::istringstream lines(store.GetText(kNotMergedNotedValue));
    for (std::string line; std::getline(lines, line);) {
        if (line == file) return false;
        if (!line.empty()) noted.push_back(line);
    }
    noted.push_back(file);
    std::string text;
    for (std::size_t first = 0; first < noted.size(); ++first) {
        text.clear();
        for (std::size_t i = first; i < noted.size(); ++i) text += noted[i] + "\n";
        if (text.size() <= kMaxValueBytes) break;
    }
    (void)store.SetText(kNotMergedNotedValue, text);
    return true;
}

}  // namespace vantor
