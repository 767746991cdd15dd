#include "UtilityCommon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "gamedata/FileIo.h"
#include "gamedata/RecordFields.h"
#include "gamedata/RecordReader.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

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

bool OpenOutputFile(const std::string& path, const std::vector<std::string>& readFiles,
                    AtomicOutputFile& output, Outcome<UtilityOutput>& outcome) {
    for (const std::string& read : readFiles) {
        if (IsSameFile(path, read)) {
            outcome.Fail(std::string(kUtilityOutputIsInput) + path + kUtilityChooseAnotherName);
            return false;
        }
    }
    if (!output.Open(path)) {
        outcome.Fail(std::string(kUtilityOutputOpenError) + "\r\n" + output.Problem());
        return false;
    }
    return true;
}

std::string OutputWriteFailure(const AtomicOutputFile& output) {
    return std::string(kUtilityOutputWriteError) + "\r\n" + output.Problem();
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

bool MasterFileIndex::Build(const Catalog& catalog, ProgressSink* progress) {
    positions_.clear();
    const MasterFile& file = catalog.file;
    RecordReader reader = catalog.Reader();
    const RecordFields fields = catalog.Fields();
    reader.Rewind(file);
    const std::string& startTag = catalog.StartTag();
    std::string record;
    std::int64_t lastReport = 0;
    for (;;) {
        std::int64_t position = reader.ReadRecord(file, record, startTag, -1);
        if (position == -1) break;
        positions_.try_emplace(fields.GetRomName(record), position);
        if (progress == nullptr) continue;
        if (progress->CancelRequested()) {
            positions_.clear();
            return false;
        }
        if (reader.Tell() - lastReport >= (4 << 20)) {
            lastReport = reader.Tell();
            progress->Progress(lastReport, file.Size());
        }
    }
    if (progress != nullptr) progress->Progress(file.Size(), file.Size());
    return true;
}

std::int64_t MasterFileIndex::FindRecordKey(const std::string& romName) const {
    auto found = positions_.find(romName);
    return found == positions_.end() ? -1 : found->second;
}

bool RecordExtract::Open(const std::string& inputPath, Outcome<UtilityOutput>& outcome) {
    if (OpenUtilityInput(input, inputPath)) return true;
    outcome.Fail(kUtilityInputXmlOpenError);
    return false;
}

void RecordExtract::WriteHeader(AtomicOutputFile& output) {
    std::string header;
    reader_.SetInputType(input.inputType);
    reader_.ReadHeader(input.file, header);
    rootCloseTag_ = RecordReader::GetRootCloseTag(header);
    output.WriteText(CrLfToLf(header));
}

bool RecordExtract::CopyRecord(AtomicOutputFile& output, std::int64_t position, std::string_view startKey) {
    reader_.SetInputType(input.inputType);
    if (reader_.ReadRecord(input.file, record_, startKey, position, RecordText::Raw) == -1) return false;
    if (record_.find('\r') != std::string::npos) record_ = CrLfToLf(record_);
    output.WriteText(record_);
    return true;
}

void RecordExtract::WriteClosing(AtomicOutputFile& output) {
    output.WriteText("\n" + rootCloseTag_);
}

bool OpenUtilityInput(Catalog& catalog, const std::string& path) {
    if (!catalog.file.Open(path)) return false;
    catalog.inputType = RecordReader(UnknownInput).DetectInputType(catalog.file);
    if (catalog.inputType == UnknownInput) catalog.inputType = MameGame;
    return true;
}

}  // namespace vantor
