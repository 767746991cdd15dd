#pragma once
// An input file opened for reading by position. Reads never move a shared position (pread), so
// any number of readers on any threads can use one open file, each with its own cursor
// (RecordReader).
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantor {

// One state of one file: the same file unchanged has the same identity at every opening; a file
// replaced (a new inode) or changed in place (another size or time) has another. Record keys are
// positions in one such state.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

class MasterFile {
  public:
    MasterFile() = default;
    ~MasterFile();
    MasterFile(const MasterFile&) = delete;
    MasterFile& operator=(const MasterFile&) = delete;
    MasterFile(MasterFile&& other) noexcept;
    MasterFile& operator=(MasterFile&& other) noexcept;

    // Opens a regular file (a FIFO or a device is refused, not waited for); false when it cannot.
    bool Open(const std::string& path);
    // Another opening of the same state of the file, even when its path names another file by
    // now; closed when this one is or the system has no descriptor left.
    MasterFile Duplicate() const;
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    // Size at opening time.
    std::int64_t Size() const { return size_; }
    // Different for every opening, so a reader can tell that the same object now holds another
    // file (or none) and forget what it buffered.
    std::uint64_t OpenId() const { return openId_; }
    // The state of the file at opening time; all zero while none is open.
    const FileIdentity& Identity() const { return identity_; }

    // Reads up to `count` bytes at `offset`; returns the bytes read, 0 at the end or on a read error.
    std::size_t ReadAt(std::int64_t offset, char* data, std::size_t count) const;

  private:
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::uint64_t openId_ = 0;
    FileIdentity identity_;
    std::string path_;
};

}  // namespace vantor
