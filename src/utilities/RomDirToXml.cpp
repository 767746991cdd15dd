#include "RomDirToXml.h"

#include "gamedata/RecordReader.h"
#include "gamedata/XmlEntities.h"
#include "gamedata/TextUtil.h"

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

UtilityResult RunRomDirToXml(UserInterface& ui) {
    UtilityResult result;
    std::string folder;
    if (!ui.BrowseForFolder(folder, "Folder of ROMs to use...")) {
        result.cancelled = true;
        return result;
    }
    folder = WithTrailingSlash(folder);
    AtomicOutputFile output;
    if (!ChooseOutputFile(ui, "Save new xml file as...", {}, {}, output, result)) return result;
    ProgressWindow progress(ui, "Scanning and creating new xml file...", "");
    RomFolderListing files = ListRomFiles(folder, {".zip", ".7z"});
    if (!files.readable) {
        progress.Close();
        ui.ShowMessage(MessageIcon::Exclamation, kUtilityRomFolderReadError);
        return result;
    }
    output.Write(kRomDirHeader);
    std::int64_t done = 0;
    for (const std::string& path : files.paths) {
        ui.ProgressSetTexts("Scanning and creating new xml file...", path);
        ui.ProgressUpdate(++done, static_cast<std::int64_t>(files.paths.size()));
        output.Write(RomDirGameElement(folder, path));
        ++result.games;
    }
    output.Write(RecordReader::GetRootCloseTag(kRomDirHeader));
    progress.Close();
    if (!output.Commit()) {
        ui.ShowMessage(MessageIcon::Exclamation, kUtilityOutputWriteError);
        return result;
    }
    result.written = true;
    ui.ShowMessage(MessageIcon::Information, kRomDirDone);
    return result;
}

}  // namespace vantor
