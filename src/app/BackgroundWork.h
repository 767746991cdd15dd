#pragma once
// Long engine work (the list writers, the data-file utilities, MAME's listing) runs on a worker
// thread while the windows stay responsive. The engine reports messages and progress through a
// UserInterface; WorkerUserInterface carries them to the windows' thread: a message waits there
// until it is closed, progress is coalesced (the merge reports some forty thousand
// texts; the window shows the latest one whenever it gets to repaint).
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "gamedata/UserInterface.h"

class QWidget;

namespace vantor::app {

class WorkerUserInterface : public UserInterface {
  public:
    // `target` answers on the thread that makes this object.
    explicit WorkerUserInterface(UserInterface& target);
    ~WorkerUserInterface() override;

    void ShowMessage(MessageIcon icon, const std::string& text) override;
    void ProgressShow(const std::string& firstLine, const std::string& secondLine) override;
    void ProgressSetTexts(const std::string& firstLine, const std::string& secondLine) override;
    void ProgressUpdate(std::int64_t done, std::int64_t total) override;
    void ProgressClose() override;

    // Brings the target's progress window up to date (on the target's thread).
    void Flush();
    // Progress reports received and progress states handed to the target so far.
    std::int64_t Reports() const;
    std::int64_t Applied() const { return applied_; }

  private:
    struct ProgressState {
        bool open = false;
        std::uint64_t shows = 0;  // ProgressShow calls so far: each one resets the bar
        std::string firstLine, secondLine;
        std::int64_t done = 0, total = 0;
    };

    // Runs `call` on the target's thread and waits for it.
    void CallOnTarget(const std::function<void()>& call);
    // Records a change of the progress state; the target hears of it once it gets to it.
    void ChangeProgress(const std::function<void(ProgressState&)>& change);

    UserInterface& target_;
    std::unique_ptr<QObject> context_;  // lives on the target's thread; posted calls die with it
    mutable std::mutex mutex_;
    ProgressState reported_;  // guarded by mutex_
    bool flushPosted_ = false;
    std::int64_t reports_ = 0;
    ProgressState shown_;  // target's thread only
    std::int64_t applied_ = 0;
};

// Runs `work` on a worker thread and returns when it has ended; meanwhile the event loop runs, so
// the windows repaint and the progress window moves. Questions and messages appear over `owner`.
// A EngineError or other exception thrown by the work is shown as a message.
void RunInBackground(QWidget* owner, const std::function<void(UserInterface& ui)>& work);

}  // namespace vantor::app
