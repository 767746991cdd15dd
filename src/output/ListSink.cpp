#include "ListSink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "gamedata/FileIo.h"

namespace vantor {

namespace {

// Whether a file can be made or replaced at `path`; a plain check before the work, the real
// answer comes from the write itself.
bool CanWrite(const std::string& path) {
    if (path.empty() || IsDirectory(path)) return false;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string folderName = folder.empty() ? std::string(".") : folder.string();
    if (!IsDirectory(folderName) || ::access(folderName.c_str(), W_OK | X_OK) != 0) return false;
    return !FileExists(path) || ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

bool MarkExecutable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    const mode_t mode = info.st_mode & 07777;
    return ::chmod(path.c_str(), mode | ((mode & 0444) >> 2)) == 0;
}

SaveOutcome FileSink::Prepare(const std::string& masterFile) {
    masterFile_ = masterFile;
    if (!CanWrite(path_)) return SaveOutcome::Failure(kOutputOpenError);
    // The list would take the place of the master file it is made from.
    if (IsSameFile(path_, masterFile_))
        return SaveOutcome::Failure(std::string(kOutputIsMasterFile) + path_ + kChooseAnotherName);
    return {};
}

bool FileSink::ReadCurrent(std::string& text) const {
    text.clear();
    return FileExists(path_) && ReadWholeFile(path_, text);
}

std::string FileSink::CompanionPath(const std::string& name) const {
    std::filesystem::path relative(name);
    if (name.empty() || relative.is_absolute()) return {};
    for (const std::filesystem::path& part : relative) {
        if (part == "..") return {};
    }
    return (std::filesystem::path(path_).parent_path() / relative).string();
}

SaveOutcome FileSink::Take(ListDocument& document) {
    std::vector<std::pair<std::string, const std::string*>> files = {{path_, &document.text}};
    for (const CompanionFile& companion : document.companions) {
        std::string path = CompanionPath(companion.name);
        if (path.empty()) return SaveOutcome::Failure(kOutputOpenError);
        // One folder below the list's own is made when missing (Attract-Mode's LIST/CATEGORY.tag).
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!IsDirectory(folder.string()) && IsDirectory(folder.parent_path().string())) {
            std::error_code ignored;
            std::filesystem::create_directory(folder, ignored);
        }
        if (!CanWrite(path)) return SaveOutcome::Failure(kOutputOpenError);
        if (IsSameFile(path, masterFile_))
            return SaveOutcome::Failure(std::string(kOutputIsMasterFile) + path + kChooseAnotherName);
        files.emplace_back(std::move(path), &companion.bytes);
    }
    // The companions take their names first and the list last, so a failure on the way leaves
    // the list as it was.
    std::vector<std::unique_ptr<AtomicOutputFile>> outputs;
    for (const auto& [path, bytes] : files) {
        outputs.push_back(std::make_unique<AtomicOutputFile>());
        if (!outputs.back()->Open(path)) return SaveOutcome::Failure(kOutputOpenError);
        outputs.back()->Write(*bytes);
    }
    for (std::size_t i = outputs.size(); i-- > 0;) {
        if (!outputs[i]->Commit()) return SaveOutcome::Failure(kOutputOpenError);
    }
    SaveOutcome outcome;
    outcome.games = document.games;
    outcome.notes = std::move(document.notes);
    if (document.executable && !MarkExecutable(path_))
        outcome.notes.push_back({MessageIcon::Exclamation, kScriptNotExecutable});
    return outcome;
}

bool StringSink::ReadCurrent(std::string& text) const {
    text = current_;
    return !current_.empty();
}

SaveOutcome StringSink::Take(ListDocument& document) {
    document_ = std::move(document);
    SaveOutcome outcome;
    outcome.games = document_.games;
    outcome.notes = document_.notes;
    return outcome;
}

}  // namespace vantor
