#pragma once
// The list writers: each turns a key list (record keys, each followed by "|") into one list file
// of its format. Every writer reads each listed record once at its key, builds the whole text in
// memory and writes it at once, so a file is either complete or untouched. Given the preview
// marker as file name, a writer hands the text back in `fileName` instead of writing it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gamedata/Catalog.h"
#include "gamedata/CsvFields.h"
#include "gamedata/UserInterface.h"

namespace vantor {

// A file name no save dialog returns: "give me the text".
inline constexpr const char* kPreviewMarker = "V*N";
inline constexpr const char* kOutputOpenError = "Error opening output file for write!?";
inline constexpr const char* kOutputIsMasterFile =
    "Can't write the list over the master file it is made from:\r\n";
inline constexpr const char* kChooseAnotherName = "\r\nPlease choose another name!?";
inline constexpr const char* kMameUifxHeader =
    "[FOLDER_SETTINGS]\r\nRootFolderIcon cust1\r\nSubFolderIcon cust2\r\n\r\n[ROOT_FOLDER]\r\n";
// "Batch File" comes in two forms: a shell script (LF line ends, executable) and a Windows batch
// file (CR LF), each with a default template of its own.
enum class BatchForm { Shell, Windows };
inline constexpr const char* kShellBatchTemplate = "cp \"%ROM%.zip\" ~/roms/";
inline constexpr const char* kWindowsBatchTemplate = "copy %ROM%.zip c:\\mame\\roms";
inline constexpr const char* kShellScriptFirstLine = "#!/bin/sh\n";
inline constexpr const char* kScriptNotExecutable =
    "The script was written, but it could not be made executable!?";

inline bool IsPreviewMarker(std::string_view fileName) {
    return fileName == kPreviewMarker;
}

// What the list-title dialog hands the MaLa writer; only the two titles are written.
struct MalaListOptions {
    std::string listTitle;
    std::string listSubtitle;
    std::string extraText1;
    std::string extraText2;
    std::string secondText;
    std::uint8_t flags = 0;
};

// The CSV choice: `columnKeys` each followed by ",", in output order; `headerLine` is the
// headings joined by the delimiter, or "" for no header line. A column key may name several keys
// joined by "|": the column takes the first real value among them (the merge's "no_..." texts for
// a game a data file does not know count only when nothing else is there).
struct CsvListOptions {
    std::string columnKeys;
    std::string delimiter = ";";
    std::string headerLine;
};

// One game record as the writers see it, with what was found in it so far (its lower-cased copy,
// where its "<" and "=" stand, its description), so that the fields of one row never make the
// record be lower-cased or searched again for the same thing.
class ListedRecord {
  public:
    // Values of different keys are joined by `separator` (a CSV delimiter), which inside a value
    // becomes "_".
    ListedRecord(const RecordFields& fields, const std::string& separator)
        : fields_(fields), separator_(separator) {}
    // `text` as a read with an empty start key returns it.
    ListedRecord(const RecordFields& fields, const std::string& separator, std::string text)
        : fields_(fields), separator_(separator), body_(std::move(text)) {}

    // The buffer for the next record's text. With `lineFeed` the record stands for a line feed
    // followed by that text (so the text need not be copied behind one). Buffers are reused.
    std::string& Renew(bool lineFeed) {
        lineFeed_ = lineFeed;
        Changed();
        return body_;
    }
    // To be called after the text was changed in place: what was found in it is forgotten.
    void Changed() {
        lowered_ = described_ = false;
        tagsFound_ = equalsFound_ = false;
        attributeKeys_ = 0;
    }
    void AppendText(std::string& out) const {
        if (lineFeed_) out += '\n';
        out += body_;
    }
    // All occurrences of the key list's keys from the start of the record.
    std::string Value(std::string_view keyList) const;
    std::string RomName() const;
    std::string Description() const;
    int InputType() const { return fields_.InputType(); }

  private:
    const std::string& Lower() const;
    // Whether the leading line feed changes what `keyList` finds (see Value).
    bool NeedsLineFeed(std::string_view keyList) const;
    // For a single element key ("<year>") or attribute key ("cloneof="): how often it can occur
    // (0, 1, or 2 for "more"), and where the one occurrence is; -1 for keys of other kinds.
    int CountKey(std::string_view key, std::size_t& where) const;
    const std::vector<std::uint32_t>& Offsets(char c) const;

