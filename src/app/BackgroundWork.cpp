#include "BackgroundWork.h"

#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <exception>

#include "QtUserInterface.h"

namespace vantor::app {

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
