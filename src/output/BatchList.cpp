// "Batch File": the line template filled in per game, as a shell script (the default here) or as
// a Windows batch file. The template is read once: a value put into it is never read as template
// text again ("%CHD%" in a description stays as it is), and it is quoted for where it stands, so
// that no value can end a command or start another.
#include "BatchList.h"

#include "ListWriter.h"
#include "gamedata/TextUtil.h"

namespace vantor {

namespace {

enum class Quote { None, Single, Double };

// A value for a shell script, where it stands in the template's line.
void AppendShellValue(std::string& out, std::string_view value, Quote quote) {
    auto safe = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("_.,+-/:=@%").find(c) != std::string_view::npos;
    };
    bool allSafe = true;
    for (char c : value) allSafe = allSafe && safe(c);
    if (quote == Quote::None && !allSafe) out += '\'';
    for (char c : value) {
        if (c == '\r' || c == '\n') c = ' ';
        if (quote == Quote::Double) {
            if (c == '$' || c == '`' || c == '"' || c == '\\') out += '\\';
            out += c;
        } else if (c == '\'' && (quote == Quote::Single || !allSafe)) {
            out += "'\\''";  // end the quotes, a quote, quotes again
        } else {
            out += c;
        }
    }
    if (quote == Quote::None && !allSafe) out += '\'';
}

// A value for a Windows batch file: "%" doubled everywhere (a batch file expands it even in
// quotes), & | < > ^ escaped with "^" outside quotes, where cmd reads them; a double quote,
// which no Windows file name holds, would change what is quoted and goes.
void AppendBatchValue(std::string& out, std::string_view value, Quote quote) {
    for (char c : value) {
        if (c == '\r' || c == '\n') c = ' ';
        if (c == '"') continue;
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (quote != Quote::Double && (c == '&' || c == '|' || c == '<' || c == '>' || c == '^')) out += '^';
        out += c;
    }
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
        const char* lineEnd = form_ == BatchForm::Shell ? "\n" : "\r\n";
        Quote quote = Quote::None;
        for (std::size_t i = 0; i < template_.size();) {
            const char c = template_[i];
            if (c == '|') {  // the template's own bars end its lines
                out += lineEnd;
                quote = Quote::None;
                ++i;
                continue;
            }
            std::string_view rest = std::string_view(template_).substr(i);
            std::string value;
            std::size_t length = 0;
            if (rest.starts_with("%ROM%")) {
                value = record.RomName(), length = 5;
            } else if (rest.starts_with("%DESC%")) {
                value = record.Description(), length = 6;
            } else if (rest.starts_with("%CHD%")) {
                value = record.Value("disk_name="), length = 5;
            }
            if (length > 0) {
                if (form_ == BatchForm::Shell) {
                    AppendShellValue(out, value, quote);
                } else {
                    AppendBatchValue(out, value, quote);
                }
                i += length;
                continue;
            }
            if (c == '"' && quote != Quote::Single)
                quote = quote == Quote::Double ? Quote::None : Quote::Double;
            if (c == '\'' && quote != Quote::Double && form_ == BatchForm::Shell)
                quote = quote == Quote::Single ? Quote::None : Quote::Single;
            out += c;
            ++i;
        }
        out += lineEnd;
        return true;
    }

  private:
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
