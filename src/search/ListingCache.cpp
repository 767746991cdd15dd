#include "ListingCache.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "CompiledExpression.h"
#include "gamedata/EngineError.h"

namespace vantor {

namespace {
constexpr int kCheckEveryRecords = 256;
constexpr unsigned kMaxThreads = 8;

// Appends `record` without its double quotes, lower-cased, and marks its capitals.
void AppendPrepared(std::string& text, std::vector<std::uint64_t>& upperBits, std::string_view record) {
    for (char c : record) {
        if (c == '"') continue;
        const bool upper = c >= 'A' && c <= 'Z';
        const std::size_t bit = text.size();
        if (bit / 64 >= upperBits.size()) upperBits.push_back(0);
        if (upper) upperBits[bit / 64] |= std::uint64_t{1} << (bit % 64);
        text.push_back(upper ? static_cast<char>(c + ('a' - 'A')) : c);
    }
}
}  // namespace

std::shared_ptr<const ListingCache> ListingCache::Build(const Catalog& catalog, ProgressSink* progress) {
    auto cache = std::make_shared<ListingCache>();
    const MasterFile& file = catalog.file;
    cache->path_ = file.Path();
    cache->fileSize_ = file.Size();
    // Room for the whole file at once: growing by doubling would hold two copies for a moment.
    const auto size = static_cast<std::size_t>(std::max<std::int64_t>(file.Size(), 0));
    cache->text_.reserve(size);
    cache->upperBits_.reserve(size / 64 + 1);
    RecordReader reader = catalog.Reader();
    reader.Rewind(file);
    std::string record;
    for (int count = 1;; ++count) {
        std::int64_t position = reader.ReadRecord(file, record, catalog.StartTag(), -1);
        // A record cut short by the end of the file is not one, as for the scans.
        if (record.empty() || position == -1) break;
        cache->positions_.push_back(position);
        cache->starts_.push_back(cache->text_.size());
        AppendPrepared(cache->text_, cache->upperBits_, record);
        if (progress != nullptr && count % kCheckEveryRecords == 0) {
            progress->Progress(reader.Tell(), file.Size());
            if (progress->CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        }
    }
    cache->starts_.push_back(cache->text_.size());
    if (progress != nullptr) {
        if (progress->CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
        progress->Progress(file.Size(), file.Size());
    }
    return cache;
}

std::vector<std::vector<std::uint32_t>> ListingCache::MatchingIndexes(const CompiledExpression& expression,
                                                                      ProgressSink* progress,
                                                                      unsigned threads) const {
    const std::size_t records = positions_.size();
    if (threads == 0) threads = std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, kMaxThreads);
    if (records < 4096) threads = 1;
    std::vector<std::vector<std::uint32_t>> found(threads);
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> done{0};

    auto runPart = [&](unsigned part) {
        const std::size_t first = records * part / threads, last = records * (part + 1) / threads;
        PreparedRecord prepared;
        for (std::size_t i = first; i < last; ++i) {
            if ((i - first) % kCheckEveryRecords == 0 && i != first) {
                done += kCheckEveryRecords;
                if (stop.load(std::memory_order_relaxed)) return;
                // The calling thread's part also carries the progress and the cancel request.
                if (part == 0 && progress != nullptr) {
                    progress->Progress(static_cast<std::int64_t>(done.load()),
                                       static_cast<std::int64_t>(records));
                    if (progress->CancelRequested()) stop = true;
                }
            }
            prepared.AssignLowered(std::string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i]),
                                   upperBits_.data(), starts_[i]);
            if (expression.Matches(prepared)) found[part].push_back(static_cast<std::uint32_t>(i));
        }
    };
    std::vector<std::thread> workers;
    for (unsigned part = 1; part < threads; ++part) workers.emplace_back(runPart, part);
    runPart(0);
    for (std::thread& worker : workers) worker.join();
    if (stop || (progress != nullptr && progress->CancelRequested())) {
        throw EngineError(kCancelled, ErrorKind::Cancelled);
    }
    if (progress != nullptr)
        progress->Progress(static_cast<std::int64_t>(records), static_cast<std::int64_t>(records));
    return found;
}

std::int64_t ListingCache::CountMatches(const CompiledExpression& expression, ProgressSink* progress,
                                        unsigned threads) const {
    std::int64_t count = 0;
    for (const auto& part : MatchingIndexes(expression, progress, threads))
        count += static_cast<std::int64_t>(part.size());
    return count;
}

std::vector<std::int64_t> ListingCache::MatchingPositions(const CompiledExpression& expression,
                                                          ProgressSink* progress, unsigned threads) const {
    std::vector<std::int64_t> matches;
    for (const auto& part : MatchingIndexes(expression, progress, threads)) {
        for (std::uint32_t index : part) matches.push_back(positions_[index]);
    }
    return matches;
}

}  // namespace vantor
