#pragma once
// The built vantor-cli run as a user runs it: its own process, its own limits, and signals sent
// to it while it works.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"

namespace vantor::test {

struct ChildLimits {
    bool asOtherUser = false;  // run as "nobody" when we are root, so that permissions apply
    rlim_t fileSizeLimit = RLIM_INFINITY;
    // Sent once the program has read `signalAfterBytes` of its input, so it is surely at work, and
    // `signalAfterSeconds` have passed; again `secondSignalAfterSeconds` later when that is set.
    int signal = 0;
    std::int64_t signalAfterBytes = 0;
    double signalAfterSeconds = 0;
    double secondSignalAfterSeconds = 0;
};

struct ChildOutcome {
    int status = -1;  // the exit status; -1 when it ended by a signal or hung
    std::string out, err;
    bool signalSent = false;  // it was still running when the signal went
    double secondsAfterSignal = 0;
};

// How much longer a program built with the sanitizers may take to stop than the release build:
// the work between two stop checks (parsing one playlist) runs several times slower there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr double kStopTimeScale = 4;
#else
inline constexpr double kStopTimeScale = 1;
#endif

// The bytes the process has read so far (/proc/PID/io's rchar), -1 when unknown.
inline std::int64_t BytesReadBy(pid_t pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    std::int64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return -1;
}

// Runs the built vantor-cli in a child process, in `folder`; a child still running after a minute
// is a hang.
inline ChildOutcome RunChild(const std::vector<std::string>& args, const std::string& folder,
                             ChildLimits limits = {}) {
    std::string outPath = folder + "/.child-out", errPath = folder + "/.child-err";
    // The other user may not reach the build folder: it runs a copy of the program.
    std::string program = std::string(VANTOR_BIN_DIR) + "/vantor-cli";
    if (limits.asOtherUser) {
        std::string copy = folder + "/vantor-cli";
        std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(copy, std::filesystem::perms::all);
        program = copy;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        if (::chdir(folder.c_str()) != 0) ::_exit(124);
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG, as on a full disk
        rlimit fileSize{limits.fileSizeLimit, limits.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        if (limits.asOtherUser && ::geteuid() == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(125);
        }
        std::vector<std::string> full = {program};
        full.insert(full.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : full) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(126);
    }
    ChildOutcome outcome;
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    const auto deadline = started + std::chrono::minutes(1);
    auto since = [](Clock::time_point from) {
        return std::chrono::duration<double>(Clock::now() - from).count();
    };
    Clock::time_point signalled;
    bool secondSent = false;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << "vantor-cli hung";
            return outcome;
        }
        if (limits.signal != 0 && !outcome.signalSent && since(started) >= limits.signalAfterSeconds &&
            BytesReadBy(pid) >= limits.signalAfterBytes) {
            ::kill(pid, limits.signal);
            signalled = Clock::now();
            outcome.signalSent = true;
        } else if (outcome.signalSent && !secondSent && limits.secondSignalAfterSeconds > 0 &&
                   since(signalled) >= limits.secondSignalAfterSeconds) {
            ::kill(pid, limits.signal);
            secondSent = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(outcome.signalSent ? 1 : 10));
    }
    if (outcome.signalSent)
        outcome.secondsAfterSignal = std::chrono::duration<double>(Clock::now() - signalled).count();
    EXPECT_TRUE(WIFEXITED(status)) << "vantor-cli ended by signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = ReadFileBytes(outPath);
    outcome.err = ReadFileBytes(errPath);
    return outcome;
}

}  // namespace vantor::test
