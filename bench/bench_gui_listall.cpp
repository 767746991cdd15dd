// Times "List all ROMs" in the real main window, from the click until the full-list window holds
// every row (scan on its worker thread, hand-over, fill, sort, model reset), then a header click
// that sorts all rows by year. Prints "seconds <list all>", "scan_seconds <the scan alone>" and
// "sort_seconds <sort>".
// Usage: bench_gui_listall LISTXML (run with QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <cstdio>

#include "app/LiveCount.h"
#include "app/MainWindow.h"
#include "app/QtUserInterface.h"
#include "app/ResultListWindows.h"
#include "app/SortableListView.h"

using namespace vantor;
using namespace vantor::app;

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_gui_listall LISTXML\n");
        return 2;
    }
    SetMessageHook(
        [](MessageIcon, const std::string&, QMessageBox::StandardButtons) { return QMessageBox::Ok; });
    MainWindow window(argv[1], vantor::DisplayOptions{}, false);
    window.show();
    window.Initialise();
    // The records for the live count are prepared first: the list is timed on its own.
    while (window.LiveCount()->Busy()) application.processEvents(QEventLoop::WaitForMoreEvents);
    ResultListWindow* fullList = window.FullList();

    double scanSeconds = 0;
    QElapsedTimer timer;
    QObject::connect(&window, &MainWindow::ScanFinished,
                     [&] { scanSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9; });
    bool shown = false;
    QObject::connect(fullList, &ResultListWindow::BatchShown, [&] { shown = true; });
    timer.start();
    window.OnListAllRoms();
    while (!shown) application.processEvents(QEventLoop::WaitForMoreEvents);
    const double listSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const int rows = fullList->List()->RowCount();

    timer.restart();
    fullList->List()->Sort(kYearColumn, true);
    application.processEvents();
    const double sortSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;

    std::printf("rows %d\nseconds %.3f\nscan_seconds %.3f\nsort_seconds %.3f\n", rows, listSeconds,
                scanSeconds, sortSeconds);
    return rows > 0 ? 0 : 1;
}
