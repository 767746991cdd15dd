#include "TagTable.h"

namespace vantor {

std::atomic<int> g_inputType{UnknownInput};
std::atomic<bool> g_hideTags{false};

const TagTable& Tags() {
    static const TagTable table;
    return table;
}

}  // namespace vantor
