#include "QtUserInterface.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>

#include <filesystem>

#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"

namespace vantor::app {

namespace {

MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

FileDialogHook& FileHook() {
    static FileDialogHook hook;
    return hook;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// "xml files (*.xml)|*.xml|csv files (*.csv)|*.csv" becomes Qt's ";;"-joined filter; the
// description already names its pattern.
QString ToQtFilter(const std::string& filter) {
    QStringList parts = FromBytes(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        filters << (description.contains(pattern)
                        ? description
                        : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    if (filters.isEmpty() && !filter.empty()) filters << FromBytes(filter);
    return filters.join(QStringLiteral(";;"));
}

QString StartPath(const std::string& path) {
    return path.empty() ? QDir::homePath() : FromBytes(path);
}

// The settings' name of the folder last used for a kind of file: its patterns ("*.csv;*.txt"
// gives "lastFolder.csv.txt"); folders are a kind of their own.
std::string LastFolderName(FileQuestion kind, const std::string& filter) {
    if (kind == FileQuestion::Folder) return "lastFolder.folders";
    std::string name = "lastFolder";
    const QStringList parts = FromBytes(filter).split(QLatin1Char('|'));
    for (int i = 1; i < parts.size(); i += 2) {
        for (const QString& word :
             parts[i].split(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), Qt::SkipEmptyParts))
            name += "." + ToBytes(word);
    }
    return name;
}

// Where a dialog with nothing chosen yet starts: the folder last used for the kind of file, kept
// in the settings (once there are any: a first run writes no settings before "Set").
std::string LastFolder(const std::string& name) {
    SettingsStore store;
    return store.Open(false) ? store.GetText(name) : std::string();
}

void RememberFolder(const std::string& name, FileQuestion kind, const std::string& chosen) {
    const std::string folder =
        kind == FileQuestion::Folder ? chosen : std::filesystem::path(chosen).parent_path().string();
    SettingsStore store;
    if (!folder.empty() && store.Open(false) && store.GetText(name) != folder)
        (void)store.SetText(name, folder);
}

}  // namespace

void SetMessageHook(MessageHook hook) {
    Hook() = std::move(hook);
}
void SetFileDialogHook(FileDialogHook hook) {
    FileHook() = std::move(hook);
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, MessageIcon icon, const std::string& text,
                                           QMessageBox::StandardButtons buttons) {
    if (Hook()) return Hook()(icon, text, buttons);
    // The texts carry Windows line ends; a label wants plain ones.
    QString shown = FromBytes(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(ToQtIcon(icon), QString::fromUtf8(kMessageCaption), shown, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::string WindowWording(const Message& message) {
    constexpr const char* kNowInputFile = "This file is now set as your input xml file.";
    switch (message.advice) {
        case Advice::None:
            break;
        case Advice::ChooseInputFile:
            return message.Worded("Please hit the settings button to select an input file.");
        case Advice::UseNewInputFile:
            return message.Worded(kNowInputFile);
        case Advice::ListNewInputFile:
            return message.Worded(std::string(kNowInputFile) +
                                  "\r\n\r\nUse this new input XML file to generate an all ROMs list in "
                                  "the main vantor window.");
        case Advice::MakeMergedFile:
            return message.Worded("create a merged input file via the settings window.");
    }
    return message.Worded("");
}

void ShowMessages(QWidget* parent, const std::vector<Message>& messages) {
    for (const Message& message : messages) ShowMessageBox(parent, message.icon, WindowWording(message));
}

namespace {

bool ChooseFile(QWidget* parent, FileQuestion kind, const std::string& title, const std::string& filter,
                const std::string& defaultExt, std::string& path) {
    if (FileHook()) return FileHook()(kind, title, filter, defaultExt, path);
    QString chosen;
    const QString caption = FromBytes(title);
    switch (kind) {
        case FileQuestion::Open:
            chosen = QFileDialog::getOpenFileName(parent, caption, StartPath(path), ToQtFilter(filter));
            break;
        case FileQuestion::Save: {
            QFileDialog dialog(parent, caption, StartPath(path), ToQtFilter(filter));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
            // "csv;txt": the first extension is the default; choosing another file type makes
            // that type's extension the default.
            QString suffix = FromBytes(defaultExt).section(QLatin1Char(';'), 0, 0);
            if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& type) {
                static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)\\)"));
                QRegularExpressionMatch match = pattern.match(type);
                if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
            });
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
                chosen = dialog.selectedFiles().front();
            }
            break;
        }
        case FileQuestion::Folder:
            chosen = QFileDialog::getExistingDirectory(parent, caption, StartPath(path));
            break;
    }
    if (chosen.isEmpty()) return false;
    path = ToBytes(chosen);
    return true;
}

}  // namespace

std::string ReplaceFileQuestion(const std::string& path) {
    return path + " already exists.\r\nDo you want to replace it?";
}

std::string UpdateFileQuestion(const std::string& path) {
    return path +
           " already exists.\r\nDo you want to update it? What you set in the front end stays; the "
           "games leave and join as in your list.";
}

bool AskForFile(QWidget* parent, FileQuestion kind, const std::string& title, const std::string& filter,
                const std::string& defaultExt, std::string& path, bool updatesExisting) {
    const std::string folderName = LastFolderName(kind, filter);
    if (path.empty()) {
        const std::string folder = LastFolder(folderName);
        if (IsDirectory(folder)) path = kind == FileQuestion::Folder ? folder : folder + "/";
    }
    for (;;) {
        std::string chosen = path;
        if (!ChooseFile(parent, kind, title, filter, defaultExt, chosen)) return false;
        path = chosen;
        RememberFolder(folderName, kind, chosen);
        // The dialog's own question is off: this one is asked the same way for every save, and
        // "No" goes back to the dialog.
        if (kind != FileQuestion::Save || !FileExists(chosen) || IsDirectory(chosen)) return true;
        if (ShowMessageBox(parent, MessageIcon::Exclamation,
                           updatesExisting ? UpdateFileQuestion(chosen) : ReplaceFileQuestion(chosen),
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            return true;
        }
    }
}

}  // namespace vantor::app
