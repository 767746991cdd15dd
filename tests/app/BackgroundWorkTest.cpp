// The one way windows run work on a worker: the result reaches the window that asked (and only
// while it lives and still wants it) and progress comes coalesced; the windows' own tests cancel
// their jobs at every point. Also the progress window's figures and its Cancel button.
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
    void resultAndProgressReachTheWindow();
    void goneWindowsAndReplacedJobsHearNothing();
    void progressWindowShowsFiguresAndCancels();
};

void BackgroundWorkTest::resultAndProgressReachTheWindow() {
    QWidget window;
    std::optional<Outcome<int>> outcome;
    std::atomic<Qt::HANDLE> jobThread{nullptr};
    std::vector<std::pair<std::int64_t, std::int64_t>> shown;
    std::vector<std::string> texts;
    auto keep = [&](Outcome<int> result) {
        QVERIFY(QThread::currentThreadId() != jobThread.load());
        outcome = std::move(result);
    };
    JobHandle job = RunThenDeliver(
        &window,
        [&jobThread](JobControl& control) {
            jobThread = QThread::currentThreadId();
            for (int i = 1; i <= 200000; ++i) {
                control.Progress(i, 200000);
                if (i % 5 == 0) control.Texts("Adding ROM:", "game" + std::to_string(i));
            }
            return 7;
        },
        keep, [&](std::int64_t done, std::int64_t total) { shown.emplace_back(done, total); },
        [&](const std::string& first, const std::string& second) { texts.push_back(first + second); });
    QVERIFY(job.Running());
    QVERIFY(WaitFor([&] { return outcome.has_value(); }));
    QVERIFY(!job.Running());
    QVERIFY(outcome->Done() && outcome->value == 7 && outcome->messages.empty());
    // Coalesced, and the last report is shown before the result comes.
    QVERIFY(!shown.empty() && shown.size() < 100);
    QCOMPARE(shown.back(), (std::pair<std::int64_t, std::int64_t>{200000, 200000}));
    QVERIFY(!texts.empty() && texts.size() < 100);
    QCOMPARE(texts.back(), std::string("Adding ROM:game200000"));

    // A Cancel after the job's last look: a writing job's result still comes (its file is
    // written), any other job's comes as cancelled.
    for (bool writes : {false, true}) {
        outcome.reset();
        Gate gate;
        std::atomic<bool> began{false};
        auto job = [&](JobControl&) {
            jobThread = QThread::currentThreadId();
            began = true;
            gate.Wait();
            return 8;
        };
        JobHandle late =
            writes ? RunWriteThenDeliver(&window, job, keep) : RunThenDeliver(&window, job, keep);
        QVERIFY(WaitFor([&] { return began.load(); }));
        late.Cancel();
        gate.open = true;
        QVERIFY(WaitFor([&] { return outcome.has_value(); }));
        QCOMPARE(outcome->Cancelled(), !writes);
        QCOMPARE(outcome->Done(), writes);
    }

    // Whatever a job throws comes back as the error.
    outcome.reset();
    job = RunThenDeliver(
        &window,
        [&jobThread](JobControl&) -> int {
            jobThread = QThread::currentThreadId();
            throw std::runtime_error("disk on fire");
        },
        keep);
    QVERIFY(WaitFor([&] { return outcome.has_value(); }));
    QVERIFY(outcome->Failed());
    QCOMPARE(outcome->messages.at(0).text, std::string("disk on fire"));
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
        [&](Outcome<int>) { ++delivered; });
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
    auto keep = [&](Outcome<int> outcome) { results.push_back(outcome.Done() ? outcome.value : -1); };
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

void BackgroundWorkTest::progressWindowShowsFiguresAndCancels() {
    const struct {
        std::int64_t done, total;
        ProgressUnit unit;
        std::int64_t elapsedMs;
        const char* figures;
    } cases[] = {
        {0, 0, ProgressUnit::Bytes, 0, ""},                               // nothing known yet
        {268435456, 0, ProgressUnit::Bytes, 16000, "268.4 MB received"},  // no total: MAME's listing
        {5, 0, ProgressUnit::Games, 1000, ""},
        {104857600, 283115520, ProgressUnit::Bytes, 500, "104.9 MB of 283.1 MB (37%)"},  // too early to say
        {104857600, 283115520, ProgressUnit::Bytes, 7000, "104.9 MB of 283.1 MB (37%), about 12 s left"},
        {999, 1000000, ProgressUnit::Bytes, 2000, "999 bytes of 1.0 MB (0%), about 33 min left"},
        {45000, 45000, ProgressUnit::Games, 9000, "45000 of 45000 games (100%)"},
        {50, 100, ProgressUnit::Unnamed, 60000, "50%, about 1 min left"},
        {150, 100, ProgressUnit::Unnamed, 1000, "100%"},
        {-5, 100, ProgressUnit::Unnamed, 1000, "0%"},
    };
    for (const auto& c : cases)
        QCOMPARE(ProgressFigures(c.done, c.total, c.unit, c.elapsedMs), QString::fromUtf8(c.figures));

    // Work that can stop: Cancel, Escape and the close box ask once, and the window stays until
    // the work has gone. Other work shows no button and cannot be closed.
    QWidget owner;
    for (bool cancellable : {true, false}) {
        ProgressDialog progress(&owner);
        int cancels = 0;
        connect(&progress, &ProgressDialog::CancelRequested, [&] { ++cancels; });
        progress.SetCancellable(cancellable);
        progress.SetUnit(ProgressUnit::Bytes);
        progress.Show(true, 1000, QStringLiteral("Scanning..."), QString());
        progress.SetProgress(3500, 7000);
        QCOMPARE(progress.Position(), 500);
        QCOMPARE(Child<QLabel>(&progress, "progressFigures")->text(),
                 QStringLiteral("3.5 kB of 7.0 kB (50%)"));
        auto* button = Child<QPushButton>(&progress, "cancelButton");
        QCOMPARE(button->isVisible(), cancellable);
        if (cancellable) button->click();
        QTest::keyClick(&progress, Qt::Key_Escape);
        progress.close();
        QCOMPARE(cancels, cancellable ? 1 : 0);
        QVERIFY(progress.isVisible() && progress.CancelPending() == cancellable);
        QCOMPARE(button->isEnabled(), !cancellable);
    }
}

QTEST_MAIN(BackgroundWorkTest)
#include "BackgroundWorkTest.moc"
