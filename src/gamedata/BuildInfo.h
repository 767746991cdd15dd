#pragma once
// What this build is, for vantor-cli --version and the desktop program's About box. The values
// come from the build (target vantor_build_info), not from the engine's sources.

namespace vantor {

struct BuildInfo {
    const char* version;    // "0.1.0"
    const char* date;       // "2026-12-08", the day the program was built
    const char* qtVersion;  // the Qt the desktop program was built with; "" when it was not built
};

const BuildInfo& ThisBuild();

// Said by --version and the About box, as GNU programs say it.
inline constexpr const char* kLicenceNotice =
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

}  // namespace vantor
