#pragma once
// How the scans read a master file: every complete record, in file order, the file split into
// parts read on threads of their own. Each scan brings a visitor that turns a record into the
// entries it keeps.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "MatchEntry.h"
#include "ScanSplit.h"
#include "gamedata/Catalog.h"
#include "gamedata/EngineError.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

// The match-list entry of a record read at `position`.
MatchEntry MakeMatchEntry(const RecordFields& fields, std::int64_t position, std::string_view record);

// The first line start at or after `offset`.
std::int64_t LineStartFrom(const MasterFile& file, std::int64_t offset);

namespace scan_detail {

inline constexpr int kProgressEveryRecords = 64;
inline constexpr unsigned kMaxScanThreads = 8;

template <typename Entry>
struct ScanPart {
    std::vector<Entry> entries;
    std::int64_t firstStart = -1;  // where the text of the first record read begins, owned or not
    std::int64_t resume = -1;      // the text start of the first record not owned; -1: the end
};

// Reads records from `from` (a line start) and hands those whose text begins before `limit` to
// `visit`. A record cut short by the end of the file is not visited: its text is incomplete and
// its key could not be read back.
template <typename Entry, typename Visit>
void ScanPartOfFile(const Catalog& catalog, std::int64_t from, std::int64_t limit, const ScanSplit& split,
                    Visit& visit, ScanPart<Entry>& part, std::atomic<std::int64_t>& done,
                    const std::atomic<bool>& stop) {
    const MasterFile& file = catalog.file;
    const RecordText form = split.form;
    RecordReader reader = catalog.Reader();
    reader.SetDeviceEntries(split.deviceEntries);
    reader.Seek(file, from);
    const std::string& startTag = catalog.StartTag();
    std::string_view record;
    std::string copy;  // for a visitor that takes the record as a string of its own
    int sinceProgress = 0;
    std::int64_t reported = from;
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) return;
        std::int64_t position = reader.ReadRecordView(file, record, startTag, -1, form);
        if (record.empty() || position == -1) break;
        if (part.firstStart < 0) part.firstStart = reader.recordStart;
        if (reader.recordStart >= limit) {
            part.resume = reader.recordStart;
            break;
        }
        if constexpr (std::is_invocable_v<Visit&, std::int64_t, std::string_view, std::vector<Entry>&>) {
            visit(position, record, part.entries);
        } else {
            copy.assign(record);
            visit(position, copy, part.entries);
        }
        if (++sinceProgress == kProgressEveryRecords) {
            sinceProgress = 0;
            done += reader.Tell() - reported;
            reported = reader.Tell();
        }
    }
}

}  // namespace scan_detail

// Every complete record of the file in file order, as one reader would see them. `makeVisit`
// makes one visitor per thread; a visitor appends the record's entry, if any, to the vector it is
// given. A visitor that takes the record as a std::string_view is shown it where it was read
// (valid during the call), without a copy. Parts begin at the first line after an even split of the file;
// where a record runs over the start of the next part (or a start line inside a record restarts it), that
// part is read again from where the previous one stopped, so the result never depends on the split. Throws
// EngineError of kind Cancelled when the progress sink asks to stop.
template <typename Entry, typename MakeVisit>
std::vector<Entry> ScanRecords(const Catalog& catalog, ProgressSink* progress, const ScanSplit& split,
                               MakeVisit makeVisit) {
    using scan_detail::ScanPart;
    const MasterFile& file = catalog.file;
    const std::int64_t size = file.Size();
    unsigned threads = split.threads != 0 ? split.threads : std::thread::hardware_concurrency();
    threads = size < split.minimumBytes ? 1u : std::clamp(threads, 1u, scan_detail::kMaxScanThreads);
    std::vector<std::int64_t> limits(threads + 1);
    for (unsigned i = 0; i <= threads; ++i)
        limits[i] = i == threads ? std::numeric_limits<std::int64_t>::max() : size / threads * i;
    std::vector<ScanPart<Entry>> parts(threads);
    std::atomic<std::int64_t> done{0};
    std::atomic<bool> stop{false};
    std::mutex finishedMutex;
    std::condition_variable finishedChanged;
    unsigned finished = 0;

    // The parts are read on threads of their own; this one reports the progress and passes a
    // cancel request on, a few times a second.
    auto runPart = [&](unsigned i) {
        auto visit = makeVisit();
        std::int64_t from = i == 0 ? 0 : LineStartFrom(file, limits[i] + 1);
        scan_detail::ScanPartOfFile(catalog, from, limits[i + 1], split, visit, parts[i], done, stop);
        std::lock_guard lock(finishedMutex);
        ++finished;
        finishedChanged.notify_one();
    };
    // The size is known at once; a stop asked for by then ends the parts before they read.
    if (progress != nullptr) {
        progress->Progress(0, size);
        if (progress->CancelRequested()) stop = true;
    }
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i) workers.emplace_back(runPart, i);
    {
        std::unique_lock lock(finishedMutex);
        while (!finishedChanged.wait_for(lock, std::chrono::milliseconds(50),
                                         [&] { return finished == threads; })) {
            lock.unlock();
            if (progress != nullptr) {
                progress->Progress(std::min(done.load(), size), size);
                if (progress->CancelRequested()) stop = true;
            }
            lock.lock();
        }
    }
    for (std::thread& worker : workers) worker.join();
    if (stop || (progress != nullptr && progress->CancelRequested()))
        throw EngineError(kCancelled, ErrorKind::Cancelled);

    std::vector<Entry> entries = std::move(parts[0].entries);
    std::int64_t resume = parts[0].resume;
    for (unsigned i = 1; i < threads; ++i) {
        if (resume < 0) break;  // the previous part read to the end of the file
        if (parts[i].firstStart != resume) {
            // Not a clean seam: read this part again from where the previous one stopped.
            parts[i] = ScanPart<Entry>();
            auto visit = makeVisit();
            scan_detail::ScanPartOfFile(catalog, resume, limits[i + 1], split, visit, parts[i], done, stop);
        }
        entries.insert(entries.end(), std::make_move_iterator(parts[i].entries.begin()),
                       std::make_move_iterator(parts[i].entries.end()));
        resume = parts[i].resume;
    }
    if (progress != nullptr) progress->Progress(size, size);
    return entries;
}

}  // namespace vantor
