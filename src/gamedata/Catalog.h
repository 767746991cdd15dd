#pragma once
// The open master file and what the program knows of it: its flavour (which tags its records
// use) and how its games are shown. The input check fills it; the reader, the scans, the writers
// and the utilities are handed it. Nothing of it lives anywhere else.
#include <memory>
#include <string>

#include "MasterFile.h"
#include "RecordFields.h"
#include "RecordReader.h"
#include "TagTable.h"

namespace vantor {

class OutsideFacts;

// The settings window's two display options.
struct DisplayOptions {
    bool hideTags = false;      // "Hide tags in ROM descriptions"
    bool hideRomNames = false;  // "Hide ROM names (and SHA1/CRCs)" in the details
};

struct Catalog {
    MasterFile file;
    int inputType = MameGame;  // as detected; an unknown header counts as MameGame
    DisplayOptions display;
    // What is known of its games outside the file (the kept ROM audit), for the search terms that
    // ask it (search/OutsideTerms.h); null when nothing is kept for this file.
    std::shared_ptr<const OutsideFacts> outsideFacts;

    RecordReader Reader() const { return RecordReader(inputType); }
    RecordFields Fields() const { return RecordFields(inputType, display.hideTags); }
    const std::string& StartTag() const { return Tags().StartTag(inputType); }
    const std::string& ManufacturerTag() const { return Tags().ManufacturerTag(inputType); }
};

}  // namespace vantor
