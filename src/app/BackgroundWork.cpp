#include "BackgroundWork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QPromise>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <exception>
#include <new>

#include "QtUserInterface.h"

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

// The workers of RunThenDeliver. A pool of its own: a scan, two list fills and a details view may
// run at once whatever the number of processors, and the application waits for them when it ends.
QThreadPool* JobPool() {
    static QPointer<QThreadPool> pool;
    if (pool.isNull()) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
    }
    return pool;
}

// Lives on the window's thread as the window's child, so that it dies with the window; receives
// the end of the job and polls its progress.
class JobWatcher : public QObject {
  public:
    JobWatcher(QObject* context, std::shared_ptr<JobControl> control, std::function<void()> deliver,
               ProgressCallback progress)
        : QObject(context),
          control_(std::move(control)),
          deliver_(std::move(deliver)),
          progress_(std::move(progress)) {
        connect(&watcher_, &QFutureWatcher<void>::finished, this, &JobWatcher::OnFinished);
        connect(&timer_, &QTimer::timeout, this, &JobWatcher::ShowProgress);
        timer_.setInterval(kProgressPollMs);
    }
    ~JobWatcher() override {
        if (!finished_) control_->RequestCancel();
    }

    void Watch(const QFuture<void>& future) {
        watcher_.setFuture(future);
        if (progress_) timer_.start();
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
        const auto latest = control_->Latest();
        if (latest == shown_) return;
        shown_ = latest;
        progress_(latest.first, latest.second);
    }
    void OnFinished() {
        if (dropped_ || finished_) return;
        finished_ = true;
        timer_.stop();
        if (progress_) ShowProgress();
        // The callback may start the next job, or even close the window: nothing of this object
        // is touched after it.
        std::function<void()> deliver = std::move(deliver_);
        deleteLater();
        deliver();
    }

    std::shared_ptr<JobControl> control_;
    std::function<void()> deliver_;
    ProgressCallback progress_;
    QFutureWatcher<void> watcher_;
    QTimer timer_;
    std::pair<std::int64_t, std::int64_t> shown_{0, 0};
    bool finished_ = false;
    bool dropped_ = false;
};

}  // namespace

void SetJobTestHooks(JobTestHooks hooks) {
    auto set =
        hooks.started || hooks.reported ? std::make_shared<const JobTestHooks>(std::move(hooks)) : nullptr;
    std::lock_guard lock(TestHooksMutex());
    TestHooksSet() = std::move(set);
}

void JobControl::Progress(std::int64_t done, std::int64_t total) {
    {
        std::lock_guard lock(mutex_);
        done_ = done;
        total_ = total;
    }
    if (const auto hooks = TestHooks(); hooks && hooks->reported) hooks->reported(*this, done, total);
}

std::pair<std::int64_t, std::int64_t> JobControl::Latest() const {
    std::lock_guard lock(mutex_);
    return {done_, total_};
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

void JobHandle::Cancel() {
    if (control_) control_->RequestCancel();
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
                   std::function<void()> deliver, ProgressCallback progress) {
    auto promise = std::make_shared<QPromise<void>>();
    QFuture<void> future = promise->future();
    promise->start();
    auto* watcher = new JobWatcher(context, control, std::move(deliver), std::move(progress));
    watcher->Watch(future);
    JobPool()->start([promise, work = std::move(work)] {
        work();
        promise->finish();
    });
    return JobHandle(watcher, std::move(control), std::move(future));
}

}  // namespace detail

WorkerUserInterface::WorkerUserInterface(UserInterface& target) : target_(target), context_(new QObject) {}

WorkerUserInterface::~WorkerUserInterface() = default;

void WorkerUserInterface::CallOnTarget(const std::function<void()>& call) {
    auto run = [this, &call] {
        Flush();  // the progress window first shows what was reported before the question
        call();
    };
    if (QThread::currentThread() == context_->thread()) {
        run();
    } else {
        QMetaObject::invokeMethod(context_.get(), run, Qt::BlockingQueuedConnection);
    }
}

void WorkerUserInterface::ChangeProgress(const std::function<void(ProgressState&)>& change) {
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        change(reported_);
        ++reports_;
        post = !flushPosted_;
        flushPosted_ = true;
    }
    if (post)
        QMetaObject::invokeMethod(
            context_.get(), [this] { Flush(); }, Qt::QueuedConnection);
}

void WorkerUserInterface::Flush() {
    ProgressState state;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state = reported_;
        flushPosted_ = false;
    }
    if (state.open && state.shows != shown_.shows) {
        target_.ProgressShow(state.firstLine, state.secondLine);
        if (state.total > 0) target_.ProgressUpdate(state.done, state.total);
    } else if (!state.open && shown_.open) {
        target_.ProgressClose();
    } else if (state.open) {
        if (state.firstLine != shown_.firstLine || state.secondLine != shown_.secondLine)
            target_.ProgressSetTexts(state.firstLine, state.secondLine);
        if (state.done != shown_.done || state.total != shown_.total)
            target_.ProgressUpdate(state.done, state.total);
    }
    if (state.shows != shown_.shows || state.open != shown_.open || state.firstLine != shown_.firstLine ||
        state.secondLine != shown_.secondLine || state.done != shown_.done || state.total != shown_.total) {
        ++applied_;
    }
    shown_ = std::move(state);
}

std::int64_t WorkerUserInterface::Reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

void WorkerUserInterface::ShowMessage(MessageIcon icon, const std::string& text) {
    CallOnTarget([&] { target_.ShowMessage(icon, text); });
}

void WorkerUserInterface::ProgressShow(const std::string& firstLine, const std::string& secondLine) {
    ChangeProgress([&](ProgressState& state) {
        state.open = true;
        ++state.shows;
        state.firstLine = firstLine;
        state.secondLine = secondLine;
        state.done = state.total = 0;
    });
}

void WorkerUserInterface::ProgressSetTexts(const std::string& firstLine, const std::string& secondLine) {
    ChangeProgress([&](ProgressState& state) {
        state.firstLine = firstLine;
        state.secondLine = secondLine;
    });
}

void WorkerUserInterface::ProgressUpdate(std::int64_t done, std::int64_t total) {
    ChangeProgress([&](ProgressState& state) {
        state.done = done;
        state.total = total;
    });
}

void WorkerUserInterface::ProgressClose() {
    ChangeProgress([](ProgressState& state) { state.open = false; });
}

void RunInBackground(QWidget* owner, const std::function<void(UserInterface& ui)>& work) {
    QtUserInterface target(owner);
    WorkerUserInterface ui(target);
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::unique_ptr<QThread> thread(QThread::create([&ui, &work, &done] {
        try {
            work(ui);
        } catch (const EngineError& error) {
            ui.ShowMessage(error.Icon(), error.Text());
        } catch (const std::exception& error) {
            ui.ShowMessage(MessageIcon::Exclamation, error.what());
        }
        ui.ProgressClose();  // whatever the work left open
        done = true;
    }));
    thread->setObjectName(QStringLiteral("engine work"));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    // The loop also ends when the application is told to quit; the work must end first.
    while (!done) loop.exec();
    thread->wait();
    ui.Flush();
}

}  // namespace vantor::app
