#include "TagTable.h"

namespace vantor {

const TagTable& Tags() {
    static const TagTable table;
    return table;
}

}  // namespace vantor
