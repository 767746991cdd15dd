#include "FuzzSupport.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace vantor::fuzz {

std::vector<std::string_view> SplitInput(const std::uint8_t* data, std::size_t size, int count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (static_cast<int>(parts.size()) + 1 < count) {
        std::size_t newline = rest.find('\n');
        if (newline == std::string_view::npos) break;
        parts.push_back(rest.substr(0, newline));
        rest.remove_prefix(newline + 1);
    }
    parts.push_back(rest);
    while (static_cast<int>(parts.size()) < count) parts.emplace_back();
    return parts;
}

MemoryFile::MemoryFile(std::string_view bytes) {
    fd_ = ::memfd_create("vantor-fuzz", 0);
    if (fd_ < 0) Fail("memfd_create failed");
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (n <= 0) Fail("write to memfd failed");
        written += static_cast<std::size_t>(n);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

}  // namespace vantor::fuzz
