// vantor: the desktop program.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "AboutBox.h"
#include "Application.h"

int main(int argc, char* argv[]) {
    // Answered before QApplication exists, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(vantor::app::VersionText().toUtf8().constData(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(
                "Usage: vantor [--version] [--help] [QT OPTIONS]\n"
                "Starts Vantor's desktop program; vantor-cli does the same work from a terminal.\n",
                stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    return vantor::app::RunVantor(application);
}
