#pragma once
// How a long engine job reports its progress and hears that it should stop. The engine never
// shows anything itself: the window draws a progress dialog from these reports, vantor-cli a
// progress line, tests record them.
#include <cstdint>
#include <string>

namespace vantor {

// What the amounts of a job's progress count, for the figures the window and the command line
// show beside the bar; Unnamed shows the percentage and the time left only.
enum class ProgressUnit { Unnamed, Bytes, Games };

// Reports progress of a long job and carries the user's wish to stop it. The scans call it a
// few times a second, from the thread that started them; a job that sees CancelRequested()
// stops within a fraction of a second: the scans throw EngineError of kind Cancelled, the
// data-file utilities answer an outcome of kind Cancelled.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void Progress(std::int64_t done, std::int64_t total) = 0;
    // The two lines over the bar: what the job is at. The scans have none.
    virtual void Texts(const std::string& firstLine, const std::string& secondLine) {
        (void)firstLine;
        (void)secondLine;
    }
    virtual bool CancelRequested() const { return false; }
    // A job that writes calls this just before it puts its output in place: true when it may go
    // on, after which a wish to stop comes too late (a sink that can refuse it does); false when
    // the job was asked to stop first, and then it stops with every earlier file as it was.
    virtual bool BeginFinalStep() { return !CancelRequested(); }
};

}  // namespace vantor
