#pragma once
// Pieces shared by the data-file utilities: their fixed messages, the log header, the output file
// that appears only when it is complete, the ROM-folder listing and the master-file index.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/FileIo.h"
#include "gamedata/MasterFile.h"
#include "gamedata/Outcome.h"
#include "gamedata/ProgressSink.h"
#include "gamedata/RecordReader.h"

namespace vantor {

inline constexpr const char* kUtilityOutputOpenError = "Error opening output file for write!?";
inline constexpr const char* kUtilityInputXmlOpenError = "Error opening input xml file for reading!?";
inline constexpr const char* kUtilityLogOpenError = "Error opening log output file for write!?";
// Our own texts for failures the utilities did not report before.
inline constexpr const char* kUtilityOutputWriteError = "Error writing output file!?";
inline constexpr const char* kUtilityRomFolderReadError = "Error reading the ROM folder!?";
inline constexpr const char* kUtilityOutputIsInput =
    "Can't write the output over a file that is being read:\r\n";
inline constexpr const char* kUtilityChooseAnotherName = "\r\nPlease choose another name!?";

// What a utility run makes. Its outcome is done when the output file was written completely
// (only then does `outputPath` become the settings' input file), a failure when any earlier file
// of that name is untouched, or cancelled (nothing written, no log, no message).
struct UtilityOutput {
    // The file the utility writes, as resolved (the Maximus converter's default included).
    std::string outputPath;
    // Game records written.
    std::int64_t games = 0;
    // The log written, or "" when there is none.
    std::string logPath;
};

// The first lines of every utility log: the title, then "\r\nFile created on:" with the local
// date and time.
std::string UtilityLogHeader(std::string_view title);

// Where a utility writes its log: "" means the current working directory.
std::string LogFilePath(const std::string& logFolder, const std::string& name);

struct RomFolderListing {
    bool readable = false;
    std::vector<std::string> paths;  // full paths, sorted by path case-insensitively
};
// The entries (not folders) of `folder` itself whose names end in one of `extensions` (".zip",
// ...), compared case-insensitively as Windows patterns are. `folder` ends in "/".
[[nodiscard]] RomFolderListing ListRomFiles(const std::string& folder,
                                            const std::vector<std::string>& extensions);
// A folder as the folder browser hands it on: with a "/" at the end.
std::string WithTrailingSlash(std::string folder);

// Opens `path` for writing unless it is one of `readFiles` (the utility would write over what it
// reads) or cannot be made; false after telling why in `outcome`.
[[nodiscard]] bool OpenOutputFile(const std::string& path, const std::vector<std::string>& readFiles,
                                  AtomicOutputFile& output, Outcome<UtilityOutput>& outcome);
// kUtilityOutputWriteError with the file and what went wrong.
std::string OutputWriteFailure(const AtomicOutputFile& output);

// The master file's games by ROM name, built by one pass over the file. FindRecordKey answers
// the question "where is the first record of this name" as a lookup.
class MasterFileIndex {
  public:
    // Reads every record of the catalog's file, reporting progress; false when cancelled.
    [[nodiscard]] bool Build(const Catalog& catalog, ProgressSink* progress = nullptr);
    // The position of the first record named `romName`, or -1.
    std::int64_t FindRecordKey(const std::string& romName) const;
    std::size_t Size() const { return positions_.size(); }

  private:
    std::unordered_map<std::string, std::int64_t> positions_;
};

// What the ROM scan and the list converters share: the master file they read, its index, and an
// output made of the master file's header, chosen records and the root closing tag.
class RecordExtract {
  public:
    Catalog input;
    MasterFileIndex index;

    // Opens the master file the records come from; false (told in `outcome`) when it cannot.
    [[nodiscard]] bool Open(const std::string& inputPath, Outcome<UtilityOutput>& outcome);
    // Copies the input's header to `output` (text mode) and remembers its root closing tag.
    void WriteHeader(AtomicOutputFile& output);
    // Reads the record at `position` (the first line holding `startKey` from there) and writes
    // its bytes as they stand; false when the read reached the end of the file.
    bool CopyRecord(AtomicOutputFile& output, std::int64_t position, std::string_view startKey);
    // A line end and the root closing tag.
    void WriteClosing(AtomicOutputFile& output);

  private:
    RecordReader reader_{UnknownInput};
    std::string rootCloseTag_;
    std::string record_;
};

// Opens a master file read by a utility and makes sure the input type is known: an undetected
// type is detected from this file, an unknown header counts as MameGame.
[[nodiscard]] bool OpenUtilityInput(Catalog& catalog, const std::string& path);

}  // namespace vantor
