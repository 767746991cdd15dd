#include "MasterFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "FileIo.h"

namespace vantor {

namespace {
std::atomic<std::uint64_t> g_lastOpenId{0};
}  // namespace

MasterFile::~MasterFile() {
    Close();
}

MasterFile::MasterFile(MasterFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      openId_(std::exchange(other.openId_, ++g_lastOpenId)),
      identity_(std::exchange(other.identity_, {})),
      path_(std::move(other.path_)) {}

MasterFile& MasterFile::operator=(MasterFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        openId_ = std::exchange(other.openId_, ++g_lastOpenId);
        identity_ = std::exchange(other.identity_, {});
        path_ = std::move(other.path_);
    }
    return *this;
}

bool MasterFile::Open(const std::string& path) {
    Close();
    openId_ = ++g_lastOpenId;
    fd_ = OpenReadableFile(path, size_);
    if (fd_ < 0) return false;
    struct stat info {};
    if (::fstat(fd_, &info) == 0) {
        identity_ = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::int64_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    }
    path_ = path;
    return true;
}

MasterFile MasterFile::Duplicate() const {
    MasterFile copy;
    if (fd_ < 0) return copy;
    copy.fd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (copy.fd_ < 0) return copy;
    copy.size_ = size_;
    copy.openId_ = ++g_lastOpenId;
    copy.identity_ = identity_;
    copy.path_ = path_;
    return copy;
}

void MasterFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
    identity_ = {};
    path_.clear();
    openId_ = ++g_lastOpenId;
}

std::size_t MasterFile::ReadAt(std::int64_t offset, char* data, std::size_t count) const {
    if (fd_ < 0 || offset < 0) return 0;
    for (;;) {
        ssize_t got = ::pread(fd_, data, count, static_cast<off_t>(offset));
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

}  // namespace vantor
