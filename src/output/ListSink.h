#pragma once
// Where a finished list goes: a file, written whole or not at all (FileSink), or a string, the
// preview (StringSink). A list is a document: its text, maybe further files to go beside it, and
// whether it is a script to be made executable.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gamedata/Outcome.h"

namespace vantor {

inline constexpr const char* kOutputOpenError = "Error opening output file for write!?";
inline constexpr const char* kOutputWriteError = "Error writing output file!?";
inline constexpr const char* kOutputIsInput = "Can't write the list over a file it is made from:\r\n";
inline constexpr const char* kOutputsCollide = "Two files of this save are one and the same:\r\n";
inline constexpr const char* kOutputIsMasterFile =
    "Can't write the list over the master file it is made from:\r\n";
inline constexpr const char* kChooseAnotherName = "\r\nPlease choose another name!?";
inline constexpr const char* kScriptNotExecutable =
    "The script was written, but it could not be made executable!?";

// What a save that was written made: the games the list holds. A failed save says why in its
// outcome's message, and nothing was written; a written one may carry notes (the script could
// not be made executable).
struct SavedGames {
    std::int64_t games = 0;
};

struct CompanionFile {
    std::string name;  // relative to the list's folder
    std::string bytes;
};

struct ListDocument {
    std::string text;
    std::vector<CompanionFile> companions;
    bool executable = false;
    std::int64_t games = 0;      // the entries that wrote something
    std::vector<Message> notes;  // for the outcome of a save that is written
};

class ListSink {
  public:
    virtual ~ListSink() = default;
    // Before any work, so that a long list is not built for nothing: a failure when the list
    // cannot go there, `masterFile` (the file the list is made from) included.
    [[nodiscard]] virtual Outcome<> Prepare(const std::string& masterFile) = 0;
    // The preview: formats that cannot show their text refuse it.
    virtual bool IsPreview() const = 0;
    // The list there now, for a format that updates a list rather than replacing it; false when
    // there is none. Throws EngineError when there is one that cannot be read: it is not to be
    // mistaken for none and replaced.
    [[nodiscard]] virtual bool ReadCurrent(std::string& text) const = 0;
    // Takes the finished list, whole or not at all.
    [[nodiscard]] virtual Outcome<SavedGames> Take(ListDocument& document) = 0;
    // The file the list goes to; "" for the preview.
    virtual std::string TargetPath() const { return {}; }
};

// The files are written as AtomicOutputFile writes them (whole, through symlinks, "-" as standard
// output) and put in place together: a failure or a stop leaves every earlier file as it was.
// Companion files go beside the list, or into a folder below its own, made when missing. No file
// of the save may be the master file or another input, nor two of them one file.
class FileSink : public ListSink {
  public:
    explicit FileSink(std::string path) : path_(std::move(path)) {}
    [[nodiscard]] Outcome<> Prepare(const std::string& masterFile) override;
    bool IsPreview() const override { return false; }
    [[nodiscard]] bool ReadCurrent(std::string& text) const override;
    [[nodiscard]] Outcome<SavedGames> Take(ListDocument& document) override;
    std::string TargetPath() const override { return path_; }
    const std::string& Path() const { return path_; }
    // A file the list is made from besides the master file (the list it was loaded from).
    void ProtectInput(std::string path) { inputs_.push_back(std::move(path)); }
    // Another file put in place with the list (a report of the same run).
    void AddFile(std::string path, std::string bytes) {
        extras_.push_back({std::move(path), std::move(bytes)});
    }

  private:
    // The path of a companion, or "" when its name would leave the list's folder.
    std::string CompanionPath(const std::string& name) const;
    // Why the file at `path` may not be written: an input, or "" when it may.
    std::string InputProblem(const std::string& path) const;
    std::string path_;
    std::vector<std::string> inputs_;  // the master file first
    std::vector<CompanionFile> extras_;
};

class StringSink : public ListSink {
  public:
    // `current`: what a format that updates a list finds there.
    explicit StringSink(std::string current = {}) : current_(std::move(current)) {}
    [[nodiscard]] Outcome<> Prepare(const std::string&) override { return Outcome<>::Made(); }
    bool IsPreview() const override { return true; }
    [[nodiscard]] bool ReadCurrent(std::string& text) const override;
    [[nodiscard]] Outcome<SavedGames> Take(ListDocument& document) override;
    const std::string& Text() const { return document_.text; }
    const ListDocument& Document() const { return document_; }

  private:
    std::string current_;
    ListDocument document_;
};

// Adds the executable bits wherever the file may be read (a saved shell script).
[[nodiscard]] bool MarkExecutable(const std::string& path);

}  // namespace vantor
