// "Maximus Arcade": one line that the front end's own converter turns into its list file.
#include <algorithm>

#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

class MaximusWriter : public ListWriter {
  public:
    explicit MaximusWriter(std::string romFolder) : romFolder_(std::move(romFolder)) {
        if (romFolder_.empty() || romFolder_.back() != '/') romFolder_ += '/';
    }

    void Begin(const ListContext&, ListDocument& document) override { document.text = "["; }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        // A double quote would end the quoted description early and shift every text after it.
        std::string description = record.Description();
        std::replace(description.begin(), description.end(), '"', '\'');
        out += "\"" + description + "\":";
        out += " [#name: \"" + record.RomName() + "\",";
        std::string parent = record.Value("cloneof=");
        if (!parent.empty()) out += " #cloneof:\"" + parent + "\",";
        out += " #path: \"" + romFolder_ + "\"], ";
        return true;
    }

    void End(const ListContext&, ListDocument& document) override {
        TrimRight(document.text, ", ");
        document.text += "]";
    }

  private:
    std::string romFolder_;  // with its trailing separator
};

}  // namespace

std::unique_ptr<ListWriter> MakeMaximusWriter(const ListOptions& options) {
    return std::make_unique<MaximusWriter>(options.Text(ListOption::RomFolder));
}

}  // namespace vantor
