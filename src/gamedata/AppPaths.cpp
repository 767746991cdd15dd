#include "AppPaths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "FileIo.h"

#ifndef VANTOR_DATADIR_FROM_BINDIR
#define VANTOR_DATADIR_FROM_BINDIR "../share/vantor"
#endif
#ifndef VANTOR_INSTALL_DATADIR
#define VANTOR_INSTALL_DATADIR "/usr/local/share/vantor"
#endif

namespace vantor {

namespace {
std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? std::string(value) : fallback;
}
std::string Home() {
    return EnvOr("HOME", "/tmp");
}
}  // namespace

std::string ConfigFolder() {
    return EnvOr("XDG_CONFIG_HOME", Home() + "/.config") + "/Vantor";
}
std::string SettingsFilePath() {
    return ConfigFolder() + "/Vantor.conf";
}
std::string UserDataFolder() {
    return EnvOr("XDG_DATA_HOME", Home() + "/.local/share") + "/Vantor";
}

std::string EnsureUserDataFolder() {
    std::string folder = UserDataFolder();
    MakeDirectories(folder);
    return folder;
}

std::string ExecutableFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    return exe.parent_path().string();
}

std::string FindDataFile(const std::string& name) {
    const std::string exeFolder = ExecutableFolder();
    const std::vector<std::string> folders = {
        UserDataFolder(), exeFolder, exeFolder + "/" + VANTOR_DATADIR_FROM_BINDIR, VANTOR_INSTALL_DATADIR};
    for (const std::string& folder : folders) {
        std::string candidate = folder + "/" + name;
        if (FileExists(candidate) && !IsDirectory(candidate)) return candidate;
    }
    return {};
}

std::string TemporaryFolder() {
    return EnvOr("TMPDIR", "/tmp");
}

}  // namespace vantor
