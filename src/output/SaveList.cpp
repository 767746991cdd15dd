#include "SaveList.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>

#include "gamedata/ListOrder.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"
#include "search/RecordScan.h"

namespace vantor {

namespace {

constexpr std::size_t kProgressStep = 256;
// Below this many games one thread makes the list sooner than several would start.
constexpr std::size_t kParallelMinimumGames = 2048;
constexpr unsigned kMaxEntryThreads = 8;

// One way through the master file's records: its own cursor over the shared file and its own
// buffers, so that parts of a list can be read on threads of their own.
class RecordCursor {
  public:
    RecordCursor(const Catalog& catalog, const RecordFields& fields, RecordText form, bool wantName)
        : catalog_(catalog), reader_(catalog.Reader()), form_(form), wantName_(wantName), current_(fields) {}

    const ListedRecord& Read(std::int64_t offset);
    // The Name of the record last read, as the search lists it, when asked for.
    std::string& Name() { return name_; }

  private:
    // The record at `position` as read with an empty start key; true when that is a line feed
    // followed by `text`, false when it is `text` itself.
    bool ReadListedText(std::int64_t position, std::string& text);

    const Catalog& catalog_;
    RecordReader reader_;
    const RecordText form_;
    const bool wantName_;
    ListedRecord current_;
    std::string found_;  // the buffer records are read into, swapped with the record's
    std::string name_;
};

bool RecordCursor::ReadListedText(std::int64_t position, std::string& text) {
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

const ListedRecord& RecordCursor::Read(std::int64_t offset) {
    bool lineFeed = ReadListedText(offset, found_);
    current_.Renew(lineFeed).swap(found_);
    if (wantName_) {
        name_ = current_.Description();
        if (form_ == RecordText::Raw) DecodeEntities(name_);
        if (name_.empty()) name_ = "Unknown";
    }
    return current_;
}

// Reads each listed record once at its key and gathers what the writer makes of it, in list
// order.
class EntryGatherer {
  public:
    EntryGatherer(const Catalog& catalog, const ListWriter& writer, bool sortByName)
        : catalog_(catalog), fields_(catalog.Fields()), writer_(writer), sortByName_(sortByName) {}

    // False when the progress sink asked to stop.
    bool Gather(const std::vector<std::int64_t>& offsets, ListDocument& document, ProgressSink* progress);
    // Every game of the file, in one scan; throws EngineError (Cancelled) when asked to stop.
    void GatherAll(ListDocument& document, ProgressSink* progress);

  private:
    RecordCursor MakeCursor() const { return RecordCursor(catalog_, fields_, writer_.Form(), sortByName_); }
    // Makes the entries of the games in `fileOrder` (indexes into `offsets`) into their slots,
    // once per record (a game whose `source` is another is listed again), on as many threads as
    // pay; false when the progress sink asked to stop.
    bool MakeEntries(const std::vector<std::int64_t>& offsets, const std::vector<std::size_t>& fileOrder,
                     const std::vector<std::size_t>& source, std::vector<std::string>& pieces,
                     std::vector<std::string>& names, std::vector<char>& counted, ProgressSink* progress);

    const Catalog& catalog_;
    const RecordFields fields_;
    const ListWriter& writer_;
    const bool sortByName_;
};

bool EntryGatherer::MakeEntries(const std::vector<std::int64_t>& offsets,
                                const std::vector<std::size_t>& fileOrder,
                                const std::vector<std::size_t>& source, std::vector<std::string>& pieces,
                                std::vector<std::string>& names, std::vector<char>& counted,
                                ProgressSink* progress) {
    const std::size_t n = fileOrder.size();
    auto make = [&](RecordCursor& cursor, std::size_t index) {
        if (source[index] != index) return;
        counted[index] = writer_.Entry(cursor.Read(offsets[index]), pieces[index]) ? 1 : 0;
        if (sortByName_) names[index].swap(cursor.Name());
    };
    unsigned threads = 1;
    if (writer_.EntriesInParallel() && n >= kParallelMinimumGames)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxEntryThreads);
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stop{false};
    std::mutex finishedMutex;
    std::condition_variable finishedChanged;
    unsigned finished = 0;
    std::exception_ptr failure;  // the first a part threw, thrown again on this thread
    // Each thread takes a run of records that lie together in the file, so its reads go forward.
    auto makePart = [&](unsigned part) {
        try {
            RecordCursor cursor = MakeCursor();
            const std::size_t from = n / threads * part,
                              to = part + 1 == threads ? n : n / threads * (part + 1);
            for (std::size_t k = from; k < to && !stop.load(std::memory_order_relaxed); ++k) {
                make(cursor, fileOrder[k]);
                if ((k - from + 1) % kProgressStep == 0) done += kProgressStep;
            }
        } catch (...) {
            stop = true;
            std::lock_guard lock(finishedMutex);
            if (!failure) failure = std::current_exception();
        }
        std::lock_guard lock(finishedMutex);
        ++finished;
        finishedChanged.notify_one();
    };
    auto report = [&](std::size_t count) {
        if (progress == nullptr) return true;
        progress->Progress(static_cast<std::int64_t>(count), static_cast<std::int64_t>(n));
        return !progress->CancelRequested();
    };
    if (threads == 1) {
        RecordCursor cursor = MakeCursor();
        for (std::size_t k = 0; k < n; ++k) {
            make(cursor, fileOrder[k]);
            if (((k + 1) % kProgressStep == 0 || k + 1 == n) && !report(k + 1)) return false;
        }
        return true;
    }
    std::vector<std::thread> workers;
    for (unsigned part = 0; part < threads; ++part) workers.emplace_back(makePart, part);
    // This thread reports the progress and passes a cancel request on, a few times a second.
    {
        std::unique_lock lock(finishedMutex);
        while (!finishedChanged.wait_for(lock, std::chrono::milliseconds(50),
                                         [&] { return finished == threads; })) {
            lock.unlock();
            if (!report(std::min(done.load(), n))) stop = true;
            lock.lock();
        }
    }
    for (std::thread& worker : workers) worker.join();
    if (failure) std::rethrow_exception(failure);
    return !stop && report(n);
}

bool EntryGatherer::Gather(const std::vector<std::int64_t>& offsets, ListDocument& document,
                           ProgressSink* progress) {
    const std::size_t n = offsets.size();
    // A list in file order, written as it is read: no slot per game needed.
    if (!sortByName_ && !(writer_.EntriesInParallel() && n >= kParallelMinimumGames) &&
        std::is_sorted(offsets.begin(), offsets.end())) {
        RecordCursor cursor = MakeCursor();
        for (std::size_t i = 0; i < n; ++i) {
            if (writer_.Entry(cursor.Read(offsets[i]), document.text)) ++document.games;
            if (progress != nullptr && ((i + 1) % kProgressStep == 0 || i + 1 == n)) {
                progress->Progress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(n));
                if (progress->CancelRequested()) return false;
            }
        }
        return true;
    }

