// explain on MAME's own listing, through the command: games spread over the whole file, each
// verdict against find's list for the start-up criteria.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>
#include <sstream>

#include "TestSupport.h"
#include "cli/CliCommand.h"

namespace vantor {
namespace {

TEST(FamilyCliRealTest, ExplainAgreesWithFindAcrossTheListing) {
    std::string listing = test::RealListXmlPath();
    if (listing.empty()) GTEST_SKIP() << "the real MAME listing has not been generated";
    test::TempDir config, data;
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    auto run = [&](std::vector<std::string> args, std::string& out) {
        args.insert(args.begin(), {"vantor-cli", "--input", listing});
        std::ostringstream o, e;
        std::istringstream in;
        int status = cli::RunVantorCli(args, o, e, in);
        out = o.str();
        return status;
    };
    auto names = [](const std::string& lines) {
        std::vector<std::string> list;
        std::istringstream stream(lines);
        for (std::string line; std::getline(stream, line);) {
            std::size_t bar = line.find('|');
            list.push_back(line.substr(bar + 1, line.find('|', bar + 1) - bar - 1));
        }
        return list;
    };
    std::string out, startUp;
    ASSERT_EQ(run({"criteria", "--initial"}, startUp), 0);
    startUp.pop_back();
    ASSERT_EQ(run({"list-all"}, out), 0);
    const std::vector<std::string> games = names(out);
    ASSERT_EQ(run({"find", startUp}, out), 0);
    const std::vector<std::string> found = names(out);
    const std::set<std::string> matched(found.begin(), found.end());
    // Every 1000th game, and every 50th of those find lists.
    std::vector<std::string> sample;
    for (std::size_t i = 0; i < games.size(); i += 1000) sample.push_back(games[i]);
    for (std::size_t i = 0; i < found.size(); i += 50) sample.push_back(found[i]);
    sample.push_back(games.back());
    for (const std::string& game : sample) {
        ASSERT_EQ(run({"explain", game, startUp}, out), 0) << game;
        EXPECT_TRUE(out.ends_with(matched.count(game) == 1 ? "\nverdict: match\n" : "\nverdict: no match\n"))
            << game << "\n"
            << out;
    }
}

}  // namespace
}  // namespace vantor
