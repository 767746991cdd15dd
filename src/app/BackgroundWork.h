#pragma once
// Long work runs on worker threads while the windows stay responsive.
//
// RunThenDeliver is the one way a window starts such work: the job runs on a worker, its result
// comes back to a callback on the window's thread (or not at all when the window or the job's
// handle went first), its progress (figures and texts) reaches the window coalesced, and the
// window may ask it to stop through the progress sink the job reports to. The job never touches
// the window: what it makes comes back as its result.
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

#include "gamedata/EngineError.h"
#include "gamedata/Outcome.h"
#include "gamedata/ProgressSink.h"

namespace vantor::app {

// What a job has reported so far: its figures ({0, 0} before the first) and the two lines of text
// over the bar, with the number of text reports (the merge makes one per game).
struct JobReport {
    std::int64_t done = 0, total = 0;
    std::string firstLine, secondLine;
    std::uint64_t textReports = 0;
    bool finalStep = false;  // the job is putting its output in place: too late to cancel
};

// The progress of one job and the window's wish to stop it: the job reports from its thread, the
// window reads and cancels from its own.
class JobControl final : public ProgressSink {
  public:
    void Progress(std::int64_t done, std::int64_t total) override;
    void Texts(const std::string& firstLine, const std::string& secondLine) override;
    bool CancelRequested() const override { return state_.load() == State::CancelRequested; }
    // Exactly one of a cancel request and the final step wins: a job in its final step goes on.
    bool BeginFinalStep() override;
    // False when the request comes too late: the job has begun its final step.
    bool RequestCancel();
    bool FinalStepBegun() const { return state_.load() == State::FinalStep; }
    JobReport Latest() const;

  private:
    enum class State { Working, CancelRequested, FinalStep };
    mutable std::mutex mutex_;
    JobReport report_;
    std::atomic<State> state_{State::Working};
};

// What a job's window is handed: the outcome the job answered, or its value made an outcome;
// an error it threw becomes a failure (its text with its place in a search text) or, when it
// was asked to stop, Cancelled (also when that came after its last step but before the window
// got the result).
namespace detail {
template <typename Result>
struct DeliveredOutcome {
    using Type = Outcome<Result>;
};
template <typename Value>
struct DeliveredOutcome<Outcome<Value>> {
    using Type = Outcome<Value>;
};
}  // namespace detail

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
    // Asks the job to stop; its outcome still comes, as cancelled. False when the job has begun
    // its final step (putting a file in place) and goes on to the end.
    bool Cancel();
    bool FinalStepBegun() const { return control_ && control_->FinalStepBegun(); }
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
// when the job has ended: the figures when they changed, the texts when new ones came.
using ProgressCallback = std::function<void(std::int64_t done, std::int64_t total)>;
using TextsCallback = std::function<void(const std::string& firstLine, const std::string& secondLine)>;
inline constexpr int kProgressPollMs = 50;

namespace detail {
// Runs `body`; a thrown exception becomes `error`. A job asked to stop before it began does not begin.
void RunJobBody(JobControl& control, const std::function<void()>& body, std::optional<EngineError>& error);
JobHandle StartJob(QObject* context, std::shared_ptr<JobControl> control, std::function<void()> work,
                   std::function<void()> deliver, ProgressCallback progress, TextsCallback texts);

// `lateCancelDropsResult`: a result that comes after the window asked the job to stop is
// delivered as cancelled.
template <typename Job, typename Deliver>
JobHandle RunJob(bool lateCancelDropsResult, QObject* context, Job job, Deliver deliver,
                 ProgressCallback progress, TextsCallback texts) {
    using Result = std::invoke_result_t<Job&, JobControl&>;
    static_assert(!std::is_void_v<Result>, "a job returns what it made");
    using Delivered = typename DeliveredOutcome<Result>::Type;
    auto control = std::make_shared<JobControl>();
    auto outcome = std::make_shared<Delivered>();
    auto work = [job = std::move(job), control, outcome]() mutable {
        std::optional<EngineError> error;
        detail::RunJobBody(
            *control,
            [&] {
                if constexpr (std::is_same_v<Result, Delivered>) {
                    *outcome = job(*control);
                } else {
                    *outcome = Delivered::Made(job(*control));
                }
            },
            error);
        if (error) *outcome = Delivered::From(*error);
    };
    auto done = [lateCancelDropsResult, deliver = std::move(deliver), control, outcome]() mutable {
        if (lateCancelDropsResult && control->CancelRequested() && !outcome->Cancelled())
            *outcome = Delivered::CancelledOutcome();
        deliver(std::move(*outcome));
    };
    return StartJob(context, std::move(control), std::move(work), std::move(done), std::move(progress),
                    std::move(texts));
}
}  // namespace detail

// Runs `job(JobControl&)` on a worker thread and hands its outcome to `deliver` on the thread
// of `context` (a window), unless the context has been deleted or the handle dropped by then.
// The job must own what it reads, or its window must WaitForWorker before that goes.
template <typename Job, typename Deliver>
[[nodiscard]] JobHandle RunThenDeliver(QObject* context, Job job, Deliver deliver,
                                       ProgressCallback progress = {}, TextsCallback texts = {}) {
    return detail::RunJob(true, context, std::move(job), std::move(deliver), std::move(progress),
                          std::move(texts));
}

// The same for a job that writes files and says in its result how it ended, Cancelled included.
// A Cancel that comes after its last look at CancelRequested is too late to keep the file from
// being written, so the result is delivered as the job made it: the window tells what was done.
template <typename Job, typename Deliver>
[[nodiscard]] JobHandle RunWriteThenDeliver(QObject* context, Job job, Deliver deliver,
                                            ProgressCallback progress = {}, TextsCallback texts = {}) {
    return detail::RunJob(false, context, std::move(job), std::move(deliver), std::move(progress),
                          std::move(texts));
}

// Tests only: `started` runs on the job's thread before each job, `reported` after each progress
// report, `textsReported` after each report of texts and `finalStepBegun` when the final step begins, so a
// test can cancel a job at a point of its choosing. A job uses the hooks set at the time of each call.
struct JobTestHooks {
    std::function<void(JobControl&)> started;
    std::function<void(JobControl&, std::int64_t done, std::int64_t total)> reported;
    std::function<void(JobControl&, const std::string& firstLine, const std::string& secondLine)>
        textsReported;
    // After a job has begun its final step (Cancel is too late from here on).
    std::function<void(JobControl&)> finalStepBegun = {};
};
void SetJobTestHooks(JobTestHooks hooks);

}  // namespace vantor::app
