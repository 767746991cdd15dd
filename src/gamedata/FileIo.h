#pragma once
// Whole-file reading and writing. Files are written completely or not at all: the text goes to
// a temporary file in the target's folder, which is then renamed over the target.
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// An output file that appears under its name only when Commit() succeeds: the bytes go to a
// temporary file in the same folder, which is renamed over the target at the end. A failed or
// abandoned write leaves any earlier file of that name untouched.
class AtomicOutputFile {
  public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // False when the temporary file cannot be made (no such folder, no permission, a folder of
    // that name).
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Bytes unchanged.
    void Write(std::string_view bytes);
    // Windows text mode: every LF is stored as CR LF.
    void WriteText(std::string_view text);
    // False when any write failed or the rename did not happen; the temporary file is gone then.
    bool Commit();
    void Discard();
    bool Failed() const { return failed_; }
    std::int64_t BytesWritten() const { return written_ + static_cast<std::int64_t>(buffer_.size()); }

  private:
    void Flush();

    int fd_ = -1;
    bool failed_ = false;
    std::string target_;
    std::string tempPath_;
    std::string buffer_;
    std::int64_t written_ = 0;
};

// Opens a file for reading (a folder is refused): the descriptor, or -1. `size` is the size of a
// regular file, 0 for anything else.
int OpenReadableFile(const std::string& path, std::int64_t& size);
// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& text);
// Windows text-mode reading: CR LF becomes LF.
bool ReadTextFile(const std::string& path, std::string& text);
// Writes the bytes as they are; false (and the target untouched) when anything fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// Windows text-mode writing: every LF is stored as CR LF.
bool WriteTextFileAtomically(const std::string& path, std::string_view text);

std::string CrLfToLf(std::string_view text);
std::string LfToCrLf(std::string_view text);

bool FileExists(const std::string& path);
// Whether both paths name one existing file (the same device and inode, so "./a.xml", "a.xml",
// a symlink and a hard link to it are all the same file).
bool IsSameFile(const std::string& first, const std::string& second);
bool IsDirectory(const std::string& path);
bool MakeDirectories(const std::string& path);

}  // namespace vantor
