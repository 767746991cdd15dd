#pragma once
// Long work runs on worker threads while the windows stay responsive.
//
// RunThenDeliver is the one way a window starts such work: the job runs on a worker, its result
// comes back to a callback on the window's thread (or not at all when the window or the job's
// handle went first), its progress reaches the window coalesced, and the window may ask it to
// stop through the progress sink the job reports to.
//
// The list writers and the data-file utilities still run through RunInBackground: the engine
// reports messages and progress through a UserInterface, which WorkerUserInterface carries to the
// windows' thread (a message waits there until it is closed; progress is coalesced, the merge
// reports some forty thousand texts).
#include <QFuture>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "gamedata/UserInterface.h"

class QWidget;

namespace vantor::app {

// The progress of one job and the window's wish to stop it: the job reports from its thread, the
// window reads and cancels from its own.
class JobControl final : public ProgressSink {
  public:
    void Progress(std::int64_t done, std::int64_t total) override;
    bool CancelRequested() const override { return cancel_.load(std::memory_order_relaxed); }
    void RequestCancel() { cancel_.store(true, std::memory_order_relaxed); }
    // The latest report as {done, total}; {0, 0} before the first.
    std::pair<std::int64_t, std::int64_t> Latest() const;

  private:
    mutable std::mutex mutex_;
    std::int64_t done_ = 0, total_ = 0;
    std::atomic<bool> cancel_{false};
};

// How a job ended: its result, or the error it threw (kind Cancelled when it was asked to stop,
// also when that came after its last step but before the window got the result).
template <typename Result>
struct JobOutcome {
    std::optional<Result> result;
    std::optional<EngineError> error;
    bool Cancelled() const { return error && error->Kind() == ErrorKind::Cancelled; }
};

// A started job, held by the window that waits for it. Replacing or destroying the handle drops
// the job: it is asked to stop and its result is never delivered, so a window only ever hears of
// the job it started last.
class JobHandle {
  public:
    JobHandle() = default;
    JobHandle(QObject* watcher, std::shared_ptr<JobControl> control, QFuture<void> future);
    JobHandle(JobHandle&& other) noexcept;
    JobHandle& operator=(JobHandle&& other) noexcept;
    JobHandle(const JobHandle&) = delete;
    JobHandle& operator=(const JobHandle&) = delete;
    ~JobHandle();

    // Started and not yet delivered (nor dropped).
    bool Running() const;
    // Asks the job to stop; its outcome still comes, as cancelled.
    void Cancel();
    // Asks the job to stop and forgets it: nothing is delivered.
    void Drop();
    // Blocks until the worker has left the job, for a window that goes while its job reads what
    // the window owns. Call Drop or Cancel first: a cancelled job ends within a fraction of a second.
    void WaitForWorker();

  private:
    QPointer<QObject> watcher_;
    std::shared_ptr<JobControl> control_;
    QFuture<void> future_;
};

// The progress a window shows, on its own thread, at most every kProgressPollMs and once more
// when the job has ended.
using ProgressCallback = std::function<void(std::int64_t done, std::int64_t total)>;
inline constexpr int kProgressPollMs = 50;

namespace detail {
// Runs `body`; a thrown exception becomes `error`. A job asked to stop before it began does not begin.
void RunJobBody(JobControl& control, const std::function<void()>& body, std::optional<EngineError>& error);
JobHandle StartJob(QObject* context, std::shared_ptr<JobControl> control, std::function<void()> work,
                   std::function<void()> deliver, ProgressCallback progress);
}  // namespace detail

// Runs `job(JobControl&)` on a worker thread and hands its JobOutcome to `deliver` on the thread
// of `context` (a window), unless the context has been deleted or the handle dropped by then.
// The job must own what it reads, or its window must WaitForWorker before that goes.
template <typename Job, typename Deliver>
[[nodiscard]] JobHandle RunThenDeliver(QObject* context, Job job, Deliver deliver,
                                       ProgressCallback progress = {}) {
    using Result = std::invoke_result_t<Job&, JobControl&>;
    static_assert(!std::is_void_v<Result>, "a job returns what it made");
    auto control = std::make_shared<JobControl>();
    auto outcome = std::make_shared<JobOutcome<Result>>();
    auto work = [job = std::move(job), control, outcome]() mutable {
        detail::RunJobBody(
            *control, [&] { outcome->result.emplace(job(*control)); }, outcome->error);
    };
    auto done = [deliver = std::move(deliver), control, outcome]() mutable {
        if (control->CancelRequested() && !outcome->Cancelled()) {
            outcome->result.reset();
            outcome->error.emplace(kCancelled, ErrorKind::Cancelled);
        }
        deliver(std::move(*outcome));
    };
    return detail::StartJob(context, std::move(control), std::move(work), std::move(done),
                            std::move(progress));
}

// Tests only: `started` runs on the job's thread before each job, `reported` after each progress
// report, so a test can cancel a job at a point of its choosing. A job uses the hooks set at the
// time of each call.
struct JobTestHooks {
    std::function<void(JobControl&)> started;
    std::function<void(JobControl&, std::int64_t done, std::int64_t total)> reported;
};
void SetJobTestHooks(JobTestHooks hooks);

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
