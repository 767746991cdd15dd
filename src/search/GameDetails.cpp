#include "GameDetails.h"

#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"

namespace vantor {

std::string PrepareDetailsText(std::string record, bool hideRomNames) {
    // CR LF first becomes LF, so that the rom lines below are found in CR LF files too.
    record = CrLfToLf(record);
    TrimLeft(record, "\t");
    ReplaceAll(record, "\n\t", "\r\n");
    TrimRight(record);
    if (hideRomNames) {
        for (;;) {
            std::size_t start = record.find("<rom name=");
            if (start == std::string::npos) break;
            std::size_t end = record.find("/>\r\n", start);
            if (end == std::string::npos) break;
            std::string romLine = record.substr(start, end + 4 - start);
            ReplaceAll(record, romLine, "");
        }
    }
    return record;
}

std::int64_t ReadGameRecord(const Catalog& catalog, const std::string& romName, std::string& record) {
    RecordReader reader = catalog.Reader();
    reader.Rewind(catalog.file);
    return reader.ReadRecord(catalog.file, record, catalog.StartTag() + "\"" + romName + "\"", -1);
}

bool DetailsText(const Catalog& catalog, const std::string& romName, std::string& text) {
    std::string record;
    (void)ReadGameRecord(catalog, romName, record);
    text = PrepareDetailsText(record, catalog.display.hideRomNames);
    return !record.empty();
}

}  // namespace vantor
