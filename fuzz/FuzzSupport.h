#pragma once
// Shared by the fuzz targets: inputs split into parts, and bytes presented as a file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::fuzz {

// The input cut at its first `count - 1` line feeds (the last part keeps the rest).
std::vector<std::string_view> SplitInput(const std::uint8_t* data, std::size_t size, int count);

// The bytes as a file in memory (memfd), with a path any open() accepts.
class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    const std::string& Path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

// Stops the run with a message: libFuzzer keeps the input that got here.
[[noreturn]] void Fail(const std::string& what);

}  // namespace vantor::fuzz
