#pragma once
// Generated artwork for the tests: PNGs of one colour and zips of them, made here (never real
// artwork). Tests that include this link zlib, and libzip when they write zips.
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantor::test {

// A valid true-colour PNG of `width` x `height` pixels of one colour (0xRRGGBB), its rows
// compressed one at a time, so that a huge one never exists uncompressed.
inline std::string SolidPng(std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
    std::string png = "\x89PNG\r\n\x1a\n";
    auto put32 = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xff);
    };
    auto chunk = [&](const char* type, const std::string& data) {
        put32(png, static_cast<std::uint32_t>(data.size()));
        const std::string typed = type + data;
        png += typed;
        put32(png, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                    static_cast<uInt>(typed.size()))));
    };
    std::string header;
    put32(header, width);
    put32(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive, no interlace
    chunk("IHDR", header);
    std::string row(1, '\0');  // filter: none
    for (std::uint32_t x = 0; x < width; ++x)
        row += {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
    z_stream stream{};
    deflateInit(&stream, 1);
    std::string data, out(1 << 16, '\0');
    for (std::uint32_t y = 0; y < height; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = static_cast<uInt>(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, y + 1 == height ? Z_FINISH : Z_NO_FLUSH);
            data.append(out.data(), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    chunk("IDAT", data);
    chunk("IEND", "");
    return png;
}

// Writes a zip of the members (name, bytes), compressed as libzip does by default; false when
// libzip failed.
inline bool WriteZip(const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& members) {
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (zip == nullptr) return false;
    for (const auto& [name, bytes] : members) {
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        if (source == nullptr || zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

}  // namespace vantor::test
