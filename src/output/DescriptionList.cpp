// "ROM descriptions only": one description per line.
#include "ListWriter.h"

namespace vantor {

namespace {

class DescriptionWriter : public ListWriter {
  public:
    bool EntriesInParallel() const override { return true; }
    bool Entry(const ListedRecord& record, std::string& out) const override {
        out += record.Description();
        out += "\r\n";
        return true;
    }
};

}  // namespace

std::unique_ptr<ListWriter> MakeDescriptionWriter(const ListOptions&) {
    return std::make_unique<DescriptionWriter>();
}

}  // namespace vantor
