#pragma once
// Whole-file reading and writing. Files are written completely or not at all: the text goes to
// a temporary file in the target's folder, which is then renamed over the target.
#include <string>
#include <string_view>

namespace vantor {

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
bool IsDirectory(const std::string& path);
bool MakeDirectories(const std::string& path);

}  // namespace vantor
