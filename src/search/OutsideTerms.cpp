#include "OutsideTerms.h"

namespace vantor {

const std::vector<OutsideTermKind>& OutsideTermKinds() {
    // The words are AuditStatusWord()'s (romset), which a test holds to these.
    static const std::vector<OutsideTermKind> kinds = {
        {"audit",
         {"good", "best-available", "missing", "incomplete", "needs-set", "chd-missing"},
         "the game's status in the last ROM audit of the input file",
         "No ROM audit of this input file is kept (or the file has changed since the last one): run "
         "\"Audit ROMs\" or vantor-cli audit first."},
    };
    return kinds;
}

std::string_view RomNameOfPreparedRecord(std::string_view lowered) {
    std::string_view line = lowered.substr(0, lowered.find('\n'));
    for (std::size_t at = line.find("name="); at != std::string_view::npos; at = line.find("name=", at + 1)) {
        // The attribute itself, not the end of a longer one (filename=).
        if (at > 0 && line[at - 1] != ' ' && line[at - 1] != '\t') continue;
        std::string_view value = line.substr(at + 5);
        return value.substr(0, value.find_first_of(" \t/>"));
    }
    return {};
}

}  // namespace vantor
