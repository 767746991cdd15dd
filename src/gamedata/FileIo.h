#pragma once
// Whole-file reading and writing. Files are written completely or not at all: the text goes to
// a temporary file beside the target, which is then put in its place; several files of one job
// are put in place together or not at all.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantor {

class AtomicOutputFile;

// Commits every file, or none: all are written and synced first, then put in place one after
// the other; a failure (or a stop request) on the way puts back what was already placed. False
// with the failing file's Problem() set; throws EngineError (Cancelled) when asked to stop.
[[nodiscard]] bool CommitFiles(std::span<AtomicOutputFile* const> files);

// The most a file read whole may hold (a list, an old list, a data file): more is refused rather
// than read until memory runs out.
inline constexpr std::int64_t kWholeFileLimit = std::int64_t{1} << 30;

// An output file that appears under its name only when Commit() succeeds: the bytes go to a
// temporary file in the target's folder, which is put in its place at the end. A failed or
// abandoned write leaves any earlier file of that name untouched. A symlink is written through
// (the link stays, the file it names is replaced); "-" and the file standard output goes to are
// standard output; a character device or a FIFO is written directly, as it comes.
class AtomicOutputFile {
  public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // False, with Problem() saying why, when the file cannot be made (no such folder, no
    // permission, a folder of that name, a FIFO nobody reads, a block device).
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Bytes unchanged. Throws EngineError (Cancelled) when the program was asked to stop.
    void Write(std::string_view bytes);
    // Windows text mode: every LF is stored as CR LF.
    void WriteText(std::string_view text);
    // False when any write failed or the file could not be put in place; the temporary file is
    // gone then. Throws EngineError (Cancelled) when the program was asked to stop first.
    bool Commit();
    void Discard();
    bool Failed() const { return failed_; }
    std::int64_t BytesWritten() const { return written_ + static_cast<std::int64_t>(buffer_.size()); }
    // What went wrong, naming the file ("list.xml: No space left on device"); "" when nothing did.
    const std::string& Problem() const { return problem_; }
    // The path as given to Open().
    const std::string& Path() const { return path_; }

  private:
    friend bool CommitFiles(std::span<AtomicOutputFile* const> files);
    void Flush();
    void Fail(const std::string& reason);
    // Written and closed, and synced with `sync` (else its write-back is only started, for a sync
    // of the whole set); false on a failure.
    bool Finish(bool sync);
    // Takes the target's name; an earlier file then lies at the temporary name where it can.
    bool Place();
    // Puts the earlier file back (or removes a file that was new).
    void PutBack();
    void ForgetTemporary();

    int fd_ = -1;
    bool direct_ = false;  // written straight into the target: standard output, a device, a FIFO
    bool ownsFd_ = false;  // false for standard output, which stays open
    bool failed_ = false;
    bool swapped_ = false;   // Place() exchanged the files: the old one is at the temporary name
    bool replaced_ = false;  // Place() renamed over an old file that cannot be put back
    bool placed_ = false;
    std::string path_;
    std::string target_;  // the file that takes the bytes: the path with its symlinks followed
    std::string tempPath_;
    void* tempSlot_ = nullptr;  // its entry among the temporaries a signal removes
    std::string buffer_;
    std::string problem_;
    std::int64_t written_ = 0;
    std::int64_t synced_ = 0;        // bytes whose write-back to the disk has been started
    unsigned long long device_ = 0;  // the file system of a file finished without its sync
};

// Opens a regular file for reading without blocking (a FIFO is refused, not waited for): the
// descriptor, or -1 with `problem` (when given) saying why, naming the file. `size` is its size.
int OpenReadableFile(const std::string& path, std::int64_t& size, std::string* problem = nullptr);
// Reads the whole regular file, at most `limit` bytes; false (with `problem` when given) when it
// cannot be opened or read or holds more. Throws EngineError (Cancelled) when the program was
// asked to stop.
bool ReadWholeFile(const std::string& path, std::string& text, std::string* problem = nullptr,
                   std::int64_t limit = kWholeFileLimit);
// Windows text-mode reading: CR LF becomes LF.
bool ReadTextFile(const std::string& path, std::string& text, std::string* problem = nullptr);
// Writes the bytes as they are; false (and the target untouched) when anything fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* problem = nullptr);
// A plain check before long work that a file can be written at `path`: "" when it can, else why
// not, naming the file. The write itself has the last word.
std::string WriteProblem(const std::string& path);
// Windows text-mode writing: every LF is stored as CR LF.
bool WriteTextFileAtomically(const std::string& path, std::string_view text);

std::string CrLfToLf(std::string_view text);
std::string LfToCrLf(std::string_view text);

bool FileExists(const std::string& path);
// Whether both paths name one existing file (the same device and inode, so "./a.xml", "a.xml",
// a symlink and a hard link to it are all the same file). "-" is standard output.
bool IsSameFile(const std::string& first, const std::string& second);
// Equal for two paths that write the same file: the device and inode of an existing file (through
// symlinks), or of the folder of one still to be made and its name. "-" is standard output.
std::string OutputIdentity(const std::string& path);
// The path with the symlinks of its last part followed, as a write goes through them.
std::string FollowLinks(const std::string& path);
bool IsDirectory(const std::string& path);
bool MakeDirectories(const std::string& path);

// A program whose signals ask it to stop registers the question here: long reads and writes poll
// it, and files being put in place are put back when it says yes.
void SetStopRequestCheck(bool (*check)());
bool StopRequested();
// Asked at the moment a job's files are all in place, before they count as written: false puts
// them back (the program is being ended), true makes the job's end its own.
void SetCommitCheck(bool (*check)());
// For a signal handler (async-signal-safe): removes every temporary file being written. Not while
// PlacingFiles(): the temporaries hold the earlier files then.
void RemoveTemporaryFiles() noexcept;
bool PlacingFiles() noexcept;

}  // namespace vantor
