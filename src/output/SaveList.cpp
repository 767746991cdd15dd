#include "SaveList.h"

#include <algorithm>
#include <numeric>

#include "gamedata/ListOrder.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

constexpr std::size_t kProgressStep = 256;

// Reads each listed record once at its key and gathers what the writer makes of it, in list
// order.
class EntryGatherer {
  public:
    EntryGatherer(const Catalog& catalog, const ListWriter& writer, bool sortByName)
        : catalog_(catalog),
          fields_(catalog.Fields()),
          reader_(catalog.Reader()),
          writer_(writer),
          form_(writer.Form()),
          sortByName_(sortByName),
          current_(fields_) {}

    // False when the progress sink asked to stop.
    bool Gather(const std::vector<std::int64_t>& offsets, ListDocument& document, ProgressSink* progress);

  private:
    const ListedRecord& ReadRecord(std::int64_t offset);
    // The record at `position` as read with an empty start key; true when that is a line feed
    // followed by `text`, false when it is `text` itself.
    bool ReadListedText(std::int64_t position, std::string& text);

    const Catalog& catalog_;
    const RecordFields fields_;
    RecordReader reader_;
    const ListWriter& writer_;
    const RecordText form_;
    const bool sortByName_;
    ListedRecord current_;
    std::string found_;  // the buffer records are read into, swapped with the record's
    std::string name_;   // the Name of the record last read, when sorting by it
};

bool EntryGatherer::ReadListedText(std::int64_t position, std::string& text) {
    // Records are read with an empty start key: from the very position, so the text begins with
    // the tail of the line before the record, its line feed. Where the key is the position of a
    // record (one byte before its start line), that is exactly a line feed followed by what a read
    // with the start tag finds, and the reader finds that much faster. Other keys (0, or keys of
    // another file) take the empty-key read itself.
    if (position > 0 &&
        reader_.ReadRecord(catalog_.file, text, catalog_.StartTag(), position, form_) == position)
        return true;
    reader_.ReadRecord(catalog_.file, text, "", position, form_);
    return false;
}

const ListedRecord& EntryGatherer::ReadRecord(std::int64_t offset) {
    bool lineFeed = ReadListedText(offset, found_);
    current_.Renew(lineFeed).swap(found_);
    // The Name, as the search lists it: from the decoded record.
    if (sortByName_) {
        name_ = current_.Description();
        if (form_ == RecordText::Raw) DecodeEntities(name_);
        if (name_.empty()) name_ = "Unknown";
    }
    return current_;
}

bool EntryGatherer::Gather(const std::vector<std::int64_t>& offsets, ListDocument& document,
                           ProgressSink* progress) {
    const std::size_t n = offsets.size();
    // Also says whether to go on.
    auto reportProgress = [&](std::size_t done) {
        if (progress == nullptr || (done % kProgressStep != 0 && done != n)) return true;
        progress->Progress(static_cast<std::int64_t>(done), static_cast<std::int64_t>(n));
        return !progress->CancelRequested();
    };

    if (!sortByName_ && std::is_sorted(offsets.begin(), offsets.end())) {
        for (std::size_t i = 0; i < n; ++i) {
            if (writer_.Entry(ReadRecord(offsets[i]), document.text)) ++document.games;
            if (!reportProgress(i + 1)) return false;
        }
        return true;
    }

    // A list in another order (by name, say) would make every read a jump: read the records in
    // file order into one slot per key, then join the slots in list order.
    std::vector<std::size_t> fileOrder(n);
    std::iota(fileOrder.begin(), fileOrder.end(), std::size_t{0});
    std::stable_sort(fileOrder.begin(), fileOrder.end(),
                     [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
    std::vector<std::string> pieces(n);
    std::vector<std::string> names(sortByName_ ? n : 0);
    std::vector<std::size_t> source(n);
    std::vector<char> counted(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t index = fileOrder[i];
        if (i > 0 && offsets[index] == offsets[fileOrder[i - 1]]) {
            source[index] = source[fileOrder[i - 1]];  // the same game listed again: read once
        } else {
            source[index] = index;
            counted[index] = writer_.Entry(ReadRecord(offsets[index]), pieces[index]) ? 1 : 0;
            if (sortByName_) names[index].swap(name_);
        }
        if (!reportProgress(i + 1)) return false;
    }
    std::vector<std::size_t> listOrder(n);
    std::iota(listOrder.begin(), listOrder.end(), std::size_t{0});
    if (sortByName_) {
        std::stable_sort(listOrder.begin(), listOrder.end(), [&](std::size_t a, std::size_t b) {
            return CompareListText(names[source[a]], names[source[b]]) < 0;
        });
    }
    std::size_t size = document.text.size();
    for (std::size_t i = 0; i < n; ++i) size += pieces[source[i]].size();
    document.text.reserve(size);
    for (std::size_t i : listOrder) {
        document.text += pieces[source[i]];
        document.games += counted[source[i]];
    }
    return true;
}

SaveOutcome Cancelled() {
    SaveOutcome outcome;
    outcome.status = SaveStatus::Cancelled;
    outcome.icon = MessageIcon::Information;
    outcome.message = kCancelled;
    return outcome;
}

}  // namespace

SaveOutcome SaveList(const Catalog& catalog, const SaveRequest& request, ListSink& target,
                     ProgressSink* progress) {
    const ListFormatInfo& info = FormatInfo(request.format);
    if (target.IsPreview() && !info.hasPreview)
        return SaveOutcome::Failure(std::string("The ") + info.name + " list has no preview.");
    const std::int64_t end = std::max<std::int64_t>(catalog.file.Size(), 1);
    std::vector<std::int64_t> keys;
    keys.reserve(request.keys.size());
    for (std::int64_t key : request.keys) {
        if (key < 0 || key >= end) {
            return SaveOutcome::Failure(
                "The record key " + FormatRecordKey(key) + " lies beyond the end of the input file.",
                MessageIcon::Stop);
        }
        if (keys.empty() || keys.back() != key) keys.push_back(key);
    }
    SaveOutcome prepared = target.Prepare(catalog.file.Path());
    if (!prepared.Written()) return prepared;

    try {
        std::unique_ptr<ListWriter> writer = info.makeWriter(request.options);
        const ListContext context{catalog, target};
        ListDocument document;
        writer->Begin(context, document);
        EntryGatherer gatherer(catalog, *writer, request.sortByName);
        if (!gatherer.Gather(keys, document, progress)) return Cancelled();
        writer->End(context, document);
        return target.Take(document);
    } catch (const EngineError& error) {
        return SaveOutcome::Failure(error.Text(), error.Icon());
    }
}

}  // namespace vantor
