// "Load list..." reads any file the user picks: the format is told from the bytes, then a JSON,
// XML, Pegasus, romlist or line reader takes the names out.
#include "FuzzSupport.h"
#include "utilities/ListLoader.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ListRomNames list = ReadListRomNames(bytes);
    std::size_t total = 0;
    for (const std::string& name : list.names) {
        if (name.empty()) fuzz::Fail("an empty name");
        total += name.size();
    }
    // Every reader takes names from the text or decodes them shorter, but for a playlist that is
    // no UTF-8: it is read as Latin-1, where a byte may take two.
    if (total > 2 * size) fuzz::Fail("names longer than the file");
    if (!list.problem.empty() && !list.names.empty()) fuzz::Fail("names from a file that is no list");
    return 0;
}
