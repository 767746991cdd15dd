#include "UtilityCommon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "gamedata/CFileTools.h"
#include "gamedata/CVn.h"
#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {
constexpr std::size_t kOutputBufferSize = 4 * 1024 * 1024;
}

std::string UtilityLogHeader(std::string_view title) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[128];
    char time[32];
    std::size_t dateLength = std::strftime(date, sizeof date, "%A, %B %d, %Y", &local);
    std::size_t timeLength = std::strftime(time, sizeof time, "%H:%M", &local);
    std::string header(title);
    header += "\r\nFile created on:";
    header.append(date, dateLength);
    header += "@";
    header.append(time, timeLength);
    header += "\r\n";
    return header;
}

std::string LogFilePath(const std::string& logFolder, const std::string& name) {
    if (logFolder.empty()) return name;
    return logFolder.back() == '/' ? logFolder + name : logFolder + "/" + name;
}

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
    bool ok = !failed_ && ::fchmod(fd_, mode) == 0;
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

bool ReadTextModeFile(const std::string& path, std::string& text) {
    return ReadTextFile(path, text);
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    std::string_view tail = name.substr(name.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

bool LessNoCase(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char x = AsciiLower(a[i]);
        char y = AsciiLower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // names that differ only in case: a fixed order all the same
}

}  // namespace

RomFolderListing ListRomFiles(const std::string& folder, const std::vector<std::string>& extensions) {
    RomFolderListing listing;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return listing;
    listing.readable = true;
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) {
            listing.readable = false;
            return listing;
        }
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        names.push_back(it->path().filename().string());
    }
    // Gathered pattern by pattern, as the folder is searched once per pattern.
    for (const std::string& extension : extensions) {
        for (const std::string& name : names) {
            if (EndsWithNoCase(name, extension)) listing.paths.push_back(folder + name);
        }
    }
    std::stable_sort(listing.paths.begin(), listing.paths.end(), LessNoCase);
    return listing;
}

void MasterFileIndex::Build(const MasterFile& file, UserInterface* ui) {
    positions_.clear();
    CFileTools reader;
    CVn vn;
    reader.Rewind(file);
    const std::string startTag = Tags().startTag[TagTable::Column()];
    std::string record;
    std::int64_t lastReport = 0;
    for (;;) {
        std::int64_t position = reader.ReadRecord(file, record, startTag, -1);
        if (position == -1) break;
        positions_.try_emplace(vn.GetRomName(record), position);
        if (ui != nullptr && reader.Tell() - lastReport >= (4 << 20)) {
            lastReport = reader.Tell();
            ui->ProgressUpdate(lastReport, file.Size());
        }
    }
    if (ui != nullptr) ui->ProgressUpdate(file.Size(), file.Size());
}

std::int64_t MasterFileIndex::FindRecordKey(const std::string& romName) const {
    auto found = positions_.find(romName);
    return found == positions_.end() ? -1 : found->second;
}

void RecordExtract::WriteHeader(AtomicOutputFile& output) {
    std::string header;
    reader_.ReadHeader(input, header);
    rootCloseTag_ = CFileTools::GetRootCloseTag(header);
    output.WriteText(CrLfToLf(header));
}

bool RecordExtract::CopyRecord(AtomicOutputFile& output, std::int64_t position, std::string_view startKey) {
    if (reader_.ReadRecord(input, record_, startKey, position) == -1) return false;
    if (record_.find('\r') != std::string::npos) record_ = CrLfToLf(record_);
    output.WriteText(record_);
    return true;
}

void RecordExtract::WriteClosing(AtomicOutputFile& output) {
    output.WriteText("\n" + rootCloseTag_);
}

bool OpenUtilityInput(MasterFile& file, const std::string& path) {
    if (!file.Open(path)) return false;
    if (g_inputType == UnknownInput) {
        CFileTools reader;
        if (reader.DetectInputType(file) == UnknownInput) g_inputType = MameGame;
    }
    return true;
}

}  // namespace vantor
