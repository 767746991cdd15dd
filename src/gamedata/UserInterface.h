#pragma once
// What the engine reports to its user while it works: messages and a progress window. The
// desktop program answers with dialogs, vantor-cli on standard error, tests by recording.
// Questions (which file, which folder) are asked by the caller before the engine runs.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "EngineError.h"

namespace vantor {

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    virtual void ShowMessage(MessageIcon icon, const std::string& text) = 0;

    // The progress window: two text lines and a bar of real progress (`done` of `total`).
    virtual void ProgressShow(const std::string& firstLine, const std::string& secondLine) = 0;
    virtual void ProgressSetTexts(const std::string& firstLine, const std::string& secondLine) = 0;
    virtual void ProgressUpdate(std::int64_t done, std::int64_t total) = 0;
    virtual void ProgressClose() = 0;
};

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

// A job's progress in the interface's progress window, which opens with the first report and
// closes with this object. `cancel`, when given, is the flag a Cancel button or Ctrl-C sets.
class ProgressWindowSink : public ProgressSink {
  public:
    // `cancelRequested`, when given, is asked whether the user wants the job to stop.
    explicit ProgressWindowSink(UserInterface& ui, std::function<bool()> cancelRequested = {})
        : ui_(ui), cancel_(std::move(cancelRequested)) {}
    ~ProgressWindowSink() override { Close(); }
    ProgressWindowSink(const ProgressWindowSink&) = delete;
    ProgressWindowSink& operator=(const ProgressWindowSink&) = delete;

    void Texts(const std::string& firstLine, const std::string& secondLine) override {
        if (open_) {
            ui_.ProgressSetTexts(firstLine, secondLine);
        } else {
            ui_.ProgressShow(firstLine, secondLine);
            open_ = true;
        }
    }
    void Progress(std::int64_t done, std::int64_t total) override {
        if (!open_) Texts("", "");
        ui_.ProgressUpdate(done, total);
    }
    bool CancelRequested() const override { return cancel_ && cancel_(); }
    // The window goes before the job's messages are shown.
    void Close() {
        if (open_) ui_.ProgressClose();
        open_ = false;
    }

  private:
    UserInterface& ui_;
    std::function<bool()> cancel_;
    bool open_ = false;
};

}  // namespace vantor
