#include "MameRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <system_error>
#include <thread>

#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"

extern char** environ;

namespace vantor {

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// A temporary file beside `listingPath`; -1 when its folder takes no new files.
int MakeTemporary(const std::string& listingPath, std::string& tempPath) {
    const std::size_t slash = listingPath.rfind('/');
    const std::string name = slash == std::string::npos ? listingPath : listingPath.substr(slash + 1);
    tempPath = FolderOf(listingPath) + "." + name + ".XXXXXX";
    int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) tempPath.clear();
    return fd;
}

enum class RunResult { Succeeded, Failed, NotStarted, Cancelled };

// Runs the program with its output into `outputFd`. Succeeded: it ran and ended with status 0;
// NotStarted: it could not be started (`startError` says why); Cancelled: it was killed.
RunResult RunToFile(const std::string& programPath, const std::string& workingFolder, int outputFd,
                    int& startError, ProgressSink& progress) {
    posix_spawn_file_actions_t actions;
    startError = posix_spawn_file_actions_init(&actions);
    if (startError != 0) return RunResult::NotStarted;
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::string program = programPath;
    std::string option = "-listxml";
    char* argv[] = {program.data(), option.data(), nullptr};
    pid_t child = 0;
    // The C library reports a failed exec here too, so a program that does not start is told
    // apart from one that runs and fails.
    startError = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (startError != 0) return RunResult::NotStarted;
    int status = 0;
    for (;;) {
        // MAME never says how long its listing will be: the bytes so far are the progress.
        struct stat written {};
        if (::fstat(outputFd, &written) == 0)
            progress.Progress(static_cast<std::int64_t>(written.st_size), 0);
        pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) break;
        if (ended < 0 && errno != EINTR) return RunResult::Failed;
        if (progress.CancelRequested()) {
            // Only a listing is lost: MAME writes nothing else.
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return RunResult::Cancelled;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? RunResult::Succeeded : RunResult::Failed;
}

// The program's path as it stands before the child changes to the program's folder.
std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// Why the program cannot be run at all, or 0 when it might.
int StartProblem(const std::string& programPath) {
    struct stat info {};
    if (::stat(programPath.c_str(), &info) != 0) return errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (::access(programPath.c_str(), X_OK) != 0) return errno;
    return 0;
}

mode_t NewFileMode(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string DefaultMameListingPath() {
    std::string folder = EnsureUserDataFolder();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + kMameListingName;
}

bool IsMameProgram(const std::string& path) {
    if (EndsWith(path, ".exe")) return true;
    if (EndsWith(path, ".xml")) return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

namespace {

std::string NotStartedMessage(const std::string& chosenPath, int error) {
    return std::string(kMameNotStarted) + chosenPath + "\r\n(" +
           std::error_code(error, std::generic_category()).message() + ")";
}

}  // namespace

Outcome<UtilityOutput> CheckMameProgram(const std::string& programPath) {
    Outcome<UtilityOutput> outcome;
    if (int problem = StartProblem(AbsolutePath(programPath)); problem != 0)
        return outcome.Fail(NotStartedMessage(programPath, problem));
    outcome.kind = OutcomeKind::Done;
    outcome.Tell(MessageIcon::Exclamation, kMameCoaxMessage);
    return outcome;
}

Outcome<UtilityOutput> RunMameListing(const MameListingInputs& inputs, ProgressSink& progress) {
    Outcome<UtilityOutput> outcome;
    const std::string& chosenPath = inputs.programPath;
    const std::string programPath = AbsolutePath(chosenPath);
    const std::string mameFolder = FolderOf(programPath);
    if (int problem = StartProblem(programPath); problem != 0)
        return outcome.Fail(NotStartedMessage(chosenPath, problem));

    const std::string listingPath =
        inputs.outputPath.empty() ? DefaultMameListingPath() : AbsolutePath(inputs.outputPath);
    std::string tempPath;
    int fd = MakeTemporary(listingPath, tempPath);
    if (fd < 0) return outcome.Fail(kMameListingUnreadable);

    progress.Texts("Running MAME -listxml...", programPath);
    int startError = 0;
    RunResult ran = RunToFile(programPath, mameFolder, fd, startError, progress);
    struct stat info {};
    bool valid =
        ran == RunResult::Succeeded && ::fstat(fd, &info) == 0 && info.st_size >= kMinimumListingSize;
    bool kept = valid && ::fchmod(fd, NewFileMode(listingPath)) == 0;
    kept = (::close(fd) == 0) && kept;
    kept = kept && ::rename(tempPath.c_str(), listingPath.c_str()) == 0;
    if (!kept) ::unlink(tempPath.c_str());
    if (ran == RunResult::Cancelled) return outcome.Cancel();
    if (ran == RunResult::NotStarted) return outcome.Fail(NotStartedMessage(chosenPath, startError));
    // A program that failed, or wrote less than a listing, leaves any earlier listing alone.
    if (!valid) return outcome.Fail(kMameListingInvalid);
    int readFd = kept ? ::open(listingPath.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (readFd < 0) return outcome.Fail(kMameListingUnreadable);
    ::close(readFd);
    outcome.kind = OutcomeKind::Done;
    outcome.value.outputPath = listingPath;
    return outcome;
}

}  // namespace vantor
