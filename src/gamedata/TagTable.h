#pragma once
// The master-file flavours and the tags that tell records apart in each of them.
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

    // The column of an input type; an undetected type reads as MameGame.
    static int Column(int inputType) { return inputType >= 0 && inputType < kInputTypeCount ? inputType : 0; }
    const std::string& StartTag(int inputType) const { return startTag[Column(inputType)]; }
    const std::string& DescriptionTag(int inputType) const { return descriptionTag[Column(inputType)]; }
    const std::string& ManufacturerTag(int inputType) const { return manufacturerTag[Column(inputType)]; }
    const std::string& EndTag(int inputType) const { return endTag[Column(inputType)]; }
};

const TagTable& Tags();

// What the merge writes into a game that a data file does not know.
inline constexpr const char* kNoCatver = "no_catver";
inline constexpr const char* kNoNplayers = "no_nplayers";
inline constexpr const char* kNoVerAdded = "no_veradded";

}  // namespace vantor