    // A list in another order (by name, say) would make every read a jump: read the records in
    // file order into one slot per key, then join the slots in list order.
    std::vector<std::size_t> fileOrder(n);
    std::iota(fileOrder.begin(), fileOrder.end(), std::size_t{0});
    std::stable_sort(fileOrder.begin(), fileOrder.end(),
                     [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
    std::vector<std::size_t> source(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t index = fileOrder[i];
        // The same game listed again is read once.
        source[index] =
            i > 0 && offsets[index] == offsets[fileOrder[i - 1]] ? source[fileOrder[i - 1]] : index;
    }
    std::vector<std::string> pieces(n);
    std::vector<std::string> names(sortByName_ ? n : 0);
    std::vector<char> counted(n, 0);
    if (!MakeEntries(offsets, fileOrder, source, pieces, names, counted, progress)) return false;

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

void EntryGatherer::GatherAll(ListDocument& document, ProgressSink* progress) {
    struct Made {
        std::string name, piece;
        bool counted = false;
    };
    ScanSplit split;
    split.form = writer_.Form();
    if (!writer_.EntriesInParallel()) split.threads = 1;
    std::mutex failureMutex;
    std::exception_ptr failure;  // the first a part threw, thrown again on this thread
    std::vector<Made> made = ScanRecords<Made>(catalog_, progress, split, [&] {
        // What a read at the record's key gives: a line feed, then the record read from its start tag.
        return [&, record = ListedRecord(fields_)](std::int64_t, std::string& text,
                                                   std::vector<Made>& entries) mutable {
            try {
                record.Renew(true).swap(text);
                Made entry;
                entry.counted = writer_.Entry(record, entry.piece);
                if (sortByName_) {
                    entry.name = record.Description();
                    if (writer_.Form() == RecordText::Raw) DecodeEntities(entry.name);
                    if (entry.name.empty()) entry.name = "Unknown";
                }
                entries.push_back(std::move(entry));
            } catch (...) {
                std::lock_guard lock(failureMutex);
                if (!failure) failure = std::current_exception();
            }
        };
    });
    if (failure) std::rethrow_exception(failure);
    if (sortByName_) {
        std::stable_sort(made.begin(), made.end(),
                         [](const Made& a, const Made& b) { return CompareListText(a.name, b.name) < 0; });
    }
    std::size_t size = document.text.size();
    for (const Made& entry : made) size += entry.piece.size();
    document.text.reserve(size);
    for (const Made& entry : made) {
        document.text += entry.piece;
        document.games += entry.counted ? 1 : 0;
    }
}

}  // namespace

Outcome<SavedGames> SaveList(const Catalog& catalog, const SaveRequest& request, ListSink& target,
                             ProgressSink* progress) {
    const ListFormatInfo& info = FormatInfo(request.format);
    if (target.IsPreview() && !info.hasPreview)
        return Outcome<SavedGames>::Failure(std::string("The ") + info.name + " list has no preview.");
    if (const std::string problem = PathOptionProblem(request.options); !problem.empty())
        return Outcome<SavedGames>::Failure(problem);
    if (request.keysFrom && *request.keysFrom != catalog.file.Identity())
        return Outcome<SavedGames>::Failure(kStaleListKeys, MessageIcon::Stop);
    const std::int64_t end = std::max<std::int64_t>(catalog.file.Size(), 1);
    std::vector<std::int64_t> keys;
    keys.reserve(request.keys.size());
    for (std::int64_t key : request.keys) {
        if (key < 0 || key >= end) {
            return Outcome<SavedGames>::Failure(
                "The record key " + FormatRecordKey(key) + " lies beyond the end of the input file.",
                MessageIcon::Stop);
        }
        if (keys.empty() || keys.back() != key) keys.push_back(key);
    }
    Outcome<> prepared = target.Prepare(catalog.file.Path());
    if (!prepared.Done()) return std::move(prepared).With(SavedGames{});

    try {
        std::unique_ptr<ListWriter> writer = info.makeWriter(request.options);
        const ListContext context{catalog, target};
        ListDocument document;
        writer->Begin(context, document);
        EntryGatherer gatherer(catalog, *writer, request.sortByName);
        if (request.allGames) {
            gatherer.GatherAll(document, progress);
        } else if (!gatherer.Gather(keys, document, progress)) {
            return Outcome<SavedGames>::CancelledOutcome();
        }
        writer->End(context, document);
        if (progress != nullptr && !progress->BeginFinalStep())
            return Outcome<SavedGames>::CancelledOutcome();
        return target.Take(document);
    } catch (const EngineError& error) {
        return Outcome<SavedGames>::From(error);
    }
}

}  // namespace vantor
