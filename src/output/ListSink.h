#pragma once
// Where a finished list goes: a file, written whole or not at all (FileSink), or a string, the
// preview (StringSink). A list is a document: its text, maybe further files to go beside it, and
// whether it is a script to be made executable.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gamedata/EngineError.h"

namespace vantor {

inline constexpr const char* kOutputOpenError = "Error opening output file for write!?";
inline constexpr const char* kOutputIsMasterFile =
    "Can't write the list over the master file it is made from:\r\n";
inline constexpr const char* kChooseAnotherName = "\r\nPlease choose another name!?";
inline constexpr const char* kScriptNotExecutable =
    "The script was written, but it could not be made executable!?";

enum class SaveStatus { Written, Failed, Cancelled };

struct SaveNote {
    MessageIcon icon;
    std::string text;
};

// What became of a save. A failed save says why in `message` (shown with `icon`); nothing was
// written then. A written one may carry notes (the script could not be made executable).
struct SaveOutcome {
    SaveStatus status = SaveStatus::Written;
    MessageIcon icon = MessageIcon::Exclamation;
    std::string message;
    std::vector<SaveNote> notes;
    std::int64_t games = 0;  // the games the list holds

    bool Written() const { return status == SaveStatus::Written; }
    static SaveOutcome Failure(std::string message, MessageIcon icon = MessageIcon::Exclamation) {
        SaveOutcome outcome;
        outcome.status = SaveStatus::Failed;
        outcome.icon = icon;
        outcome.message = std::move(message);
        return outcome;
    }
};

struct CompanionFile {
    std::string name;  // relative to the list's folder
    std::string bytes;
};

struct ListDocument {
    std::string text;
    std::vector<CompanionFile> companions;
    bool executable = false;
    std::int64_t games = 0;       // the entries that wrote something
    std::vector<SaveNote> notes;  // for the outcome of a save that is written
};

class ListSink {
  public:
    virtual ~ListSink() = default;
    // Before any work, so that a long list is not built for nothing: a failure when the list
    // cannot go there, `masterFile` (the file the list is made from) included.
    [[nodiscard]] virtual SaveOutcome Prepare(const std::string& masterFile) = 0;
    // The preview: formats that cannot show their text refuse it.
    virtual bool IsPreview() const = 0;
    // The list there now, for a format that updates a list rather than replacing it; false when
    // there is none.
    [[nodiscard]] virtual bool ReadCurrent(std::string& text) const = 0;
    // Takes the finished list, whole or not at all.
    [[nodiscard]] virtual SaveOutcome Take(ListDocument& document) = 0;
    // The file the list goes to; "" for the preview.
    virtual std::string TargetPath() const { return {}; }
};

// Each file goes to a temporary file in the target's folder, which is synced and renamed over the
// target (keeping the mode of the file it replaces); a failure leaves every earlier file as it
// was. Companion files go beside the list, or into a folder below its own, made when missing.
class FileSink : public ListSink {
  public:
    explicit FileSink(std::string path) : path_(std::move(path)) {}
    [[nodiscard]] SaveOutcome Prepare(const std::string& masterFile) override;
    bool IsPreview() const override { return false; }
    [[nodiscard]] bool ReadCurrent(std::string& text) const override;
    [[nodiscard]] SaveOutcome Take(ListDocument& document) override;
    std::string TargetPath() const override { return path_; }
    const std::string& Path() const { return path_; }

  private:
    // The path of a companion, or "" when its name would leave the list's folder.
    std::string CompanionPath(const std::string& name) const;
    std::string path_;
    std::string masterFile_;
};

class StringSink : public ListSink {
  public:
    // `current`: what a format that updates a list finds there.
    explicit StringSink(std::string current = {}) : current_(std::move(current)) {}
    [[nodiscard]] SaveOutcome Prepare(const std::string&) override { return {}; }
    bool IsPreview() const override { return true; }
    [[nodiscard]] bool ReadCurrent(std::string& text) const override;
    [[nodiscard]] SaveOutcome Take(ListDocument& document) override;
    const std::string& Text() const { return document_.text; }
    const ListDocument& Document() const { return document_; }

  private:
    std::string current_;
    ListDocument document_;
};

// Adds the executable bits wherever the file may be read (a saved shell script).
[[nodiscard]] bool MarkExecutable(const std::string& path);

}  // namespace vantor
