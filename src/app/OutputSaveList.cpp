// The save path of the working list. The list writers are not wired to the window yet; until
// they are, the buttons say so instead of doing nothing.
#include "OutputWindow.h"
#include "QtUserInterface.h"

namespace vantor::app {

void CVNOutput::SaveList() {
    ShowMessageBox(this, MessageIcon::Information,
                   "Saving and previewing lists is not available in this build yet.");
}

}  // namespace vantor::app
