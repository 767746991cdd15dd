// The merge's data-file lookups: the ini index against the text search it replaces, the
// controls index and the control normalisation on arbitrary text.
// Input: a name, a line feed, a boundary byte, a line feed, the data text.
#include "FuzzSupport.h"
#include "gamedata/TextUtil.h"
#include "utilities/MergeUtility.h"

using namespace vantor;

namespace {

bool TextSearch(std::string_view text, std::string_view name, std::size_t from, std::string& value) {
    std::size_t found = FindText(text, "\n" + std::string(name) + "=", from);
    if (found == std::string_view::npos) return false;
    std::size_t start = found + name.size() + 2;
    std::size_t end = text.find('\n', start);
    value = std::string(text.substr(start, (end == std::string_view::npos ? text.size() : end) - start));
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536) return 0;
    auto parts = fuzz::SplitInput(data, size, 3);
    std::string name(parts[0]);
    std::string text(parts[2]);
    std::size_t boundary = parts[1].empty() ? std::string_view::npos
                                            : static_cast<unsigned char>(parts[1][0]) * text.size() / 256;
    IniLineIndex index;
    index.Build(text, boundary);

    std::string indexed, searched;
    bool inIndex = index.Find(name, indexed);
    bool inText = TextSearch(text, name, 0, searched);
    if (inIndex != inText || (inIndex && indexed != searched))
        fuzz::Fail("ini index differs from the text search");
    if (boundary != std::string_view::npos) {
        inIndex = index.FindAfterBoundary(name, indexed);
        inText = TextSearch(text, name, boundary + 1, searched);
        if (inIndex != inText || (inIndex && indexed != searched))
            fuzz::Fail("ini index differs after the boundary");
    }

    ControlsIndex controls;
    controls.Build(text);
    std::string attributes, players;
    controls.Find(name, attributes, players);

    std::string record = text;
    NormaliseControls(record);
    return 0;
}
