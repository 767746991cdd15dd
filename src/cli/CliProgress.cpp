#include "CliProgress.h"

#include <semaphore.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <ostream>
#include <thread>

#include "CliCommand.h"
#include "gamedata/FileIo.h"

namespace vantor::cli {

namespace {

constexpr int kLongestBar = 20;
constexpr int kShortestBar = 10;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// "121/270 MB": both amounts in the unit that keeps the total under 10000.
std::string ByteAmounts(std::int64_t done, std::int64_t total) {
    static const char* const kUnits[] = {"B", "kB", "MB", "GB", "TB"};
    std::int64_t scale = 1;
    std::size_t unit = 0;
    while (unit + 1 < std::size(kUnits) && total / scale >= 10000) {
        scale *= 1000;
        ++unit;
    }
    return std::to_string(done / scale) + "/" + std::to_string(total / scale) + " " + kUnits[unit];
}

// "12 s left", "4 min left", "2 h 5 min left".
std::string TimeLeft(double seconds) {
    const long rounded = std::max(1L, std::lround(seconds));
    if (rounded < 90) return std::to_string(rounded) + " s left";
    const long minutes = std::lround(seconds / 60);
    if (minutes < 90) return std::to_string(minutes) + " min left";
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min left";
}

std::size_t TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

// How long a command has to end by itself after the signal before the watchdog ends it.
constexpr auto kCancelGrace = std::chrono::milliseconds(50);

// Lock-free, so that the handler may store into it.
std::atomic<int> g_cancelSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
// Who ends the program after a signal: 0 nobody yet, 1 the command itself, 2 the watchdog.
std::atomic<int> g_exitClaim{0};
sem_t g_signalled;  // posted by the handler, awaited by the watchdog

void OnCancelSignal(int signal) {
    int none = 0;
    if (g_cancelSignal.compare_exchange_strong(none, signal)) {
        ::sem_post(&g_signalled);
        return;
    }
    // The second one ends the program at once, with what it was writing removed. Files being put
    // in place are left to the save, which has seen the first signal and puts them back; once
    // they are all in place the command has claimed its end, and ends with its own status.
    if (PlacingFiles() || g_exitClaim.load() == 1) return;
    RemoveTemporaryFiles();
    ::_exit(128 + signal);
}

// Work that does not look at the signal (a parse, a sync) must not keep the program running: a
// command that has not ended shortly after the signal is ended here, as it would have ended.
void Watchdog() {
    while (::sem_wait(&g_signalled) != 0) {
    }
    std::this_thread::sleep_for(kCancelGrace);
    int none = 0;
    if (!g_exitClaim.compare_exchange_strong(none, 2)) return;
    while (PlacingFiles()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    RemoveTemporaryFiles();
    static constexpr char kClearLine[] = "\r\x1b[K";
    static constexpr char kNote[] = "note: Cancelled.\n";
    if (::isatty(STDERR_FILENO) == 1) (void)!::write(STDERR_FILENO, kClearLine, sizeof kClearLine - 1);
    (void)!::write(STDERR_FILENO, kNote, sizeof kNote - 1);
    ::_exit(128 + g_cancelSignal.load());
}

}  // namespace

std::string ProgressLineText(std::string_view label, ProgressUnit unit, std::int64_t done, std::int64_t total,
                             double elapsedSeconds, std::size_t width) {
    if (total <= 0) return {};
    done = std::clamp<std::int64_t>(done, 0, total);
    const int percent = static_cast<int>(static_cast<double>(done) * 100 / static_cast<double>(total));
    char head[8];
    std::snprintf(head, sizeof head, "%3d%% ", percent);
    std::string amounts;
    if (unit == ProgressUnit::Bytes) amounts = " " + ByteAmounts(done, total);
    if (unit == ProgressUnit::Games) amounts = " " + std::to_string(done) + "/" + std::to_string(total);
    if (elapsedSeconds >= 1 && done > 0 && done < total && done * 100 >= total) {
        const double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
        amounts += (unit == ProgressUnit::Unnamed ? " " : ", ") + TimeLeft(left);
    }

    // The last column stays free: a terminal that wraps there would break the redraw in place.
    // A narrow terminal gets a shorter bar, then a shorter label, then no label.
    const std::size_t room = width > 0 ? width - 1 : 0;
    const std::size_t labelWidth = label.empty() ? 0 : label.size() + 2;
    int barWidth = kLongestBar;
    while (barWidth > kShortestBar && labelWidth + std::strlen(head) + barWidth + 2 + amounts.size() > room)
        --barWidth;
    const int filled = percent * barWidth / 100;
    const std::string tail =
        head + ('[' + std::string(filled, '#') + std::string(barWidth - filled, ' ') + ']') + amounts;
    if (tail.size() >= room) return tail.substr(0, room);
    const std::size_t labelRoom = room - tail.size() - 2;
    if (label.empty() || labelRoom < 8) return tail;
    return std::string(label.substr(0, labelRoom)) + "  " + tail;
}

void ProgressLine::Start(std::string label) {
    label_ = std::move(label);
    started_ = Clock::now();
}

void ProgressLine::Update(std::int64_t done, std::int64_t total, ProgressUnit unit, Clock::time_point now) {
    if (!enabled_ || total <= 0) return;
    if (drawn_ && done < total && now - lastDrawn_ < kRedrawInterval) return;
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    // "\x1b[K" clears what a longer line drawn before left on the right.
    err_ << '\r' << ProgressLineText(label_, unit, done, total, elapsed, TerminalColumns()) << "\x1b[K";
    err_.flush();
    drawn_ = true;
    lastDrawn_ = now;
}

void ProgressLine::Break() {
    if (!drawn_) return;
    err_ << '\n';
    err_.flush();
    drawn_ = false;
}

CliProgress::~CliProgress() {
    End();
}

void CliProgress::Start(const std::string& label) {
    ui_.Line().Start(label);
    started_ = true;
}

void CliProgress::End() {
    if (started_) ui_.Line().Break();
    started_ = false;
}

void CliProgress::Progress(std::int64_t done, std::int64_t total) {
    started_ = true;
    ui_.Line().Update(done, total, unit_);
}

void CliProgress::Texts(const std::string& firstLine, const std::string&) {
    if (started_) {
        ui_.Line().SetLabel(firstLine);
    } else {
        Start(firstLine);
    }
}

bool CliProgress::CancelRequested() const {
    return CancelSignal() != 0;
}

void InstallCancelHandlers() {
    static std::once_flag started;
    std::call_once(started, [] {
        ::sem_init(&g_signalled, 0, 0);
        std::thread(Watchdog).detach();
    });
    g_cancelSignal = 0;
    // Once a command's files are written, the command ends itself: nothing stops its last steps.
    SetStopRequestCheck([] { return CancelSignal() != 0 && g_exitClaim.load() != 1; });
    SetCommitCheck([] {
        if (g_exitClaim.load() == 1) return true;
        if (CancelSignal() != 0) return false;
        int none = 0;
        return g_exitClaim.compare_exchange_strong(none, 1) || none == 1;
    });
    struct sigaction action {};
    action.sa_handler = OnCancelSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a read in progress (a key list on standard input) goes on instead of ending
    // early as if the input were complete; the job's next check stops it.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void ClaimExit() {
    int none = 0;
    if (g_exitClaim.compare_exchange_strong(none, 1) || none == 1) return;
    // The watchdog is ending the program.
    for (;;) ::pause();
}

int CancelSignal() {
    return g_cancelSignal.load(std::memory_order_relaxed);
}

}  // namespace vantor::cli
