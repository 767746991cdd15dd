#include "BackgroundWork.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QPromise>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <new>

namespace vantor::app {

namespace {

// Read on the workers while a test may set them anew: each job takes the set current then.
std::mutex& TestHooksMutex() {
    static std::mutex mutex;
    return mutex;
}
std::shared_ptr<const JobTestHooks>& TestHooksSet() {
    static std::shared_ptr<const JobTestHooks> hooks;
    return hooks;
}
std::shared_ptr<const JobTestHooks> TestHooks() {
    std::lock_guard lock(TestHooksMutex());
    return TestHooksSet();
}

// The workers of RunThenDeliver. A pool of its own: a scan, two list fills, a details view, a
// list being saved and a preview being saved may run at once whatever the number of processors,
// and the application waits for them when it ends.
QThreadPool* JobPool() {
    static QPointer<QThreadPool> pool;
    if (pool.isNull()) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(std::max(6, QThread::idealThreadCount()));
    }
    return pool;
}

// Lives on the window's thread as the window's child, so that it dies with the window; receives
// the end of the job and polls its progress.
class JobWatcher : public QObject {
  public:
    JobWatcher(QObject* context, std::shared_ptr<JobControl> control, std::function<void()> deliver,
               ProgressCallback progress, TextsCallback texts)
        : QObject(context),
          control_(std::move(control)),
          deliver_(std::move(deliver)),
          progress_(std::move(progress)),
          texts_(std::move(texts)) {
        connect(&watcher_, &QFutureWatcher<void>::finished, this, &JobWatcher::OnFinished);
        connect(&timer_, &QTimer::timeout, this, &JobWatcher::ShowProgress);
        timer_.setInterval(kProgressPollMs);
    }
    ~JobWatcher() override {
        if (!finished_) control_->RequestCancel();
    }

    void Watch(const QFuture<void>& future) {
        watcher_.setFuture(future);
        if (progress_ || texts_) timer_.start();
    }
    bool Pending() const { return !finished_ && !dropped_; }
    void Drop() {
        if (dropped_) return;
        dropped_ = true;
        control_->RequestCancel();
        timer_.stop();
        deleteLater();
    }

  private:
    void ShowProgress() {
        JobReport latest = control_->Latest();
        // The final step counts as new figures: the window disables its Cancel then.
        const bool figures = latest.done != shown_.done || latest.total != shown_.total ||
                             latest.finalStep != shown_.finalStep;
        const bool texts = latest.textReports != shown_.textReports;
        shown_ = std::move(latest);
        if (figures && progress_) progress_(shown_.done, shown_.total);
        if (texts && texts_) texts_(shown_.firstLine, shown_.secondLine);
    }
    void OnFinished() {
        if (dropped_ || finished_) return;
        finished_ = true;
        timer_.stop();
        ShowProgress();
        // The callback may start the next job, or even close the window: nothing of this object
        // is touched after it.
        std::function<void()> deliver = std::move(deliver_);
        deleteLater();
        deliver();
    }

    std::shared_ptr<JobControl> control_;
    std::function<void()> deliver_;
    ProgressCallback progress_;
    TextsCallback texts_;
    QFutureWatcher<void> watcher_;
    QTimer timer_;
    JobReport shown_;
    bool finished_ = false;
    bool dropped_ = false;
};

}  // namespace

void SetJobTestHooks(JobTestHooks hooks) {
    auto set = hooks.started || hooks.reported || hooks.textsReported || hooks.finalStepBegun
                   ? std::make_shared<const JobTestHooks>(std::move(hooks))
                   : nullptr;
    std::lock_guard lock(TestHooksMutex());
    TestHooksSet() = std::move(set);
}

void JobControl::Progress(std::int64_t done, std::int64_t total) {
    {
        std::lock_guard lock(mutex_);
        report_.done = done;
        report_.total = total;
    }
    if (const auto hooks = TestHooks(); hooks && hooks->reported) hooks->reported(*this, done, total);
}

void JobControl::Texts(const std::string& firstLine, const std::string& secondLine) {
    {
        std::lock_guard lock(mutex_);
        report_.firstLine = firstLine;
        report_.secondLine = secondLine;
        ++report_.textReports;
    }
    if (const auto hooks = TestHooks(); hooks && hooks->textsReported)
        hooks->textsReported(*this, firstLine, secondLine);
}

bool JobControl::BeginFinalStep() {
    State expected = State::Working;
    if (!state_.compare_exchange_strong(expected, State::FinalStep) && expected != State::FinalStep)
        return false;
    if (const auto hooks = TestHooks(); hooks && hooks->finalStepBegun) hooks->finalStepBegun(*this);
    return true;
}

bool JobControl::RequestCancel() {
    State expected = State::Working;
    return state_.compare_exchange_strong(expected, State::CancelRequested) ||
           expected == State::CancelRequested;
}

JobReport JobControl::Latest() const {
    std::lock_guard lock(mutex_);
    JobReport latest = report_;
    latest.finalStep = FinalStepBegun();
    return latest;
}

JobHandle::JobHandle(QObject* watcher, std::shared_ptr<JobControl> control, QFuture<void> future)
    : watcher_(watcher), control_(std::move(control)), future_(std::move(future)) {}

JobHandle::JobHandle(JobHandle&& other) noexcept
    : watcher_(std::move(other.watcher_)),
      control_(std::move(other.control_)),
      future_(std::move(other.future_)) {
    other.watcher_.clear();
}

JobHandle& JobHandle::operator=(JobHandle&& other) noexcept {
    if (this != &other) {
        Drop();
        watcher_ = std::move(other.watcher_);
        other.watcher_.clear();
        control_ = std::move(other.control_);
        future_ = std::move(other.future_);
    }
    return *this;
}

JobHandle::~JobHandle() {
    Drop();
}

bool JobHandle::Running() const {
    return !watcher_.isNull() && static_cast<JobWatcher*>(watcher_.data())->Pending();
}

bool JobHandle::Cancel() {
    return !control_ || control_->RequestCancel();
}

void JobHandle::Drop() {
    if (!watcher_.isNull()) static_cast<JobWatcher*>(watcher_.data())->Drop();
    watcher_.clear();
    if (control_) control_->RequestCancel();
}

void JobHandle::WaitForWorker() {
    future_.waitForFinished();
}

namespace detail {

void RunJobBody(JobControl& control, const std::function<void()>& body, std::optional<EngineError>& error) {
    try {
        if (const auto hooks = TestHooks(); hooks && hooks->started) hooks->started(control);
        if (control.CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        body();
    } catch (const EngineError& thrown) {
        error = thrown;
    } catch (const std::bad_alloc&) {
        error = EngineError("Not enough memory for this job.");
    } catch (const std::exception& thrown) {
        error = EngineError(thrown.what());
    }
}

JobHandle StartJob(QObject* context, std::shared_ptr<JobControl> control, std::function<void()> work,
                   std::function<void()> deliver, ProgressCallback progress, TextsCallback texts) {
    auto promise = std::make_shared<QPromise<void>>();
    QFuture<void> future = promise->future();
    promise->start();
    auto* watcher =
        new JobWatcher(context, control, std::move(deliver), std::move(progress), std::move(texts));
    watcher->Watch(future);
    JobPool()->start([promise, work = std::move(work)] {
        work();
        promise->finish();
    });
    return JobHandle(watcher, std::move(control), std::move(future));
}

}  // namespace detail

}  // namespace vantor::app
