#include "ListSink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "gamedata/EngineError.h"
#include "gamedata/FileIo.h"

namespace vantor {

bool MarkExecutable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) return true;  // a device or a FIFO keeps its own mode
    const mode_t mode = info.st_mode & 07777;
    return ::chmod(path.c_str(), mode | ((mode & 0444) >> 2)) == 0;
}

std::string FileSink::InputProblem(const std::string& path) const {
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
        if (IsSameFile(path, inputs_[i]))
            return std::string(i == 0 ? kOutputIsMasterFile : kOutputIsInput) + path + kChooseAnotherName;
    }
    return {};
}

Outcome<> FileSink::Prepare(const std::string& masterFile) {
    inputs_.insert(inputs_.begin(), masterFile);
    if (std::string problem = WriteProblem(path_); !problem.empty())
        return Outcome<>::Failure(std::string(kOutputOpenError) + "\r\n" + problem);
    if (std::string problem = InputProblem(path_); !problem.empty()) return Outcome<>::Failure(problem);
    return Outcome<>::Made();
}

bool FileSink::ReadCurrent(std::string& text) const {
    text.clear();
    // Standard output, a device or a FIFO holds no list to update; a file that is there is read,
    // or the save stops.
    struct stat info {};
    if (path_ == "-" || ::stat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || IsSameFile(path_, "-"))
        return false;
    std::string problem;
    if (!ReadWholeFile(path_, text, &problem)) {
        throw EngineError("The list to be updated cannot be read, so it was left as it is:\r\n" + problem);
    }
    return true;
}

std::string FileSink::CompanionPath(const std::string& name) const {
    std::filesystem::path relative(name);
    if (name.empty() || relative.is_absolute()) return {};
    for (const std::filesystem::path& part : relative) {
        if (part == "..") return {};
    }
    // Beside the file the list is written to, where a symlink leads.
    return (std::filesystem::path(FollowLinks(path_)).parent_path() / relative).string();
}

Outcome<SavedGames> FileSink::Take(ListDocument& document) {
    auto openFailure = [](const std::string& problem) {
        return Outcome<SavedGames>::Failure(std::string(kOutputOpenError) + "\r\n" + problem);
    };
    // The companions take their names first and the list last.
    std::vector<std::pair<std::string, const std::string*>> files;
    std::vector<std::filesystem::path> madeFolders;
    struct FolderCleanup {
        std::vector<std::filesystem::path>& folders;
        bool keep = false;
        ~FolderCleanup() {
            std::error_code ignored;
            if (!keep)
                for (const std::filesystem::path& folder : folders) std::filesystem::remove(folder, ignored);
        }
    } cleanup{madeFolders};
    for (const CompanionFile& companion : document.companions) {
        std::string path = CompanionPath(companion.name);
        if (path.empty()) return openFailure(companion.name + ": a name outside the list's folder");
        // One folder below the list's own is made when missing (Attract-Mode's LIST/CATEGORY.tag).
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!IsDirectory(folder.string()) && IsDirectory(folder.parent_path().string())) {
            std::error_code ignored;
            if (std::filesystem::create_directory(folder, ignored)) madeFolders.push_back(folder);
        }
        files.emplace_back(std::move(path), &companion.bytes);
    }
    for (const CompanionFile& extra : extras_) files.emplace_back(extra.name, &extra.bytes);
    files.emplace_back(path_, &document.text);

    std::vector<std::string> identities;
    for (const auto& [path, bytes] : files) {
        if (std::string problem = InputProblem(path); !problem.empty())
            return Outcome<SavedGames>::Failure(problem);
        identities.push_back(OutputIdentity(path));
        for (std::size_t i = 0; i + 1 < identities.size(); ++i) {
            if (identities[i] == identities.back())
                return Outcome<SavedGames>::Failure(kOutputsCollide + files[i].first + "\r\n" + path +
                                                    kChooseAnotherName);
        }
    }
    std::vector<std::unique_ptr<AtomicOutputFile>> outputs;
    std::vector<AtomicOutputFile*> commit;
    for (const auto& [path, bytes] : files) {
        outputs.push_back(std::make_unique<AtomicOutputFile>());
        if (!outputs.back()->Open(path)) return openFailure(outputs.back()->Problem());
        outputs.back()->Write(*bytes);
        commit.push_back(outputs.back().get());
    }
    if (!CommitFiles(commit)) {
        for (const AtomicOutputFile* output : commit) {
            if (!output->Problem().empty())
                return Outcome<SavedGames>::Failure(std::string(kOutputWriteError) + "\r\n" +
                                                    output->Problem());
        }
        return Outcome<SavedGames>::Failure(kOutputWriteError);
    }
    cleanup.keep = true;
    Outcome<SavedGames> outcome = Outcome<SavedGames>::Made({document.games});
    outcome.messages = std::move(document.notes);
    if (document.executable && path_ != "-" && !MarkExecutable(FollowLinks(path_)))
        outcome.Tell(MessageIcon::Exclamation, kScriptNotExecutable);
    return outcome;
}

bool StringSink::ReadCurrent(std::string& text) const {
    text = current_;
    return !current_.empty();
}

Outcome<SavedGames> StringSink::Take(ListDocument& document) {
    document_ = std::move(document);
    Outcome<SavedGames> outcome = Outcome<SavedGames>::Made({document_.games});
    outcome.messages = document_.notes;
    return outcome;
}

}  // namespace vantor
