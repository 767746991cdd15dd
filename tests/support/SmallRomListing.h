#pragma once
// The small listing the audit and export tests forge their sets from.
#include <string>
#include <vector>

namespace vantor::test {

// A parent with a clone and two devices (one without ROMs), a BIOS game with a bad dump, a game
// with a file never dumped, one with a CHD, one that needs no file.
inline constexpr const char* kListing = R"(<?xml version="1.0"?>
<!DOCTYPE mame [
<!ELEMENT mame (machine+)>
]>
<mame build="0.251" debug="no" mameconfig="10">
	<machine name="bios" isbios="yes">
		<description>BIOS</description>
		<rom name="bios.bin" size="1024" crc="11111111"/>
	</machine>
	<machine name="parent">
		<description>Parent</description>
		<rom name="p1.bin" size="2048" crc="22222222"/>
		<rom name="p2.bin" size="2048" crc="33333333"/>
		<device_ref name="chip"/>
		<device_ref name="cpu"/>
	</machine>
	<machine name="clone" cloneof="parent" romof="parent">
		<description>Clone</description>
		<rom name="c1.bin" size="2048" crc="44444444"/>
		<rom name="p2.bin" merge="p2.bin" size="2048" crc="33333333"/>
		<device_ref name="chip"/>
	</machine>
	<machine name="biosgame" romof="bios">
		<description>BIOS game</description>
		<rom name="bios.bin" merge="bios.bin" bios="default" size="1024" crc="11111111"/>
		<rom name="g1.bin" size="4096" crc="55555555"/>
		<rom name="bad.bin" size="512" crc="66666666" status="baddump"/>
	</machine>
	<machine name="nodump">
		<description>No dump</description>
		<rom name="n1.bin" size="512" crc="77777777"/>
		<rom name="never.bin" size="512" status="nodump"/>
	</machine>
	<machine name="diskgame">
		<description>Disk game</description>
		<rom name="d1.bin" size="512" crc="88888888"/>
		<disk name="disc1" sha1="0123456789abcdef0123456789abcdef01234567"/>
	</machine>
	<machine name="noroms">
		<description>No ROMs</description>
	</machine>
	<machine name="chip" isdevice="yes" runnable="no">
		<description>Chip</description>
		<rom name="chip.bin" size="256" crc="99999999"/>
	</machine>
	<machine name="cpu" isdevice="yes" runnable="no">
		<description>CPU</description>
	</machine>
</mame>
)";

inline const std::vector<std::string> kGames = {"bios",   "parent",   "clone", "biosgame",
                                                "nodump", "diskgame", "noroms"};

// A CHD header of version 5 with the given SHA1 of its data.
inline std::string ChdBytes(const std::string& sha1Hex) {
    std::string header(124, '\0');
    header.replace(0, 8, "MComprHD");
    header[11] = 124;
    header[15] = 5;
    for (std::size_t i = 0; i < 20; ++i)
        header[84 + i] = static_cast<char>(std::stoi(sha1Hex.substr(i * 2, 2), nullptr, 16));
    return header;
}

}  // namespace vantor::test
