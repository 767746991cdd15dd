// "Batch File": one expansion of the line template per game, as a shell script (the default
// here) or as a Windows batch file.
#include "BatchList.h"

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

class BatchWriter : public ListWriter {
  public:
    BatchWriter(BatchForm form, std::string lineTemplate) : form_(form), template_(std::move(lineTemplate)) {}

    void Begin(const ListContext&, ListDocument& document) override {
        if (form_ == BatchForm::Shell) {
            document.text = kShellScriptFirstLine;
            document.executable = true;
        }
    }

    bool EntriesInParallel() const override { return true; }

    bool Entry(const ListedRecord& record, std::string& out) const override {
        out += form_ == BatchForm::Shell ? ShellLines(record) : WindowsLines(record);
        return true;
    }

  private:
    // The Windows form: the placeholders in order, then every "|" (also one a value brought in)
    // becomes a line break.
    std::string WindowsLines(const ListedRecord& record) const {
        std::string line = template_;
        ReplaceAll(line, "%ROM%", record.RomName());
        if (Contains(line, "%DESC%")) ReplaceAll(line, "%DESC%", record.Description());
        if (Contains(line, "%CHD%")) ReplaceAll(line, "%CHD%", record.Value("disk_name="));
        ReplaceAll(line, "|", "\r\n");
        return line + "\r\n";
    }

    // The shell form: the template's own bars split it into lines first, so that only the
    // template decides where a line ends.
    std::string ShellLines(const ListedRecord& record) const {
        std::string lines = template_;
        ReplaceAll(lines, "|", "\n");
        ReplaceAll(lines, "%ROM%", ShellSafe(record.RomName()));
        if (Contains(lines, "%DESC%")) ReplaceAll(lines, "%DESC%", ShellSafe(record.Description()));
        if (Contains(lines, "%CHD%")) ReplaceAll(lines, "%CHD%", ShellSafe(record.Value("disk_name=")));
        return lines + "\n";
    }

    BatchForm form_;
    std::string template_;
};

}  // namespace

std::unique_ptr<ListWriter> MakeBatchWriter(const ListOptions& options) {
    const BatchForm form = options.Has(ListOption::WindowsBatch) ? BatchForm::Windows : BatchForm::Shell;
    return std::make_unique<BatchWriter>(form,
                                         options.Text(ListOption::Template, DefaultBatchTemplate(form)));
}

}  // namespace vantor
