#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace vantor {

int OpenReadableFile(const std::string& path, std::int64_t& size) {
    size = 0;
    if (path.empty()) return -1;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (S_ISREG(info.st_mode)) size = static_cast<std::int64_t>(info.st_size);
    return fd;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    text.clear();
    std::int64_t size = 0;
    int fd = OpenReadableFile(path, size);
    if (fd < 0) return false;
    text.reserve(static_cast<std::size_t>(size));
    char buffer[64 * 1024];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

bool ReadTextFile(const std::string& path, std::string& text) {
    if (!ReadWholeFile(path, text)) return false;
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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicOutputFile output;
    if (!output.Open(path)) return false;
    output.Write(bytes);
    return output.Commit();
}

namespace {
constexpr std::size_t kOutputBufferSize = 4 * 1024 * 1024;
}  // namespace

AtomicOutputFile::~AtomicOutputFile() {
    Discard();
}

bool AtomicOutputFile::Open(const std::string& path) {
    Discard();
    failed_ = false;
    written_ = 0;
    buffer_.clear();
    if (path.empty() || IsDirectory(path)) return false;
    std::filesystem::path target(path);
    std::string folder = target.parent_path().string();
    tempPath_ = (folder.empty() ? std::string(".") : folder) + "/." + target.filename().string() + ".XXXXXX";
    fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        tempPath_.clear();
        return false;
    }
    target_ = path;
    buffer_.reserve(kOutputBufferSize);
    return true;
}

void AtomicOutputFile::Flush() {
    std::size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            failed_ = true;
        }
    }
    written_ += static_cast<std::int64_t>(done);
    buffer_.clear();
}

void AtomicOutputFile::Write(std::string_view bytes) {
    if (fd_ < 0 || failed_) return;
    if (buffer_.size() + bytes.size() > kOutputBufferSize) Flush();
    if (bytes.size() >= kOutputBufferSize) {
        buffer_.assign(bytes);
        Flush();
        return;
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

bool AtomicOutputFile::Commit() {
    if (fd_ < 0) return false;
    Flush();
    // Replacing a file keeps its permissions; a new file gets the usual ones (mkstemp makes it
    // private to us).
    struct stat existing {};
    mode_t mode = 0666;
    if (::stat(target_.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    bool ok = !failed_ && ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    ok = ok && ::rename(tempPath_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    failed_ = !ok;
    return ok;
}

void AtomicOutputFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    buffer_.clear();
}

bool WriteTextFileAtomically(const std::string& path, std::string_view text) {
    return WriteFileAtomically(path, LfToCrLf(text));
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsSameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    if (first.empty() || second.empty()) return false;
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
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
