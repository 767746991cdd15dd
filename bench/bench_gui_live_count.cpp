// The live match count in the real main window: the records prepared after the input check, then
// each single change of a criterion from the start-up criteria (a click on each enabled box, up to
// four items of each combo box), timed from the change to the count label's new answer; the
// longest a keystroke in "-find:" holds the window; then "Go!" with the start-up criteria, whose
// rows must equal the count shown for them. The peak resident memory is the whole program's: before
// and after "List all ROMs" (every game in a list window beside the prepared records).
// Prints "name value" lines. Usage: bench_gui_live_count LISTXML (with QT_QPA_PLATFORM=offscreen).
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "app/LiveCount.h"
#include "app/MainWindow.h"
#include "app/QtUserInterface.h"
#include "app/ResultListWindows.h"
#include "app/WorkingListWindow.h"

using namespace vantor;
using namespace vantor::app;

namespace {

long PeakResidentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Sleeps in the event loop (a timer wakes it to look at the clock): a loop that polls would
// take a core from the count it waits for.
bool WaitUntil(QApplication& application, const std::function<bool()>& done, int timeoutMs = 600000) {
    QTimer wake;
    wake.start(20);
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        application.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Processor time of the whole program (both cores together): what a change costs, however
// busy the machine is with others.
double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_gui_live_count LISTXML\n");
        return 2;
    }
    SetMessageHook(
        [](MessageIcon, const std::string&, QMessageBox::StandardButtons) { return QMessageBox::Ok; });
    MainWindow window(argv[1], DisplayOptions{}, false);
    window.show();
    LiveMatchCount* count = window.LiveCount();
    auto* label = window.findChild<QLabel*>(QStringLiteral("countText"));
    auto* find = window.findChild<QLineEdit*>(QStringLiteral("findEdit"));
    const auto settled = [&] { return count->Ready() && !count->Busy(); };

    QElapsedTimer timer;
    timer.start();
    window.Initialise();
    if (!WaitUntil(application, settled) || count->Shown() < 0) {
        std::fprintf(stderr, "no count for the start-up criteria: %s\n",
                     label->toolTip().toUtf8().constData());
        return 1;
    }
    const double prepareMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const std::int64_t startupCount = count->Shown();
    const QString startupText = find->text();

    // From each change to the answer beside "Go!"; the criteria go back to the start-up ones after each.
    std::vector<double> times, cpuTimes;
    bool answered = false;
    QObject::connect(count, &LiveMatchCount::Answered, [&] { answered = true; });
    std::string slowestChange = "-";
    auto timeChange = [&](const std::string& what, const std::function<void()>& change) {
        const QString before = find->text();
        answered = false;
        const double cpuBefore = ProcessCpuMs();
        timer.restart();
        change();
        if (find->text() == before) return;  // nothing to count again
        if (!WaitUntil(
                application, [&] { return answered && settled(); }, 60000)) {
            std::fprintf(stderr, "no answer after a change\n");
            std::exit(1);
        }
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (times.back() >= *std::max_element(times.begin(), times.end())) slowestChange = what;
        cpuTimes.push_back(ProcessCpuMs() - cpuBefore);
    };
    // Back to the start-up criteria through the widgets after each change, so that the window's
    // criteria and its "-find:" text stay one (a radio button goes back by its partner's click).
    std::vector<std::pair<CheckState, int>> startup;
    for (const CriterionInfo& info : CriteriaControls())
        startup.emplace_back(window.Criteria().Check(info.key), window.Criteria().ComboIndex(info.key));
    int notBack = 0;  // changes the widgets could not take back (the next ones start from there)
    auto restore = [&] {
        for (int pass = 0; pass < 3; ++pass) {
            std::size_t i = 0;
            for (const CriterionInfo& info : CriteriaControls()) {
                const auto [check, index] = startup[i++];
                QWidget* widget = window.CriterionWidget(info.key);
                if (widget == nullptr || !widget->isEnabled()) continue;
                if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                    if (combo->currentIndex() != index) combo->setCurrentIndex(index);
                } else if (window.Criteria().Check(info.key) != check &&
                           (info.kind != CriterionKind::Radio || check == CheckState::Checked)) {
                    qobject_cast<QAbstractButton*>(widget)->click();
                }
            }
        }
        WaitUntil(application, settled);
        if (find->text() != startupText) ++notBack;
    };
    for (const CriterionInfo& info : CriteriaControls()) {
        QWidget* widget = window.CriterionWidget(info.key);
        if (widget == nullptr || !widget->isEnabled()) continue;
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            const int start = combo->currentIndex();
            for (int item = 0, tried = 0; item < combo->count() && tried < 4; ++item) {
                if (item == start) continue;
                ++tried;
                timeChange(std::string(info.label) + "=" + combo->itemText(item).toStdString(),
                           [&] { combo->setCurrentIndex(item); });
                restore();
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            timeChange(info.label, [&] { button->click(); });
            restore();
        }
    }

    // Typing: the longest a keystroke keeps the window busy, and the count after the last one.
    double longestKeyMs = 0;
    find->clear();
    WaitUntil(application, settled);
    answered = false;
    for (const char c : std::string("pac-man | galaga | 'street fighter'")) {
        timer.restart();
        find->insert(QString(QChar(c)));
        application.processEvents();
        longestKeyMs = std::max(longestKeyMs, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    timer.restart();
    WaitUntil(application, [&] { return answered && settled(); });
    const double afterTypingMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    // "Go!" with the start-up criteria lists as many games as the count said.
    find->setText(startupText);
    WaitUntil(application, settled);
    bool shown = false;
    QObject::connect(window.WorkingList(), &WorkingListWindow::BatchShown, [&] { shown = true; });
    window.OnGo();
    if (!WaitUntil(application, [&] { return shown; })) {
        std::fprintf(stderr, "Go! listed nothing\n");
        return 1;
    }
    const int goRows = window.WorkingList()->EntryCount();
    const long peakBeforeListAll = PeakResidentKib();

    bool listed = false;
    QObject::connect(window.FullList(), &ResultListWindow::BatchShown, [&] { listed = true; });
    window.OnListAllRoms();
    if (!WaitUntil(application, [&] { return listed; })) {
        std::fprintf(stderr, "List all ROMs listed nothing\n");
        return 1;
    }

    std::printf(
        "prepare_ms %.0f\nchanges %zu\nmedian_ms %.0f\nslowest_ms %.0f\nmedian_cpu_ms %.0f\nlongest_key_ms "
        "%.0f\n"
        "after_typing_ms %.0f\nnot_back %d\nstartup_count %lld\ngo_rows %d\npeak_rss_kib %ld\n"
        "list_all_rows %d\npeak_rss_list_all_kib %ld\nslowest_change %s\n",
        prepareMs, times.size(), Median(times),
        times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()), Median(cpuTimes), longestKeyMs,
        afterTypingMs, notBack, static_cast<long long>(startupCount), goRows, peakBeforeListAll,
        window.FullList()->EntryCount(), PeakResidentKib(), slowestChange.c_str());
    return goRows == startupCount && count->Shown() == startupCount ? 0 : 1;
}
