#pragma once
// vantor-cli's progress line on standard error, and Ctrl-C or SIGTERM as the request to stop.
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "gamedata/ProgressSink.h"

namespace vantor::cli {

// "LABEL  45% [#######         ] 121/270 MB, 12 s left", fitted to `width` columns (a shorter bar
// first, then a shorter label). An estimate is only worth showing after a second and 1% of the work.
std::string ProgressLineText(std::string_view label, ProgressUnit unit, std::int64_t done, std::int64_t total,
                             double elapsedSeconds, std::size_t width);

// The line itself, redrawn in place at most ten times a second; it draws nothing when disabled
// (standard error is not a terminal, or --no-progress).
class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}

    // New work: its label, and the clock of the estimate starts again.
    void Start(std::string label);
    void SetLabel(std::string label) { label_ = std::move(label); }
    void Update(std::int64_t done, std::int64_t total, ProgressUnit unit,
                Clock::time_point now = Clock::now());
    // Ends a drawn line, so that a message begins on a line of its own; the next update redraws.
    void Break();
    bool Enabled() const { return enabled_; }

  private:
    std::ostream& err_;
    bool enabled_;
    bool drawn_ = false;
    std::string label_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastDrawn_{};
};

class CliUserInterface;

// An engine job's progress on the progress line, labelled with the job's first line of text and
// ended with the object; Ctrl-C or SIGTERM is its cancel request. The amounts are named only where
// the caller knows what the job counts (the scans: bytes).
class CliProgress : public ProgressSink {
  public:
    explicit CliProgress(CliUserInterface& ui, ProgressUnit unit = ProgressUnit::Unnamed)
        : ui_(ui), unit_(unit) {}
    ~CliProgress() override;
    CliProgress(const CliProgress&) = delete;
    CliProgress& operator=(const CliProgress&) = delete;

    void Progress(std::int64_t done, std::int64_t total) override;
    void Texts(const std::string& firstLine, const std::string& secondLine) override;
    bool CancelRequested() const override;
    // A new stage of the command's work: its label, and the estimate's clock starts again.
    void Start(const std::string& label);
    // Ends the drawn line, before the stage's messages.
    void End();

  private:
    CliUserInterface& ui_;
    ProgressUnit unit_;
    bool started_ = false;
};

// SIGINT and SIGTERM ask the running command to stop (the handler sets a flag that the work and
// the file writes poll). A command that has not ended 50 ms later is ended by a watchdog thread,
// and a second signal ends the program at once; both remove the temporary files being written
// first. A command whose files have been put in place ends itself: a signal after that point is
// too late to undo them. Installing clears an earlier request.
void InstallCancelHandlers();
// The signal that asked to stop (SIGINT or SIGTERM), or 0.
int CancelSignal();
// Called by the program's own way out, so that it and the watchdog never both end it (then it
// waits for the watchdog's end).
void ClaimExit();

}  // namespace vantor::cli
