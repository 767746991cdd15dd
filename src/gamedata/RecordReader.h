#pragma once
// Reads a master file as text and cuts it into game records. Each RecordReader is one reader with
// its own position in the file, so readers on different threads never disturb each other.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MasterFile.h"

namespace vantor {

// How a record's text is handed over: entity-decoded for searching and reading values, or the
// bytes as they stand in the file, for copying the record into another XML file.
enum class RecordText { Decoded, Raw };

class RecordReader {
  public:
    // Records end with the end tag of `inputType`.
    explicit RecordReader(int inputType) : inputType_(inputType) {}
    void SetInputType(int inputType) { inputType_ = inputType; }
    int InputType() const { return inputType_; }
    // Device entries (isdevice="yes": CPUs, sound chips, the boards inside a machine) are no
    // games and are skipped; the ROM audit reads them too, for the ROMs they hold.
    void SetDeviceEntries(bool read) { deviceEntries_ = read; }

    // One byte before the first line of the record last read (0 for a record at the very start
    // of the file), or -1 when no complete record was found.
    std::int64_t recordPosition = -1;
    // Where the text of the record last read begins: its first start line. It differs from the
    // position when a start line inside the record restarted it.
    std::int64_t recordStart = -1;

    // Reads the next record whose start line holds `startKey` (device entries skipped unless
    // asked for), from
    // `position` when it is not -1, else from where the last read stopped. Returns its position,
    // or -1 at the end of the file (`record` then holds what was gathered, if anything).
    std::int64_t ReadRecord(const MasterFile& file, std::string& record, std::string_view startKey,
                            std::int64_t position, RecordText form = RecordText::Decoded);
    // The same without a copy: `record` shows the text in the reader's own memory until its next
    // read (or until this reader is moved or destroyed).
    std::int64_t ReadRecordView(const MasterFile& file, std::string_view& record, std::string_view startKey,
                                std::int64_t position, RecordText form = RecordText::Decoded);
    // The position the next ReadRecord would return, without keeping the record's text.
    std::int64_t NextRecordPosition(const MasterFile& file, std::string_view startKey);
    // The lines before the first record (at most 1000), or empty.
    void ReadHeader(const MasterFile& file, std::string& header);
    // The flavour the header's signatures name (the last one found wins), or UnknownInput.
    int DetectInputType(const MasterFile& file);
    static std::string GetRootCloseTag(const std::string& header);

    void Seek(const MasterFile& file, std::int64_t position);
    void Rewind(const MasterFile& file) { Seek(file, 0); }
    // The file offset of the next byte this reader will return.
    std::int64_t Tell() const { return bufferOffset_ + static_cast<std::int64_t>(begin_); }

  private:
    // The next whole line, its line end included; the view stays valid until the next call.
    bool ReadLine(const MasterFile& file, std::string_view& line, std::int64_t& lineStart);
    void Attach(const MasterFile& file);
    // Reads more of the file behind what is unread; false at the end of the file.
    bool Refill(const MasterFile& file);
    std::int64_t ReadRecordByLines(const MasterFile& file, std::string_view& record,
                                   std::string_view startKey);
    // ReadRecordView's record as it stands in the file (entities not decoded).
    std::int64_t FindRecord(const MasterFile& file, std::string_view& record, std::string_view startKey,
                            std::int64_t position);

    int inputType_;
    bool deviceEntries_ = false;
    const MasterFile* file_ = nullptr;
    std::uint64_t fileOpenId_ = 0;  // the opening of file_ that the buffer was read from
    std::vector<char> buffer_;
    std::int64_t bufferOffset_ = 0;  // file offset of buffer_[0]
    std::size_t begin_ = 0;          // unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    std::size_t readSize_ = 0;  // grows while reading sequentially, small again after a seek
    bool atEnd_ = false;
    std::string lineRecord_;  // a record read line by line
    std::string decoded_;     // a record with its entities decoded
};

}  // namespace vantor
