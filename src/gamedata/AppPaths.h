#pragma once
// Where Vantor keeps its files: settings under $XDG_CONFIG_HOME/Vantor, written data under
// $XDG_DATA_HOME/Vantor, read-only data (vnmacros.txt) in the user data folder, beside the
// executable (the build) or in the installed share folder (found from the executable's folder
// first, so a moved install still works).
#include <string>

namespace vantor {

std::string ConfigFolder();          // $XDG_CONFIG_HOME/Vantor, normally ~/.config/Vantor
std::string SettingsFilePath();      // ConfigFolder() + "/Vantor.conf"
std::string UserDataFolder();        // $XDG_DATA_HOME/Vantor, normally ~/.local/share/Vantor
std::string EnsureUserDataFolder();  // the same, created when missing
std::string ExecutableFolder();      // folder of the running program
// The first existing copy of a read-only data file, or "" when there is none.
std::string FindDataFile(const std::string& name);
std::string TemporaryFolder();  // $TMPDIR or /tmp

}  // namespace vantor
