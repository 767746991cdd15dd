// Every format on a small master file of every input type, against files written by hand; every
// format with a preview must hand back exactly the bytes it saves.
#include <gtest/gtest.h>

#include <algorithm>

#include "OutputTestSupport.h"
#include "output/CsvColumns.h"

namespace vantor {
namespace {

struct Fixture {
    const char* file;
    std::vector<std::string> rows;  // ROM names in working-list order
};

const std::map<std::string, Fixture>& Fixtures() {
    static const std::map<std::string, Fixture> fixtures = {
        // Sorted by Name (so not in file order), with one game in two adjacent rows.
        {"merged", {"merged.xml", {"lbreak", "pacman", "pacman", "puckman", "sf2", "cdgame"}}},
        {"mamegame", {"mamegame.xml", {"mspacman", "twoyear"}}},  // file order
        {"dat", {"dat.xml", {"1943kai", "1942"}}},
        {"software", {"software.xml", {"smb", "smbj"}}},
        {"machine", {"machine.xml", {"unkgame", "1942a", "1942"}}},
        {"noheader", {"noheader.xml", {"first", "second"}}},
    };
    return fixtures;
}

struct GoldenCase {
    GoldenCase(std::string f, ListFormat fmt, std::string g, bool hide = false, std::string v = "")
        : fixture(std::move(f)), format(fmt), golden(std::move(g)), hideTags(hide), variant(std::move(v)) {}
    std::string fixture;
    ListFormat format;
    std::string golden;  // file in tests/data/output/golden
    bool hideTags;
    std::string variant;  // extra option set, see OptionsFor
};

std::string CaseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.fixture + "_" + FormatInfo(info.param.format).cliName;
    if (info.param.hideTags) name += "_hidetags";
    if (!info.param.variant.empty()) name += "_" + info.param.variant;
    std::replace(name.begin(), name.end(), '-', '_');  // es-de
    return name;
}

std::vector<GoldenCase> AllCases() {
    std::vector<GoldenCase> cases;
    for (const char* fixture : {"merged", "mamegame", "dat", "software", "machine"}) {
        for (const ListFormatInfo& info : ListFormatTable()) {
            std::string golden = std::string(fixture) + "." + info.cliName;
            if (info.format == ListFormat::MultiFe) golden = std::string(fixture) + ".xml";
            if (info.format == ListFormat::Mala) golden += ".hex";
            cases.emplace_back(fixture, info.format, golden);
        }
    }
    cases.emplace_back("noheader", ListFormat::Xml, "noheader.xml");
    cases.emplace_back("noheader", ListFormat::MultiFe, "noheader.xml");
    for (ListFormat format : {ListFormat::HyperSpin, ListFormat::Batch, ListFormat::Descriptions}) {
        cases.emplace_back("merged", format,
                           std::string("merged.") + FormatInfo(format).cliName + ".hidetags", true);
    }
    cases.emplace_back("merged", ListFormat::Mala, "merged.mala.hidetags.hex", true);
    // The CSV description column is read without hiding tags.
    cases.emplace_back("merged", ListFormat::Csv, "merged.csv", true);
    cases.emplace_back("merged", ListFormat::Csv, "merged.csv.picked", false, "picked");
    cases.emplace_back("merged", ListFormat::EsDe, "merged.es-de.hidetags", true);
    cases.emplace_back("merged", ListFormat::EsBatocera, "merged.batocera.media", false, "media");
    return cases;
}

ListOptions OptionsFor(const GoldenCase& c) {
    ListOptions options;
    options.Set(ListOption::RomFolder, "/roms/");
    // The golden batch files are the Windows form.
    options.Set(ListOption::WindowsBatch);
    if (c.fixture == "merged") {
        options.Set(ListOption::Title, c.format == ListFormat::Cabrio ? "My Games" : "Arcade Classics");
        options.Set(ListOption::LogoFolder, "/img/logos/");
        options.Set(ListOption::BackgroundFolder, "bg");
        options.Set(ListOption::Template, "copy %ROM%.zip c:\\mame\\roms|rem %DESC% [%CHD%]");
    } else if (c.fixture == "machine" && c.format == ListFormat::Mala) {
        options.Set(ListOption::Title, "M");
    }
    if (c.variant == "media") {
        options.Set(ListOption::Media);
        options.Set(ListOption::RomExtension, ".7z");
    }
    if (c.variant == "picked") {
        options.Set(ListOption::Columns, "version-added,description,controls,chd,year");
        options.Set(ListOption::Delimiter, ", ");
        options.Set(ListOption::NoHeader);
    } else {
        std::vector<const CsvColumn*> columns;
        for (const CsvColumn& column : CsvColumns()) columns.push_back(&column);
        options.Set(ListOption::Columns, CsvColumnList(columns));
    }
    return options;
}

void PrintTo(const GoldenCase& c, std::ostream* out) {
    *out << c.golden;
}

class ListWriterGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ListWriterGoldenTest, MatchesTheHandWrittenFile) {
    const GoldenCase& c = GetParam();
    const Fixture& fixture = Fixtures().at(c.fixture);
    Catalog master;
    master.display.hideTags = c.hideTags;
    test::OpenMaster(master, test::FixturePath(std::string("output/") + fixture.file));
    const SaveRequest request{c.format, test::KeysOf(master, fixture.rows), OptionsFor(c)};

    std::string expected = test::ReadFileBytes(test::FixturePath("output/golden/" + c.golden));
    ASSERT_FALSE(expected.empty()) << c.golden;
    if (c.format == ListFormat::Mala) expected = test::ParseMalaNotation(expected);

    test::TempDir dir;
    FileSink file(dir.File("list.out"));
    const Outcome<SavedGames> outcome = SaveList(master, request, file);
    ASSERT_TRUE(outcome.Done()) << test::FirstMessage(outcome);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(test::ReadFileBytes(file.Path()), expected);
    // Every XML list of an XML master file is XML (the master file without a header is not).
    if (expected.starts_with("<") && c.fixture != "noheader") {
        EXPECT_EQ(test::XmlProblems(file.Path()), "");
    }

    StringSink preview;
    EXPECT_EQ(SaveList(master, request, preview).Done(), FormatInfo(c.format).hasPreview);
    if (FormatInfo(c.format).hasPreview) {
        EXPECT_EQ(preview.Text(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ListWriterGoldenTest, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace
}  // namespace vantor
