// The main window's live count on a master file: the records are prepared once, then every change
// of the criteria is counted from memory. Prints the time the preparation took, the slowest and
// the median count over the start-up criteria and each single change from them, and the peak
// resident memory, for bench/run.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "search/CompiledExpression.h"
#include "search/CriteriaModel.h"
#include "search/InputCheck.h"
#include "search/ListingCache.h"
#include "search/SearchText.h"

using namespace vantor;

namespace {
double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_live_count MASTERFILE MACROFILE\n");
        return 2;
    }
    Catalog catalog;
    Outcome<InputCheck> check = OpenInputFile(catalog, argv[1]);
    if (!check.Done()) return 1;
    auto start = std::chrono::steady_clock::now();
    auto cache = ListingCache::Build(catalog);
    const double prepare = Since(start);

    CriteriaModel model;
    model.ApplyInputCheck(check);
    std::vector<std::string> texts;
    model.ApplyInitialState();
    texts.push_back(model.FindText());
    for (const CriterionInfo& info : CriteriaControls()) {
        model.ApplyInitialState();
        if (info.kind == CriterionKind::Combo ? model.SetComboIndex(info.key, 1) : model.Click(info.key)) {
            texts.push_back(model.FindText());
        }
    }
    std::vector<double> times;
    const std::clock_t cpuStart = std::clock();
    for (const std::string& text : texts) {
        start = std::chrono::steady_clock::now();
        // What the window does after a change: prepare the text, compile it, count.
        std::string expression = PrepareSearchText(text, argv[2]);
        (void)cache->CountMatches(CompiledExpression(expression));
        times.push_back(Since(start));
    }
    std::sort(times.begin(), times.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpuPerCount = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC /
                               static_cast<double>(times.size());
    std::printf("%.0f %.0f %.0f %zu %ld %.0f\n", prepare, times.back(), times[times.size() / 2], times.size(),
                usage.ru_maxrss / 1024, cpuPerCount);
    return 0;
}
