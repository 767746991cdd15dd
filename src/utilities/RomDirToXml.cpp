#include "RomDirToXml.h"

#include "gamedata/RecordReader.h"
#include "gamedata/TextUtil.h"
#include "gamedata/XmlEntities.h"

namespace vantor {

namespace {

void RemoveAllNoCase(std::string& text, std::string_view part) {
    std::string lower = ToLowerAscii(text);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t at = lower.find(part); at != std::string::npos;
         at = lower.find(part, at + part.size())) {
        out.append(text, copied, at - copied);
        copied = at + part.size();
    }
    if (copied == 0) return;
    out.append(text, copied, std::string::npos);
    text.swap(out);
}

}  // namespace

std::string RomDirGameElement(const std::string& folder, const std::string& path) {
    // The year and maker come from the file's own name, so that a folder name with ")(" in it
    // cannot supply them.
    std::string fileName = path.substr(std::min(folder.size(), path.size()));
    std::string year = "????";
    std::string maker = "Unknown";
    std::size_t brackets = fileName.find(")(");
    if (brackets != std::string::npos && brackets >= 5 && fileName[brackets - 5] == '(') {
        year = fileName.substr(brackets - 4, 4);
        std::size_t makerStart = brackets + 2;
        std::size_t makerEnd = fileName.find(')', makerStart);
        maker = fileName.substr(makerStart,
                                makerEnd == std::string::npos ? std::string::npos : makerEnd - makerStart);
    }
    // The folder text and the extensions (in any letter case, as the folder listing finds them)
    // go from every text of the element; the folder first, so that a folder whose name holds
    // ".zip" cannot stay in every name. File names may hold "&" or quotes: the texts are encoded.
    std::string stem = path;
    for (std::string* text : {&stem, &year, &maker}) {
        ReplaceAll(*text, folder, "");
        RemoveAllNoCase(*text, ".zip");
        RemoveAllNoCase(*text, ".7z");
        EncodeEntities(*text);
    }
    return "\t<game name=\"" + stem + "\">\r\n\t\t<description>" + stem + "</description>\r\n\t\t<year>" +
           year + "</year>\r\n\t\t<manufacturer>" + maker + "</manufacturer>\r\n\t</game>\r\n";
}

Outcome<UtilityOutput> RunRomDirToXml(const RomDirInputs& inputs, ProgressSink& progress) {
    Outcome<UtilityOutput> outcome;
    outcome.value.outputPath = inputs.outputPath;
    const std::string folder = WithTrailingSlash(inputs.romFolder);
    AtomicOutputFile output;
    if (!OpenOutputFile(inputs.outputPath, {}, output, outcome)) return outcome;
    progress.Texts("Scanning and creating new xml file...", "");
    RomFolderListing files = ListRomFiles(folder, {".zip", ".7z"});
    if (!files.readable) return outcome.Fail(kUtilityRomFolderReadError);
    output.Write(kRomDirHeader);
    std::int64_t done = 0;
    for (const std::string& path : files.paths) {
        if (progress.CancelRequested()) return outcome.Cancel();
        progress.Texts("Scanning and creating new xml file...", path);
        progress.Progress(++done, static_cast<std::int64_t>(files.paths.size()));
        output.Write(RomDirGameElement(folder, path));
        ++outcome.value.games;
    }
    output.Write(RecordReader::GetRootCloseTag(kRomDirHeader));
    // A Cancel after the last item still leaves the earlier file as it was.
    if (progress.CancelRequested()) return outcome.Cancel();
    if (!output.Commit()) return outcome.Fail(OutputWriteFailure(output));
    outcome.kind = OutcomeKind::Done;
    outcome.Tell(kRomDirDone);
    return outcome;
}

}  // namespace vantor
