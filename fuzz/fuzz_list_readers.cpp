// The readers of the lists that the converters turn back into XML: a MaLa .mlg file and a
// Maximus Arcade list. The first byte picks the reader.
#include "FuzzSupport.h"
#include "utilities/ListConverters.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        MalaList list = ReadMalaList(bytes);
        std::size_t total = 0;
        for (const std::string& name : list.romNames) total += name.size();
        if (total > bytes.size()) fuzz::Fail("MaLa names longer than the file");
    } else {
        std::vector<std::string> names = ReadMaximusRomNames(std::string(bytes));
        std::size_t total = 0;
        for (const std::string& name : names) total += name.size();
        if (total > bytes.size()) fuzz::Fail("Maximus names longer than the file");
    }
    return 0;
}
