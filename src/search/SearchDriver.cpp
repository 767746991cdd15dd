#include "SearchDriver.h"

#include <algorithm>
#include <vector>

#include "CompiledExpression.h"
#include "RecordScan.h"
#include "gamedata/TextUtil.h"

namespace vantor {

std::vector<MatchEntry> ScanForMatches(const Catalog& catalog, const std::string& text,
                                       ProgressSink* progress, const ScanSplit& split) {
    CompiledExpression expression(text);
    const bool everyRecord = expression.MatchesEveryRecord();
    const RecordFields fields = catalog.Fields();
    return ScanRecords<MatchEntry>(catalog, progress, split, [&] {
        return [&expression, everyRecord, &fields, prepared = PreparedRecord(), lowerRecord = std::string()](
                   std::int64_t position, const std::string& record, std::vector<MatchEntry>& out) mutable {
            if (!everyRecord) {
                prepared.Assign(record);
                if (!expression.Matches(prepared)) return;
            }
            lowerRecord.assign(record);
            ToLowerAsciiInPlace(lowerRecord);
            out.push_back(MakeMatchEntry(fields, position, record, lowerRecord));
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

std::vector<MatchEntry> RomSearch(const Catalog& catalog, const std::string& text, ProgressSink* progress,
                                  const ScanSplit& split) {
    const std::string query = ToLowerAscii(text);
    const RecordFields fields = catalog.Fields();
    return ScanRecords<MatchEntry>(catalog, progress, split, [&] {
        return [&query, &fields, lowerRecord = std::string()](
                   std::int64_t position, const std::string& record, std::vector<MatchEntry>& out) mutable {
            lowerRecord.assign(record);
            ToLowerAsciiInPlace(lowerRecord);
            std::string description = ToLowerAscii(fields.GetDescription(record, lowerRecord));
            // The sum is a float, compared as the double 1.2 is.
            float similarity = DescriptionSimilarity(query, description);
            if (!(static_cast<double>(similarity) > 1.2) && !Contains(description, query)) return;
            out.push_back(MakeMatchEntry(fields, position, record, lowerRecord));
        };
    });
}

}  // namespace vantor
