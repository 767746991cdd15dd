// "Batch File": one expansion of the line template per game, as a shell script (the default
// here) or as a Windows batch file.
#include <sys/stat.h>

#include "ListFormats.h"
#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

// A value as it may stand in a shell script: inside double quotes (where the templates put it)
// nothing in it is expanded, and it never starts a new line, so a record cannot add a command.
std::string ShellSafe(const std::string& value) {
    std::string safe;
    safe.reserve(value.size());
    for (char c : value) {
        if (c == '\r' || c == '\n') {
            safe += ' ';
            continue;
        }
        if (c == '$' || c == '`' || c == '"' || c == '\\') safe += '\\';
        safe += c;
    }
    return safe;
}

// The Windows form: the placeholders in order, then every "|" (also one a value brought in)
// becomes a line break.
std::string WindowsLines(const std::string& lineTemplate, const ListedRecord& record) {
    std::string line = lineTemplate;
    ReplaceAll(line, "%ROM%", record.RomName());
    if (Contains(line, "%DESC%")) ReplaceAll(line, "%DESC%", record.Description());
    if (Contains(line, "%CHD%")) ReplaceAll(line, "%CHD%", record.Value("disk_name="));
    ReplaceAll(line, "|", "\r\n");
    return line + "\r\n";
}

// The shell form: the template's own bars split it into lines first, so that only the template
// decides where a line ends.
std::string ShellLines(const std::string& lineTemplate, const ListedRecord& record) {
    std::string lines = lineTemplate;
    ReplaceAll(lines, "|", "\n");
    ReplaceAll(lines, "%ROM%", ShellSafe(record.RomName()));
    if (Contains(lines, "%DESC%")) ReplaceAll(lines, "%DESC%", ShellSafe(record.Description()));
    if (Contains(lines, "%CHD%")) ReplaceAll(lines, "%CHD%", ShellSafe(record.Value("disk_name=")));
    return lines + "\n";
}

}  // namespace

bool MarkExecutable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    // Executable for whoever may read it.
    const mode_t mode = info.st_mode & 07777;
    return ::chmod(path.c_str(), mode | ((mode & 0444) >> 2)) == 0;
}

bool ListWriter::WriteBatchList(std::string& fileName, std::string_view keyList, std::int64_t count,
                                const std::string& lineTemplate, BatchForm form) {
    if (!CheckTarget(fileName)) return false;
    const bool preview = IsPreviewMarker(fileName);
    const std::string target = fileName;
    Begin();
    if (form == BatchForm::Shell) text_ = kShellScriptFirstLine;
    AppendEntries(keyList, count, false, [&](const ListedRecord& record, std::string& out) {
        out +=
            form == BatchForm::Shell ? ShellLines(lineTemplate, record) : WindowsLines(lineTemplate, record);
        return true;
    });
    if (!Finish(fileName, text_)) return false;
    if (!preview && form == BatchForm::Shell && !MarkExecutable(target))
        ui_.ShowMessage(MessageIcon::Exclamation, kScriptNotExecutable);
    return true;
}

}  // namespace vantor
