#pragma once
// What the engine asks of its user: messages, files and folders, and a progress window.
// The desktop program answers with dialogs, vantor-cli from its options, tests from a script.
#include <cstdint>
#include <string>

#include "EngineError.h"

namespace vantor {

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    virtual void ShowMessage(MessageIcon icon, const std::string& text) = 0;

    // Each returns false when the user cancelled; `path` is pre-filled and receives the choice.
    virtual bool ChooseOpenFile(std::string& path, const std::string& filter,
                                const std::string& defaultExt) = 0;
    virtual bool ChooseSaveFile(std::string& path, const std::string& filter,
                                const std::string& defaultExt) = 0;
    virtual bool BrowseForFolder(std::string& path, const std::string& title) = 0;
    // The same file questions with the dialog's title. `filter` holds "description|pattern" pairs
    // joined by "|" ("xml files (*.xml)|*.xml"). The default asks without the title.
    virtual bool ChooseOpenFileTitled(std::string& path, const std::string& title, const std::string& filter,
                                      const std::string& defaultExt) {
        (void)title;
        return ChooseOpenFile(path, filter, defaultExt);
    }
    virtual bool ChooseSaveFileTitled(std::string& path, const std::string& title, const std::string& filter,
                                      const std::string& defaultExt) {
        (void)title;
        return ChooseSaveFile(path, filter, defaultExt);
    }

    // The progress window: two text lines and a bar of real progress (`done` of `total`).
    virtual void ProgressShow(const std::string& firstLine, const std::string& secondLine) = 0;
    virtual void ProgressSetTexts(const std::string& firstLine, const std::string& secondLine) = 0;
    virtual void ProgressUpdate(std::int64_t done, std::int64_t total) = 0;
    virtual void ProgressClose() = 0;
};

// Reports progress of a long job and carries the user's wish to stop it. The scans call it a
// few times a second, from the thread that started them; a job that sees CancelRequested()
// stops within a fraction of a second and throws EngineError of kind Cancelled.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void Progress(std::int64_t done, std::int64_t total) = 0;
    virtual bool CancelRequested() const { return false; }
};

}  // namespace vantor
