#include "FileIo.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "EngineError.h"

namespace vantor {

namespace {

constexpr std::size_t kOutputBufferSize = 4 * 1024 * 1024;
// Writes and reads go in pieces this big, so that a stop request is seen between them.
constexpr std::size_t kIoStep = 1024 * 1024;
// The disk is asked to write back this much at a time, so that the final sync is short; the sync
// waits for this much at a time, so that a stop request is seen between the waits.
constexpr std::int64_t kWritebackStep = 8 * 1024 * 1024;
constexpr std::int64_t kSyncStep = 1024 * 1024;
// ".NAME.XXXXXX" must fit the longest file name a folder takes.
constexpr std::size_t kLongestFileName = NAME_MAX;
constexpr std::size_t kTemporaryNameExtra = 8;

std::atomic<bool (*)()> g_stopCheck{nullptr};
std::atomic<bool (*)()> g_commitCheck{nullptr};

// The temporaries being written, for a signal handler to remove: blocks of slots that are never
// freed, each slot holding a path or null. A path taken out of its slot is freed only while no
// removal runs, so the handler never reads freed memory.
struct TemporaryBlock {
    static constexpr std::size_t kSlots = 256;
    std::atomic<char*> slots[kSlots] = {};
    std::atomic<TemporaryBlock*> next{nullptr};
};
TemporaryBlock g_temporaries;
std::atomic<bool> g_removing{false};
std::atomic<int> g_placing{0};

std::atomic<char*>* RegisterTemporary(char* path) {
    for (TemporaryBlock* block = &g_temporaries;;) {
        for (std::atomic<char*>& slot : block->slots) {
            char* empty = nullptr;
            if (slot.load(std::memory_order_relaxed) == nullptr && slot.compare_exchange_strong(empty, path))
                return &slot;
        }
        TemporaryBlock* next = block->next.load();
        if (next == nullptr) {
            auto* fresh = new TemporaryBlock;
            if (!block->next.compare_exchange_strong(next, fresh)) {
                delete fresh;
            } else {
                next = fresh;
            }
        }
        block = next;
    }
}

void UnregisterTemporary(void*& slot) {
    if (slot == nullptr) return;
    char* path = static_cast<std::atomic<char*>*>(slot)->exchange(nullptr);
    if (!g_removing.load()) delete[] path;
    slot = nullptr;
}

bool StatPath(const std::string& path, struct stat& info) {
    if (path == "-") return ::fstat(STDOUT_FILENO, &info) == 0;
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::string Reason(int error) {
    return std::strerror(error);
}

std::string Named(const std::string& path, const std::string& reason) {
    return (path.empty() ? std::string("(no file name)") : path) + ": " + reason;
}

// What a file that is not a regular one is, for a message.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symlink";
    return "not a plain file";
}

std::string MegabytesText(std::int64_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}

// The name cut to `room` bytes, not inside a UTF-8 sequence.
std::string CutName(const std::string& name, std::size_t room) {
    if (name.size() <= room) return name;
    std::size_t end = room;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

void ThrowIfStopRequested() {
    if (StopRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
}

}  // namespace

void SetStopRequestCheck(bool (*check)()) {
    g_stopCheck = check;
}

void SetCommitCheck(bool (*check)()) {
    g_commitCheck = check;
}

bool StopRequested() {
    bool (*check)() = g_stopCheck.load();
    return check != nullptr && check();
}

void RemoveTemporaryFiles() noexcept {
    g_removing.store(true);
    for (TemporaryBlock* block = &g_temporaries; block != nullptr; block = block->next.load()) {
        for (std::atomic<char*>& slot : block->slots) {
            if (char* path = slot.load(); path != nullptr) ::unlink(path);
        }
    }
}

bool PlacingFiles() noexcept {
    return g_placing.load() > 0;
}

int OpenReadableFile(const std::string& path, std::int64_t& size, std::string* problem) {
    size = 0;
    auto fail = [&](const std::string& reason) {
        if (problem != nullptr) *problem = Named(path, reason);
        return -1;
    };
    if (path.empty()) return fail(Reason(ENOENT));
    // A FIFO opened without O_NONBLOCK would wait for a writer for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(Reason(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        return fail(S_ISREG(info.st_mode) || info.st_mode == 0
                        ? Reason(error)
                        : KindOf(info.st_mode) + ", not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size = static_cast<std::int64_t>(info.st_size);
    return fd;
}

bool ReadWholeFile(const std::string& path, std::string& text, std::string* problem, std::int64_t limit) {
    text.clear();
    std::int64_t size = 0;
    int fd = OpenReadableFile(path, size, problem);
    if (fd < 0) return false;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    auto tooLarge = [&] {
        if (problem != nullptr)
            *problem = Named(path, "larger than " + MegabytesText(limit) + ", more than any list holds");
        text.clear();
        return false;
    };
    if (size > limit) return tooLarge();
    text.reserve(static_cast<std::size_t>(size));
    std::string buffer(kIoStep, '\0');
    for (;;) {
        // Between pieces: a small file (the settings) is read before anything could stop it.
        if (!text.empty()) ThrowIfStopRequested();
        ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0) {
            // The file may grow while it is read.
            if (static_cast<std::int64_t>(text.size()) + got > limit) return tooLarge();
            text.append(buffer.data(), static_cast<std::size_t>(got));
        } else if (got == 0) {
            return true;
        } else if (errno != EINTR) {
            if (problem != nullptr) *problem = Named(path, Reason(errno));
            return false;
        }
    }
}

bool ReadTextFile(const std::string& path, std::string& text, std::string* problem) {
    if (!ReadWholeFile(path, text, problem)) return false;
    if (text.find('\r') != std::string::npos) text = CrLfToLf(text);
    return true;
}

std::string CrLfToLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

std::string LfToCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* problem) {
    AtomicOutputFile output;
    bool ok = output.Open(path);
    if (ok) {
        output.Write(bytes);
        ok = output.Commit();
    }
    if (!ok && problem != nullptr) *problem = output.Problem();
    return ok;
}

std::string WriteProblem(const std::string& path) {
    if (path == "-") return {};
    if (path.empty()) return Named(path, Reason(ENOENT));
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISSOCK(info.st_mode))
            return Named(path, KindOf(info.st_mode) + ", not a file a list can be written to");
        return ::access(path.c_str(), W_OK) == 0 ? std::string() : Named(path, Reason(errno));
    }
    const std::filesystem::path target(FollowLinks(path));
    const std::string folder =
        target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    if (!IsDirectory(folder)) return Named(path, "no folder " + folder);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return Named(path, Reason(errno));
    // Replacing needs only the folder's permission, but a file the user made read-only stays so.
    if (FileExists(target.string()) && ::access(target.c_str(), W_OK) != 0) return Named(path, Reason(errno));
    return {};
}

