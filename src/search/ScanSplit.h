#pragma once
// How a scan splits the master file among threads.
#include <cstdint>

#include "gamedata/RecordReader.h"

namespace vantor {

// A large file is read in parts, one thread each, joined in file order; the result never depends
// on the split. `threads` 0: one per processor.
struct ScanSplit {
    unsigned threads = 0;
    std::int64_t minimumBytes = 8 << 20;    // a smaller file is read by one thread
    RecordText form = RecordText::Decoded;  // how the records are handed to the visitors
};

}  // namespace vantor
