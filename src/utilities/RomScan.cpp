#include "RomScan.h"

#include <cstdio>

#include "gamedata/FileIo.h"
#include "gamedata/TagTable.h"
#include "gamedata/TextUtil.h"

namespace vantor {

std::string RomNameOfFile(const std::string& fileName) {
    std::string name = ToLowerAscii(fileName);
    ReplaceAll(name, ".zip", "");
    ReplaceAll(name, ".7z", "");
    ReplaceAll(name, ".chd", "");
    return name;
}

UtilityResult RunRomScan(const RomScanInputs& inputs, UserInterface& ui) {
    UtilityResult result;
    std::string log = UtilityLogHeader("Vantor rom scan utility log file.");

    std::string folder;
    if (!ui.BrowseForFolder(folder, "Folder of ROMs to scan...")) {
        result.cancelled = true;
        return result;
    }
    folder = WithTrailingSlash(folder);
    AtomicOutputFile output;
    if (!ChooseOutputFile(ui, "Save scanned xml file as...", {}, {inputs.inputPath}, output, result))
        return result;
    RecordExtract extract;
    if (!extract.Open(inputs.inputPath, ui)) return result;
    log += "XML input filename:" + inputs.inputPath + "\r\n";

    // An unreadable folder would give an empty master file that looks like a result.
    RomFolderListing files = ListRomFiles(folder, {".zip", ".7z", ".chd"});
    if (!files.readable) {
        ui.ShowMessage(MessageIcon::Exclamation, kUtilityRomFolderReadError);
        return result;
    }

    ProgressWindow progress(ui, "Indexing main input XML file...", "This will likely take a few minutes.");
    extract.index.Build(extract.input, &ui);
    ui.ProgressSetTexts("Scanning zips and creating new xml file...", "");
    extract.WriteHeader(output);

    const std::string startTag = extract.input.StartTag();
    std::int64_t filesFound = 0;
    for (const std::string& path : files.paths) {
        ++filesFound;
        std::string name = RomNameOfFile(path.substr(folder.size()));
        ui.ProgressSetTexts("Scanning and creating new xml file...", path);
        ui.ProgressUpdate(filesFound, static_cast<std::int64_t>(files.paths.size()));
        std::int64_t position = extract.index.FindRecordKey(name);
        if (position == -1) {
            log += name + " was not found in the xml file.\r\n";
            continue;
        }
        ui.ProgressSetTexts("Adding game:", path);
        extract.CopyRecord(output, position, startTag);
        ++result.games;  // counted even when the read failed, as the summary always did
    }
    char summary[160];
    std::snprintf(summary, sizeof summary,
                  "Added %lld entries into new XML file out of %lld zip files found.",
                  static_cast<long long>(result.games), static_cast<long long>(filesFound));
    log += summary;
    extract.WriteClosing(output);
    if (!output.Commit()) {
        ui.ShowMessage(MessageIcon::Exclamation, kUtilityOutputWriteError);
        return result;
    }
    result.written = true;
    bool logWritten = WriteFileAtomically(LogFilePath(inputs.logFolder, kRomScanLogName), log);
    progress.Close();
    if (!logWritten) ui.ShowMessage(MessageIcon::Exclamation, kUtilityLogOpenError);
    ui.ShowMessage(MessageIcon::Information, kRomScanDone);
    return result;
}

}  // namespace vantor
