#include "AppState.h"

#include "ListFillWorker.h"

namespace vantor::app {

void RegisterMetaTypes() {
    qRegisterMetaType<HandOver>();
    qRegisterMetaType<FillResultPtr>();
}

}  // namespace vantor::app