bool WriteTextFileAtomically(const std::string& path, std::string_view text) {
    return WriteFileAtomically(path, LfToCrLf(text));
}

AtomicOutputFile::~AtomicOutputFile() {
    Discard();
}

void AtomicOutputFile::Fail(const std::string& reason) {
    if (!failed_) problem_ = Named(path_, reason);
    failed_ = true;
}

bool AtomicOutputFile::Open(const std::string& path) {
    Discard();
    failed_ = swapped_ = replaced_ = placed_ = direct_ = false;
    written_ = synced_ = 0;
    buffer_.clear();
    problem_.clear();
    path_ = path;
    target_.clear();

    struct stat info {};
    struct stat out {};
    const bool exists = StatPath(path, info);
    // The file standard output goes to is written there, as "-" is: replacing it would leave
    // the output to a file nobody sees.
    if (path == "-" || (exists && S_ISREG(info.st_mode) && ::fstat(STDOUT_FILENO, &out) == 0 &&
                        out.st_dev == info.st_dev && out.st_ino == info.st_ino)) {
        fd_ = STDOUT_FILENO;
        direct_ = true;
        ownsFd_ = false;
        return true;
    }
    if (path.empty()) {
        Fail(Reason(ENOENT));
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISSOCK(info.st_mode)) {
            Fail(KindOf(info.st_mode) + ", not a file a list can be written to");
            return false;
        }
        // A device or a FIFO takes the bytes as they come; a FIFO nobody reads is refused, not
        // waited for.
        fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd_ < 0) {
            Fail(errno == ENXIO ? std::string("a FIFO no program reads from") : Reason(errno));
            return false;
        }
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        direct_ = true;
        ownsFd_ = true;
        return true;
    }

    target_ = FollowLinks(path);
    const std::filesystem::path target(target_);
    const std::string folder =
        target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    const std::string base = CutName(target.filename().string(), kLongestFileName - kTemporaryNameExtra);
    const std::string pattern = folder + "/." + base + ".XXXXXX";
    auto* name = new char[pattern.size() + 1];
    std::memcpy(name, pattern.c_str(), pattern.size() + 1);
    tempSlot_ = RegisterTemporary(name);
    // A file that replaces another is private until it takes the other's mode; a new one gets
    // the usual mode the umask leaves.
    const mode_t mode = exists ? 0600 : 0666;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<std::uint64_t> counter{0};
    char* suffix = name + pattern.size() - 6;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        std::uint64_t seed =
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) *
                6364136223846793005ULL +
            (counter++ << 20) + static_cast<std::uint64_t>(::getpid());
        for (int i = 0; i < 6; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            suffix[i] = kLetters[(seed >> 33) % (sizeof kLetters - 1)];
        }
        fd_ = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        Fail(Reason(errno));
        ForgetTemporary();
        return false;
    }
    // Made after a signal handler swept the temporaries away: the program is ending.
    if (g_removing.load()) {
        ::unlink(name);
        throw EngineError(kCancelled, ErrorKind::Cancelled);
    }
    tempPath_ = name;
    ownsFd_ = true;
    buffer_.reserve(kOutputBufferSize);
    return true;
}

