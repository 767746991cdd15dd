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

Outcome<UtilityOutput> RunRomScan(const RomScanInputs& inputs, ProgressSink& progress) {
    Outcome<UtilityOutput> outcome;
    outcome.value.outputPath = inputs.outputPath;
    std::string log = UtilityLogHeader("Vantor rom scan utility log file.");

    const std::string folder = WithTrailingSlash(inputs.romFolder);
    AtomicOutputFile output;
    if (!OpenOutputFile(inputs.outputPath, {inputs.inputPath}, output, outcome)) return outcome;
    RecordExtract extract;
    if (!extract.Open(inputs.inputPath, outcome)) return outcome;
    log += "XML input filename:" + inputs.inputPath + "\r\n";

    // An unreadable folder would give an empty master file that looks like a result.
    RomFolderListing files = ListRomFiles(folder, {".zip", ".7z", ".chd"});
    if (!files.readable) return outcome.Fail(kUtilityRomFolderReadError);

    progress.Texts("Indexing main input XML file...", "This will likely take a few minutes.");
    if (!extract.index.Build(extract.input, &progress)) return outcome.Cancel();
    progress.Texts("Scanning zips and creating new xml file...", "");
    extract.WriteHeader(output);

    const std::string startTag = extract.input.StartTag();
    std::int64_t filesFound = 0;
    for (const std::string& path : files.paths) {
        if (progress.CancelRequested()) return outcome.Cancel();
        ++filesFound;
        std::string name = RomNameOfFile(path.substr(folder.size()));
        progress.Texts("Scanning and creating new xml file...", path);
        progress.Progress(filesFound, static_cast<std::int64_t>(files.paths.size()));
        std::int64_t position = extract.index.FindRecordKey(name);
        if (position == -1) {
            log += name + " was not found in the xml file.\r\n";
            continue;
        }
        progress.Texts("Adding game:", path);
        extract.CopyRecord(output, position, startTag);
        ++outcome.value.games;  // counted even when the read failed, as the summary always did
    }
    char summary[160];
    std::snprintf(summary, sizeof summary,
                  "Added %lld entries into new XML file out of %lld zip files found.",
                  static_cast<long long>(outcome.value.games), static_cast<long long>(filesFound));
    log += summary;
    extract.WriteClosing(output);
    // A Cancel after the last item still leaves the earlier file as it was.
    if (progress.CancelRequested()) return outcome.Cancel();
    if (!output.Commit()) return outcome.Fail(OutputWriteFailure(output));
    outcome.kind = OutcomeKind::Done;
    const std::string logPath = LogFilePath(inputs.logFolder, kRomScanLogName);
    if (WriteFileAtomically(logPath, log)) {
        outcome.value.logPath = logPath;
    } else {
        outcome.Tell(MessageIcon::Exclamation, kUtilityLogOpenError);
    }
    outcome.Tell(kRomScanDone);
    return outcome;
}

}  // namespace vantor