    const RecordFields& fields_;
    const std::string& separator_;
    bool lineFeed_ = false;
    std::string body_;
    mutable std::string lower_;
    mutable bool lowered_ = false;
    // Offsets of every "<" and every "=" of the record, found when first needed.
    mutable std::vector<std::uint32_t> tagStarts_, equalSigns_;
    mutable bool tagsFound_ = false, equalsFound_ = false;
    mutable int attributeKeys_ = 0;  // attribute keys asked for so far
    mutable std::string description_;
    mutable bool described_ = false;
};

class ListWriter {
  public:
    // The keys belong to the catalog's master file; `ui` hears about files that cannot be written
    // and sees the progress. Each writer starts from an empty text and no separator.
    ListWriter(const Catalog& catalog, UserInterface& ui)
        : catalog_(catalog),
          file_(catalog.file),
          fields_(catalog.Fields()),
          reader_(catalog.Reader()),
          ui_(ui) {}

    // With it the games come out sorted by Name (the description as the working list shows it,
    // compared as the list sorts), stably in key-list order, whatever the order of the keys. So a
    // caller that has the keys of every game in file order need not read all names first: the
    // writer reads them anyway.
    void SortByName(bool on) { sortByName_ = on; }
    // The games the last list counted.
    std::int64_t Count() const { return count_; }

    // Every writer returns false when its file could not be written; the user has then been
    // told, and no file was created or changed.
    bool WriteXmlList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteHyperSpinList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteCabrioList(std::string& fileName, std::string_view keyList, std::int64_t count,
                         const std::string& listTitle, const std::string& logoFolder,
                         const std::string& screenshotFolder, const std::string& backgroundFolder);
    bool WriteMaximusList(std::string fileName, const std::string& romFolder, std::string_view keyList,
                          std::int64_t count);
    bool WriteMGalaxyList(std::string fileName, const std::string& romFolder, std::string_view keyList,
                          std::int64_t count);
    bool WriteKhameleonList(std::string& fileName, std::string_view keyList, std::int64_t count,
                            const std::string& listTitle);
    bool WriteAdvanceMenuList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteRomNameList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteAtomicFeList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteMameUifxList(std::string& fileName, const std::string& headerText, std::string_view keyList,
                           std::int64_t count);
    // The shell form escapes $ ` " and \\ in the values (for use inside double quotes) and makes
    // the file executable.
    bool WriteBatchList(std::string& fileName, std::string_view keyList, std::int64_t count,
                        const std::string& lineTemplate, BatchForm form = BatchForm::Shell);
    // A value holding the delimiter, a double quote or a line break is quoted as CSV quotes (the
    // quotes inside doubled).
    bool WriteCsvList(std::string& fileName, std::string_view keyList, std::int64_t count,
                      const CsvListOptions& options);
    bool WriteMalaList(std::string fileName, const MalaListOptions& options, std::string_view keyList,
                       std::int64_t count);
    bool WriteAttractModeList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteMameWahList(std::string& fileName, std::string_view keyList, std::int64_t count);
    bool WriteDescriptionList(std::string& fileName, std::string_view keyList, std::int64_t count);

    // Each listed record, read at its key, is handed to `entry`, which appends the game's text to
    // `out` and says whether the game counts; the texts reach the list's text in list order. The record
    // comes entity-decoded, for its values, or with `raw` as the bytes of the file, to be copied
    // into an XML file as it stands.
    using EntryFunction = std::function<bool(const ListedRecord& record, std::string& out)>;
    void AppendEntries(std::string_view keyList, std::int64_t count, bool raw, const EntryFunction& entry);

  private:
    // False (after telling the user) when `fileName` plainly cannot be written; checked before
    // any work so that a long list is not built for nothing.
    bool CheckTarget(const std::string& fileName);
    // Preview: the text goes back in `fileName`. Otherwise the file is written whole.
    bool Finish(std::string& fileName, std::string_view bytes);
    bool WriteTarget(const std::string& fileName, std::string_view bytes);
    void Begin();
    // The record at `position` as read with an empty start key; true when that is a line feed
    // followed by `text`, false when it is `text` itself.
    bool ReadListedText(std::int64_t position, std::string& text, RecordText form);
    bool WriteRomNames(std::string& fileName, std::string_view header, std::string_view lineEnd,
                       std::string_view keyList, std::int64_t count);

    const Catalog& catalog_;
    const MasterFile& file_;
    const RecordFields fields_;
    RecordReader reader_;
    UserInterface& ui_;
    std::string text_;        // the list being built
    std::int64_t count_ = 0;  // the games in it
    std::string separator_;   // between the values of a row's keys
    std::string found_;       // the buffer records are read into, swapped with the record's
    bool sortByName_ = false;
};

// The offsets of the first `count` keys of a key list: each key is the text up to the next "|",
// read as hexadecimal with an optional "0x"; text that is not a number reads as 0.
std::vector<std::int64_t> ParseKeyList(std::string_view keyList, std::int64_t count);

// The working list's keys in row order, each followed by "|", a key equal to the one of the row
// before left out. Returns the number of keys.
std::int64_t BuildKeyList(const std::vector<std::string>& rowKeys, std::string& keyList);

}  // namespace vantor
