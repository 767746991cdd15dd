#pragma once
// The master file's records held in memory, prepared once (entities decoded, quotes removed,
// lower-cased with a bit per capital), so
// that the main window can count the matches of an expression while the user ticks and types:
// a count reads no file and cuts no record, it only tests. Holds about the file's size in memory.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/ProgressSink.h"

namespace vantor {

class CompiledExpression;

class ListingCache {
  public:
    // Every complete record of the catalog's file, as a scan reads them. Throws EngineError of kind
    // Cancelled when the progress sink asks to stop.
    static std::shared_ptr<const ListingCache> Build(const Catalog& catalog,
                                                     ProgressSink* progress = nullptr);

    std::size_t RecordCount() const { return positions_.size(); }
    // The records that `expression` matches; `threads` 0: one per processor. Throws EngineError of
    // kind Cancelled when the progress sink asks to stop.
    std::int64_t CountMatches(const CompiledExpression& expression, ProgressSink* progress = nullptr,
                              unsigned threads = 0) const;
    // Their record positions, in file order.
    std::vector<std::int64_t> MatchingPositions(const CompiledExpression& expression,
                                                ProgressSink* progress = nullptr, unsigned threads = 0) const;
    // The size of the file it was built from, and its path: a cache is valid for that file only.
    const std::string& Path() const { return path_; }
    std::int64_t FileSize() const { return fileSize_; }

  private:
    // Every record's text without its quotes, lower-cased, one after the other; a bit per byte
    // tells the capitals, so that phrases still see the text as written.
    std::string text_;
    std::vector<std::uint64_t> upperBits_;
    std::vector<std::uint64_t> starts_;  // where each record's text begins in text_; one more at the end
    std::vector<std::int64_t> positions_;
    std::string path_;
    std::int64_t fileSize_ = 0;

    // Calls `keep(index)` for every matching record, records split among threads in order.
    std::vector<std::vector<std::uint32_t>> MatchingIndexes(const CompiledExpression& expression,
                                                            ProgressSink* progress, unsigned threads) const;
};

}  // namespace vantor
