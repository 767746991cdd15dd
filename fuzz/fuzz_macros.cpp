// Macro expansion with arbitrary definitions. Input: the search text, a line feed, the file.
#include "FuzzSupport.h"
#include "gamedata/EngineError.h"
#include "search/SearchText.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16384) return 0;
    auto parts = fuzz::SplitInput(data, size, 2);
    fuzz::MemoryFile definitions(parts[1]);
    std::string text(parts[0]);
    std::string before = text;
    try {
        ExpandMacros(text, definitions.Path());
    } catch (const EngineError& error) {
        // A name that no definition starts is the user's mistake.
        if (error.Text() != kMacroExpansionTooLong && error.Kind() != ErrorKind::Expression) {
            fuzz::Fail("unexpected error " + error.Text());
        }
        return 0;
    }
    if (before.find('@') == std::string::npos && text != before) fuzz::Fail("text without @ changed");
    try {
        PrepareSearchText(before, definitions.Path());
    } catch (const EngineError& error) {
        if (error.Kind() != ErrorKind::Expression && error.Text() != kMacroExpansionTooLong) {
            fuzz::Fail("unexpected error " + error.Text());
        }
    }
    return 0;
}
