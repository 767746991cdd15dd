#pragma once
// The MAME listing runner: asks a MAME program for its XML listing (-listxml) and keeps it where
// the caller says, by default as listxml.xml in the per-user data folder; never beside the
// program, whose folder may belong to the system.
#include <cstdint>
#include <string>

#include "UtilityCommon.h"

namespace vantor {

inline constexpr const char* kMameCoaxMessage =
    "I will now attempt to coax MAME to give up the full xml listing.\r\nThis may take awhile; MAME "
    "works in the background and shows no window of its own.\r\n\r\nDon't Panic.";
inline constexpr const char* kMameListingUnreadable =
    "huh? Can't open the listXML file that we JUST had MAME generate!?";
inline constexpr const char* kMameListingInvalid =
    "Outfile file is invalid.  Is this really a MAME program that you pointed me to?";
// Ours: the program could not be started at all (missing, not executable, not a program).
inline constexpr const char* kMameNotStarted = "Can't start the program you pointed me to:\r\n";
inline constexpr const char* kMameListingName = "listxml.xml";
// A real listing is hundreds of megabytes; anything under this is an error text.
inline constexpr std::int64_t kMinimumListingSize = 1048576;

// A chosen file counts as MAME itself when it ends in ".exe", or when it is executable and does
// not end in ".xml".
bool IsMameProgram(const std::string& path);

struct MameListingInputs {
    // The MAME program as chosen; a relative path counts from the current folder.
    std::string programPath;
    // The listing's path; "" = listxml.xml in the per-user data folder.
    std::string outputPath;
};

// Where a listing goes when the caller names no path.
std::string DefaultMameListingPath();

// The first step, before MAME runs: done with the message to show first (it will take a while),
// or a failure saying why the program cannot be started at all.
[[nodiscard]] Outcome<UtilityOutput> CheckMameProgram(const std::string& programPath);

// Runs `programPath -listxml` (no shell) in the program's folder and waits for it, or kills it
// when cancelled; reports the bytes received so far (with a total of 0: not known). Done:
// `outputPath` is the listing. An earlier listing is replaced only by a good one.
[[nodiscard]] Outcome<UtilityOutput> RunMameListing(const MameListingInputs& inputs, ProgressSink& progress);

}  // namespace vantor