void AtomicOutputFile::Flush() {
    std::size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        if (written_ + static_cast<std::int64_t>(done) > 0) ThrowIfStopRequested();
        ssize_t n = ::write(fd_, buffer_.data() + done, std::min(kIoStep, buffer_.size() - done));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            Fail(Reason(errno));
        }
    }
    written_ += static_cast<std::int64_t>(done);
    buffer_.clear();
    // Start the write-back of what is done, so that the sync at the end has little left to do.
    if (!direct_ && !failed_ && written_ - synced_ >= kWritebackStep) {
        ::sync_file_range(fd_, synced_, written_ - synced_, SYNC_FILE_RANGE_WRITE);
        synced_ = written_;
    }
}

void AtomicOutputFile::Write(std::string_view bytes) {
    if (fd_ < 0 || failed_) return;
    if (buffer_.size() + bytes.size() > kOutputBufferSize) Flush();
    while (bytes.size() >= kOutputBufferSize && !failed_) {
        buffer_.assign(bytes.substr(0, kOutputBufferSize));
        bytes.remove_prefix(kOutputBufferSize);
        Flush();
    }
    buffer_.append(bytes);
}

void AtomicOutputFile::WriteText(std::string_view text) {
    if (fd_ < 0 || failed_) return;
    while (!text.empty()) {
        if (buffer_.size() + 2 > kOutputBufferSize) Flush();
        if (failed_) return;
        // Copy whole runs between line ends; a line end costs one extra byte.
        std::size_t room = (kOutputBufferSize - buffer_.size()) / 2;
        std::string_view part = text.substr(0, std::max<std::size_t>(room, 1));
        std::size_t start = 0;
        while (start < part.size()) {
            std::size_t newline = part.find('\n', start);
            if (newline == std::string_view::npos) {
                buffer_.append(part.substr(start));
                break;
            }
            buffer_.append(part.substr(start, newline - start));
            buffer_.append("\r\n");
            start = newline + 1;
        }
        text.remove_prefix(part.size());
    }
}

bool AtomicOutputFile::Finish(bool sync) {
    if (fd_ < 0) return false;
    Flush();
    if (direct_) {
        if (ownsFd_) ::close(fd_);
        fd_ = -1;
        return !failed_;
    }
    // A replaced file keeps its owner and mode where we may give them, but never a set-user or
    // set-group bit: the bytes are not the ones that bit was given for.
    struct stat existing {};
    if (!failed_ && ::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        struct stat made {};
        if (::fstat(fd_, &made) == 0 && (made.st_uid != existing.st_uid || made.st_gid != existing.st_gid))
            (void)::fchown(fd_, existing.st_uid, existing.st_gid);
        if (::fchmod(fd_, existing.st_mode & 01777) != 0) Fail(Reason(errno));
    }
    if (!sync) {
        struct stat made {};
        if (!failed_ && ::fstat(fd_, &made) == 0) device_ = made.st_dev;
        if (!failed_) ::sync_file_range(fd_, synced_, 0, SYNC_FILE_RANGE_WRITE);
        if (::close(fd_) != 0) Fail(Reason(errno));
        fd_ = -1;
        return !failed_;
    }
    // The sync goes in steps, so that a stop request is seen within a moment on a slow disk.
    for (std::int64_t from = 0; !failed_ && from < written_; from += kSyncStep) {
        if (from > 0) ThrowIfStopRequested();
        if (::sync_file_range(
                fd_, from, kSyncStep,
                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) != 0 &&
            errno != EINVAL && errno != ESPIPE)
            Fail(Reason(errno));
    }
    if (!failed_ && ::fsync(fd_) != 0) Fail(Reason(errno));
    if (::close(fd_) != 0) Fail(Reason(errno));
    fd_ = -1;
    return !failed_;
}

