#pragma once
// The master-file flavours and the tags that tell records apart in each of them.
#include <atomic>
#include <string>

namespace vantor {

enum InputType : int {
    UnknownInput = -1,
    MameGame = 0,
    Dat = 1,
    MergedList = 2,
    SoftwareList = 3,
    MameMachine = 4,
};
inline constexpr int kInputTypeCount = 5;

// The flavour of the open master file; -1 until detected. Shared by every reader.
extern std::atomic<int> g_inputType;
// "Hide tags in ROM descriptions", read by GetDescription.
extern std::atomic<bool> g_hideTags;

struct TagTable {
    std::string startTag[kInputTypeCount] = {
        "<game name=", "<game name=", "<game name=", "<software name=", "<machine name="};
    std::string descriptionTag[kInputTypeCount] = {"<description>", "gamename=", "<description>",
                                                   "<description>", "<description>"};
    std::string manufacturerTag[kInputTypeCount] = {"<manufacturer>", "<manufacturer>", "<manufacturer>",
                                                    "<publisher>", "<manufacturer>"};
    std::string endTag[kInputTypeCount] = {"</game>", "</game>", "</game>", "</software>", "</machine>"};
    std::string buttonsKey = "buttons=";
    std::string cocktailKey = "'dipvalue name=Cocktail'";

    // The column of the current input type; an undetected type reads as MameGame.
    static int Column(int inputType) { return inputType >= 0 && inputType < kInputTypeCount ? inputType : 0; }
    static int Column() { return Column(g_inputType.load()); }
};

const TagTable& Tags();

// What the merge writes into a game that a data file does not know.
inline constexpr const char* kNoCatver = "no_catver";
inline constexpr const char* kNoNplayers = "no_nplayers";
inline constexpr const char* kNoVerAdded = "no_veradded";

}  // namespace vantor
