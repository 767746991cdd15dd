#include "TestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantor::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantor-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made != nullptr ? std::string(made) : std::string();
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests may take permissions away; give them back so the folder can go.
    for (auto& entry : std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, error)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(path_, error);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::string path = File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return path;
}

WorkingFolder::WorkingFolder(const std::string& folder) {
    std::error_code error;
    previous_ = std::filesystem::current_path(error).string();
    std::filesystem::current_path(folder, error);
}

WorkingFolder::~WorkingFolder() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string FixturePath(const std::string& relative) {
    return std::string(VANTOR_TEST_DATA) + "/" + relative;
}
std::string RealDataPath(const std::string& name) {
    return std::string(VANTOR_REAL_DATA) + "/" + name;
}

std::string RealListXmlPath() {
    const char* fromEnv = std::getenv("VANTOR_REAL_LISTXML");
    std::string path = fromEnv != nullptr && fromEnv[0] != '\0' ? fromEnv : VANTOR_REAL_LISTXML;
    return std::filesystem::exists(path) ? path : std::string();
}

std::string RealMergedPath() {
    return std::filesystem::exists(VANTOR_REAL_MERGED) ? std::string(VANTOR_REAL_MERGED) : std::string();
}

std::string XmlProblems(const std::string& path) {
    TempDir dir;
    std::string report = dir.File("xmllint.txt");
    std::string command = "xmllint --noout --stream '" + path + "' > '" + report + "' 2>&1";
    int status = std::system(command.c_str());
    if (status == 0) return {};
    std::string problems = ReadFileBytes(report);
    if (problems.size() > 2000) problems.resize(2000);
    return problems.empty() ? "xmllint did not run (Debian package libxml2-utils)" : problems;
}

std::string XPathText(const std::string& path, const std::string& expression) {
    TempDir dir;
    const std::string result = dir.File("xpath.txt");
    const std::string command =
        "xmllint --xpath \"" + expression + "\" '" + path + "' > '" + result + "' 2> /dev/null";
    if (std::system(command.c_str()) != 0) return "<xmllint failed>";
    std::string text = ReadFileBytes(result);
    if (text.ends_with('\n')) text.pop_back();  // xmllint ends the value with a line feed
    return text;
}

}  // namespace vantor::test
