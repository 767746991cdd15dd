// "XML File" and "MultiFE": a cut-down copy of the master file itself, its records copied byte
// for byte.
#include "ListWriter.h"
#include "gamedata/RecordReader.h"

namespace vantor {

namespace {

class XmlWriter : public ListWriter {
  public:
    RecordText Form() const override { return RecordText::Raw; }

    void Begin(const ListContext& context, ListDocument& document) override {
        context.catalog.Reader().ReadHeader(context.catalog.file, document.text);
        rootCloseTag_ = RecordReader::GetRootCloseTag(document.text);
    }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        record.AppendText(out);
        return true;
    }

    void End(const ListContext&, ListDocument& document) override {
        document.text += "\r\n";
        document.text += rootCloseTag_;
        document.text += "\n";
    }

  private:
    std::string rootCloseTag_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeXmlWriter(const ListOptions&) {
    return std::make_unique<XmlWriter>();
}

}  // namespace vantor
