#include "SearchDriver.h"

#include <algorithm>
#include <vector>

#include "CompiledExpression.h"
#include "RecordScan.h"
#include "gamedata/TextUtil.h"

namespace vantor {

std::vector<MatchEntry> ScanForMatches(const Catalog& catalog, const std::string& text,
                                       ProgressSink* progress, const ScanSplit& split) {
    CompiledExpression expression(text, catalog.outsideFacts.get());
    const bool everyRecord = expression.MatchesEveryRecord();
    const RecordFields fields = catalog.Fields();
    return ScanRecords<MatchEntry>(catalog, progress, split, [&] {
        return [&expression, everyRecord, &fields, prepared = PreparedRecord()](
                   std::int64_t position, std::string_view record, std::vector<MatchEntry>& out) mutable {
            if (!everyRecord) {
                prepared.Assign(record);
                if (!expression.Matches(prepared)) return;
            }
            out.push_back(MakeMatchEntry(fields, position, record));
        };
    });
}

namespace {

// Longest common subsequence, two rows of counters over the first text.
std::size_t LongestCommonSubsequence(std::string_view first, std::string_view second) {
    std::vector<std::size_t> previous(first.size() + 1, 0), current(first.size() + 1, 0);
    for (char c : second) {
        for (std::size_t j = 1; j <= first.size(); ++j) {
            current[j] = first[j - 1] == c ? previous[j - 1] + 1 : std::max(current[j - 1], previous[j]);
        }
        std::swap(previous, current);
    }
    return previous[first.size()];
}

}  // namespace

float DescriptionSimilarity(std::string_view query, std::string_view description) {
    if (query.empty() || description.empty()) return 0.0f;
    float forward =
        static_cast<float>(LongestCommonSubsequence(query, description)) / static_cast<float>(query.size());
    float backward = static_cast<float>(LongestCommonSubsequence(description, query)) /
                     static_cast<float>(description.size());
    return forward + backward;
}

namespace {

// A game ROM Search found, with what ranks it: first the descriptions that hold the query whole,
// then those that hold each of its words, then those that only resemble it; within each, the
// closer the description's title (the text before its tags) is to the query, the sooner. A long
// tag such as "(World 910522)" thus no longer puts "Street Fighter" below "Star Fighter".
struct RankedMatch {
    MatchEntry entry;
    int tier = 0;
    float likeness = 0.0f;
};

int MatchTier(std::string_view description, std::string_view query) {
    if (Contains(description, query)) return 0;
    std::size_t at = 0;
    while (at < query.size()) {
        const std::size_t end = std::min(query.find(' ', at), query.size());
        if (end > at && !Contains(description, query.substr(at, end - at))) return 2;
        at = end + 1;
    }
    return 1;
}

std::string_view TitleOf(std::string_view description) {
    std::string_view title = description.substr(0, description.find('('));
    while (!title.empty() && title.back() == ' ') title.remove_suffix(1);
    return title.empty() ? description : title;
}

}  // namespace

std::vector<MatchEntry> RomSearch(const Catalog& catalog, const std::string& text, ProgressSink* progress,
                                  const ScanSplit& split) {
    const std::string query = ToLowerAscii(text);
    const RecordFields fields = catalog.Fields();
    std::vector<RankedMatch> found = ScanRecords<RankedMatch>(catalog, progress, split, [&] {
        return
            [&query, &fields](std::int64_t position, std::string_view record, std::vector<RankedMatch>& out) {
                std::string description = ToLowerAscii(fields.GetDescription(record));
                // The sum is a float, compared as the double 1.2 is.
                float similarity = DescriptionSimilarity(query, description);
                if (!(static_cast<double>(similarity) > 1.2) && !Contains(description, query)) return;
                out.push_back({MakeMatchEntry(fields, position, record), MatchTier(description, query),
                               DescriptionSimilarity(query, TitleOf(description))});
            };
    });
    // Games that rank alike stay in file order.
    std::stable_sort(found.begin(), found.end(), [](const RankedMatch& a, const RankedMatch& b) {
        return a.tier != b.tier ? a.tier < b.tier : a.likeness > b.likeness;
    });
    std::vector<MatchEntry> entries;
    entries.reserve(found.size());
    for (RankedMatch& match : found) entries.push_back(std::move(match.entry));
    return entries;
}

}  // namespace vantor
