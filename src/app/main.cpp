// vantor: the desktop program.
#include <QApplication>

#include "Application.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    return vantor::app::RunVantor(application);
}
