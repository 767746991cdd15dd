// The one way windows run work on a worker: the result reaches the window that asked (and only
// while it lives and still wants it), progress comes coalesced, and a cancel request stops the job
// wherever it is. Also the progress window's figures and its Cancel button.
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <optional>
#include <stdexcept>

#include "AppTestSupport.h"
#include "app/BackgroundWork.h"
#include "app/ProgressDialog.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

// A job that reports `steps` times and stops when asked; returns the steps it made.
int Steps(JobControl& control, int steps) {
    for (int i = 1; i <= steps; ++i) {
        if (control.CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        control.Progress(i, steps);
    }
    return steps;
}

// Releases a job that waits for it.
struct Gate {
    std::atomic<bool> open{false};
    void Wait() const {
        while (!open.load()) QThread::msleep(1);
    }
};

}  // namespace

class BackgroundWorkTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() { SetJobTestHooks({}); }
    void resultAndProgressReachTheWindow();
    void goneWindowsAndReplacedJobsHearNothing();
    void cancelStopsTheJobAtEveryPoint();
    void progressWindowShowsFiguresAndCancels();
};

void BackgroundWorkTest::resultAndProgressReachTheWindow() {
    QWidget window;
    std::optional<JobOutcome<int>> outcome;
    std::atomic<Qt::HANDLE> jobThread{nullptr};
    std::vector<std::pair<std::int64_t, std::int64_t>> shown;
    JobHandle job = RunThenDeliver(
        &window,
        [&jobThread](JobControl& control) {
            jobThread = QThread::currentThreadId();
            return Steps(control, 200000);
        },
        [&](JobOutcome<int> result) {
            QVERIFY(QThread::currentThreadId() != jobThread.load());
            outcome = std::move(result);
        },
        [&](std::int64_t done, std::int64_t total) { shown.emplace_back(done, total); });
    QVERIFY(job.Running());
    QVERIFY(WaitFor([&] { return outcome.has_value(); }));
    QVERIFY(!job.Running());
    QCOMPARE(*outcome->result, 200000);
    QVERIFY(!outcome->error);
    // Coalesced, and the last report is shown before the result comes.
    QVERIFY(!shown.empty() && shown.size() < 100);
    QCOMPARE(shown.back(), (std::pair<std::int64_t, std::int64_t>{200000, 200000}));

    // What a job throws comes back as the error, an engine error with its kind.
    std::vector<std::string> errors;
    auto collect = [&](JobOutcome<int> result) {
        QVERIFY(!result.result && !result.Cancelled());
        errors.push_back(result.error->Text());
    };
    JobHandle failing = RunThenDeliver(
        &window, [](JobControl&) -> int { throw EngineError(kMissingQuoteError, ErrorKind::Expression); },
        collect);
    JobHandle crashing = RunThenDeliver(
        &window, [](JobControl&) -> int { throw std::runtime_error("disk on fire"); }, collect);
    QVERIFY(WaitFor([&] { return errors.size() == 2; }));
    QCOMPARE(errors[0] == kMissingQuoteError ? errors[1] : errors[0], std::string("disk on fire"));
}

void BackgroundWorkTest::goneWindowsAndReplacedJobsHearNothing() {
    // A window deleted while its job runs: the job is asked to stop and nothing is delivered.
    Gate gate;
    std::atomic<bool> began{false}, sawCancel{false};
    int delivered = 0;
    auto window = std::make_unique<QWidget>();
    JobHandle job = RunThenDeliver(
        window.get(),
        [&](JobControl& control) {
            began = true;
            gate.Wait();
            sawCancel = control.CancelRequested();
            return 1;
        },
        [&](JobOutcome<int>) { ++delivered; });
    QVERIFY(WaitFor([&] { return began.load(); }));
    window.reset();
    QVERIFY(!job.Running());
    gate.open = true;
    job.WaitForWorker();
    QTest::qWait(3 * kProgressPollMs);
    QCOMPARE(delivered, 0);
    QVERIFY(sawCancel.load());

    // A newer job in the same handle: only its result comes, whichever ends first.
    QWidget owner;
    Gate first;
    std::vector<int> results;
    auto keep = [&](JobOutcome<int> outcome) { results.push_back(outcome.result.value_or(-1)); };
    JobHandle latest = RunThenDeliver(
        &owner,
        [&first](JobControl&) {
            first.Wait();
            return 1;
        },
        keep);
    latest = RunThenDeliver(
        &owner, [](JobControl&) { return 2; }, keep);
    QVERIFY(WaitFor([&] { return !results.empty(); }));
    first.open = true;
    QTest::qWait(3 * kProgressPollMs);
    QCOMPARE(results, std::vector<int>{2});
}

