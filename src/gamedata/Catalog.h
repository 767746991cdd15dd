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

inline constexpr const char* kInputFileUnreadable = "The input file cannot be read.";

// The catalog a job on another thread reads: its own opening of the same state of the file, so
// that the window may close or reopen its catalog meanwhile, and never changed once made.
using CatalogSnapshot = std::shared_ptr<const Catalog>;

// `display` in place of the catalog's own, for a job shown otherwise (the details' ROM names).
inline CatalogSnapshot SnapshotOf(const Catalog& catalog, const DisplayOptions& display) {
    auto copy = std::make_shared<Catalog>();
    copy->file = catalog.file.Duplicate();
    copy->inputType = catalog.inputType;
    copy->display = display;
    copy->outsideFacts = catalog.outsideFacts;
    return copy;
}
inline CatalogSnapshot SnapshotOf(const Catalog& catalog) {
    return SnapshotOf(catalog, catalog.display);
}

}  // namespace vantor