bool AtomicOutputFile::Place() {
    if (direct_) {
        placed_ = true;
        return true;
    }
    struct stat existing {};
    if (::lstat(target_.c_str(), &existing) == 0) {
        // A folder or a link that appeared meanwhile is not replaced (an exchange would move it).
        if (!S_ISREG(existing.st_mode)) {
            Fail(KindOf(existing.st_mode) + " took the file's place meanwhile");
            return false;
        }
        // Exchanged, the earlier file lies at the temporary name until the job is done, so it can
        // be put back. A file system that cannot exchange gets a plain rename.
        if (::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0) {
            swapped_ = true;
        } else if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            Fail(Reason(errno));
            return false;
        } else if (::rename(tempPath_.c_str(), target_.c_str()) == 0) {
            replaced_ = true;
        } else {
            Fail(Reason(errno));
            return false;
        }
    } else if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        Fail(Reason(errno));
        return false;
    }
    placed_ = true;
    return true;
}

void AtomicOutputFile::PutBack() {
    // A plain rename over an earlier file cannot be undone.
    if (!placed_ || direct_ || replaced_) return;
    if (swapped_) {
        ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE);
    } else {
        ::rename(target_.c_str(), tempPath_.c_str());
    }
    placed_ = swapped_ = false;
}

void AtomicOutputFile::ForgetTemporary() {
    UnregisterTemporary(tempSlot_);
    tempPath_.clear();
}

void AtomicOutputFile::Discard() {
    if (fd_ >= 0 && ownsFd_) ::close(fd_);
    fd_ = -1;
    // Once placed, the temporary name holds the earlier file (or nothing): it goes either way.
    if (!tempPath_.empty() && (!placed_ || swapped_)) ::unlink(tempPath_.c_str());
    ForgetTemporary();
    buffer_.clear();
}

bool AtomicOutputFile::Commit() {
    AtomicOutputFile* self = this;
    return CommitFiles(std::span<AtomicOutputFile* const>(&self, 1));
}

bool CommitFiles(std::span<AtomicOutputFile* const> files) {
    const bool together = files.size() > 1;
    for (AtomicOutputFile* file : files) {
        if (!file->Finish(!together)) {
            for (AtomicOutputFile* other : files) other->Discard();
            return false;
        }
    }
    // A set of files has one sync per file system, not one per file: hundreds of small files (a
    // playlist per category) would otherwise wait for the disk hundreds of times.
    std::vector<unsigned long long> synced;
    for (AtomicOutputFile* file : files) {
        if (!together || file->direct_ ||
            std::find(synced.begin(), synced.end(), file->device_) != synced.end())
            continue;
        ThrowIfStopRequested();
        synced.push_back(file->device_);
        const int fd = ::open(file->tempPath_.c_str(), O_RDONLY | O_CLOEXEC);
        const bool done = fd >= 0 && ::syncfs(fd) == 0;
        const std::string reason = done ? std::string() : Reason(errno);
        if (fd >= 0) ::close(fd);
        if (!done) {
            for (AtomicOutputFile* other : files) {
                if (!other->direct_ && other->device_ == file->device_) other->Fail(reason);
            }
            for (AtomicOutputFile* other : files) other->Discard();
            return false;
        }
    }
    {
        struct Placing {
            Placing() { ++g_placing; }
            ~Placing() { --g_placing; }
        } placing;
        std::size_t placed = 0;
        bool stop = false;
        for (; placed < files.size(); ++placed) {
            stop = StopRequested();
            if (stop || !files[placed]->Place()) break;
        }
        // The moment the files count as written.
        bool (*commitCheck)() = g_commitCheck.load();
        if (!stop && placed == files.size() && commitCheck != nullptr && !commitCheck()) stop = true;
        if (stop || placed < files.size()) {
            for (std::size_t i = files.size(); i-- > 0;) files[i]->PutBack();
            for (AtomicOutputFile* file : files) file->Discard();
            if (stop) throw EngineError(kCancelled, ErrorKind::Cancelled);
            return false;
        }
    }
    // The earlier files left at the temporary names go; a signal now may remove them itself.
    for (AtomicOutputFile* file : files) file->Discard();
    return true;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsSameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return StatPath(first, a) && StatPath(second, b) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length <= 0) break;
        link.resize(static_cast<std::size_t>(length));
        const std::filesystem::path folder = std::filesystem::path(current).parent_path();
        current = link.front() == '/' || folder.empty() ? link : (folder / link).string();
    }
    return current;
}

std::string OutputIdentity(const std::string& path) {
    auto identity = [](const struct stat& info) {
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    };
    struct stat info {};
    if (StatPath(path, info)) return identity(info);
    // Not there yet: its folder and name, after the links that a write would follow.
    const std::filesystem::path target(FollowLinks(path));
    const std::string folder =
        target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    if (::stat(folder.c_str(), &info) == 0) return identity(info) + "/" + target.filename().string();
    std::error_code error;
    return "?" + std::filesystem::absolute(target, error).lexically_normal().string();
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return IsDirectory(path);
}

}  // namespace vantor