void BackgroundWorkTest::cancelStopsTheJobAtEveryPoint() {
    enum Point { Start, Middle, End };
    for (Point point : {Start, Middle, End}) {
        std::atomic<std::int64_t> lastReport{0};
        JobTestHooks hooks;
        if (point == Start) hooks.started = [](JobControl& control) { control.RequestCancel(); };
        hooks.reported = [&, point](JobControl& control, std::int64_t done, std::int64_t total) {
            lastReport = done;
            if ((point == Middle && done == 1) || (point == End && done == total)) control.RequestCancel();
        };
        SetJobTestHooks(hooks);
        QWidget window;
        std::optional<JobOutcome<int>> outcome;
        JobHandle job = RunThenDeliver(
            &window, [](JobControl& control) { return Steps(control, 1000); },
            [&](JobOutcome<int> result) { outcome = std::move(result); });
        QVERIFY(WaitFor([&] { return outcome.has_value(); }));
        // Cancelled wherever it was: a job that had ended gives no result either.
        QVERIFY2(outcome->Cancelled() && !outcome->result, qPrintable(QString::number(point)));
        QCOMPARE(outcome->error->Text(), std::string(kCancelled));
        QCOMPARE(lastReport.load(), std::int64_t{point == Start ? 0 : point == Middle ? 1 : 1000});
    }
}

void BackgroundWorkTest::progressWindowShowsFiguresAndCancels() {
    const struct {
        std::int64_t done, total;
        ProgressUnit unit;
        std::int64_t elapsedMs;
        const char* figures;
    } cases[] = {
        {0, 0, ProgressUnit::Bytes, 0, ""},                                              // nothing known yet
        {104857600, 283115520, ProgressUnit::Bytes, 500, "104.9 MB of 283.1 MB (37%)"},  // too early to say
        {104857600, 283115520, ProgressUnit::Bytes, 7000, "104.9 MB of 283.1 MB (37%), about 12 s left"},
        {999, 1000000, ProgressUnit::Bytes, 2000, "999 bytes of 1.0 MB (0%), about 33 min left"},
        {45000, 45000, ProgressUnit::Games, 9000, "45000 of 45000 games (100%)"},
        {50, 100, ProgressUnit::None, 60000, "50%, about 1 min left"},
        {150, 100, ProgressUnit::None, 1000, "100%"},
        {-5, 100, ProgressUnit::None, 1000, "0%"},
    };
    for (const auto& c : cases)
        QCOMPARE(ProgressFigures(c.done, c.total, c.unit, c.elapsedMs), QString::fromUtf8(c.figures));

    // Without a way to stop there is no button, and closing does nothing.
    QWidget owner;
    ProgressDialog plain(&owner);
    int cancels = 0;
    connect(&plain, &ProgressDialog::CancelRequested, [&] { ++cancels; });
    plain.Show(true, 1000, QStringLiteral("Working..."), QString());
    QVERIFY(!Child<QPushButton>(&plain, "id1")->isVisible());
    plain.close();
    QTest::keyClick(&plain, Qt::Key_Escape);
    QVERIFY(plain.isVisible());
    QCOMPARE(cancels, 0);

    // Cancel, Escape and the close box ask once; the window stays until the work is gone.
    for (int way = 0; way < 3; ++way) {
        ProgressDialog progress(&owner);
        progress.SetCancellable(true);
        progress.SetUnit(ProgressUnit::Bytes);
        progress.Show(true, 1000, QStringLiteral("Scanning..."), QString());
        progress.SetProgress(3500, 7000);
        QCOMPARE(progress.Position(), 500);
        QCOMPARE(Child<QLabel>(&progress, "progressFigures")->text(),
                 QStringLiteral("3.5 kB of 7.0 kB (50%)"));
        auto* button = Child<QPushButton>(&progress, "id1");
        QVERIFY(button->isVisible() && button->isEnabled());
        cancels = 0;
        connect(&progress, &ProgressDialog::CancelRequested, [&] { ++cancels; });
        for (int again = 0; again < 2; ++again) {
            if (way == 0) button->click();
            if (way == 1) QTest::keyClick(&progress, Qt::Key_Escape);
            if (way == 2) progress.close();
        }
        QCOMPARE(cancels, 1);
        QVERIFY(progress.CancelPending() && !button->isEnabled() && progress.isVisible());
    }
}

QTEST_MAIN(BackgroundWorkTest)
#include "BackgroundWorkTest.moc"
