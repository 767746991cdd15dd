// "ROM names only", "Atomic FE" and "MAMEUIFX": one ROM name per line, with small differences.
#include "ListWriter.h"

namespace vantor {

namespace {

constexpr const char* kMameUifxHeader =
    "[FOLDER_SETTINGS]\r\nRootFolderIcon cust1\r\nSubFolderIcon cust2\r\n\r\n[ROOT_FOLDER]\r\n";

class RomNameWriter : public ListWriter {
  public:
    RomNameWriter(std::string_view header, std::string_view lineEnd) : header_(header), lineEnd_(lineEnd) {}

    void Begin(const ListContext&, ListDocument& document) override { document.text = header_; }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        out += record.RomName();
        out += lineEnd_;
        return true;
    }

  private:
    std::string_view header_;
    std::string_view lineEnd_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeRomNameWriter(const ListOptions&) {
    return std::make_unique<RomNameWriter>("", "\r\n");
}

std::unique_ptr<ListWriter> MakeAtomicFeWriter(const ListOptions&) {
    return std::make_unique<RomNameWriter>("", ".zip\r\n");
}

std::unique_ptr<ListWriter> MakeMameUifxWriter(const ListOptions&) {
    return std::make_unique<RomNameWriter>(kMameUifxHeader, "\r\n");
}

}  // namespace vantor
