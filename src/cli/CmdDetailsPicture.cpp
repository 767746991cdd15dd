// details --picture KIND ROMNAME: where the picture the windows would show for a game is.
#include "CliCommand.h"
#include "artwork/Artwork.h"
#include "gamedata/FileIo.h"
#include "search/GameDetails.h"

namespace vantor::cli {

int PrintPictureLocation(CliContext& context, const std::string& kindName, const std::string& romName) {
    PictureKind kind{};
    if (!ParsePictureKind(kindName, kind)) {
        std::string names;
        for (const PictureKindInfo& info : PictureKinds())
            names += (names.empty() ? "" : ", ") + std::string(info.name);
        return context.UsageError("unknown picture kind \"" + kindName + "\" (one of " + names + ")");
    }
    const std::string& folder = context.options.artwork;
    if (folder.empty()) {
        context.Error("No artwork folder: name one with --artwork DIR, or in the settings.");
        return kExitFailure;
    }
    if (!IsDirectory(folder)) {
        context.Error("The artwork folder " + folder + " does not exist.");
        return kExitFailure;
    }
    if (!context.OpenMaster()) return kExitFailure;
    std::string record;
    (void)ReadGameRecord(context.catalog, romName, record);
    if (record.empty()) {
        context.Error("No game named \"" + romName + "\" in the input file.");
        return kExitFailure;
    }
    const std::string parent = ParentName(context.catalog, record);
    const PictureLocation where = ArtworkFolder(folder).Find(kind, romName, parent);
    if (!where.Found()) {
        context.Error("No " + kindName + " picture of " + romName +
                      (parent.empty() || parent == romName ? "" : " or of its parent " + parent) + " in " +
                      folder + ".");
        return kExitFailure;
    }
    context.out << where.Text() << '\n';
    return kExitOk;
}

}  // namespace vantor::cli
