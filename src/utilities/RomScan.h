#pragma once
// The ROM scan: the master file cut down to the games whose .zip, .7z or .chd files lie in one
// folder.
#include <string>

#include "UtilityCommon.h"

namespace vantor {

inline constexpr const char* kRomScanLogName = "romscanlog.txt";
inline const Message kRomScanDone{MessageIcon::Information, "Your xml file has been created.\r\n",
                                  Advice::UseNewInputFile, "\r\nLogfile generated as romscanlog.txt"};

struct RomScanInputs {
    // The settings' input file (the master file open in the main window).
    std::string inputPath;
    // The folder of archives to look for.
    std::string romFolder;
    // The cut-down master file.
    std::string outputPath;
    // Where romscanlog.txt goes ("" = the current working directory).
    std::string logFolder;
};

// The ROM name a file in the ROM folder stands for: its name lower-cased, without any ".zip",
// ".7z" or ".chd".
std::string RomNameOfFile(const std::string& fileName);

[[nodiscard]] Outcome<UtilityOutput> RunRomScan(const RomScanInputs& inputs, ProgressSink& progress);

}  // namespace vantor
