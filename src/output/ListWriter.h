#pragma once
// One list format's writer: the list's head, one entry per game, the tail. SaveList reads the
// games' records at their keys and hands them to the writer; the writer never opens a file, asks
// a question or shows a message.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ListOptions.h"
#include "ListSink.h"
#include "gamedata/Catalog.h"

namespace vantor {

// One game record as the writers see it, with what was found in it so far (its lower-cased copy,
// where its "<" and "=" stand, its description), so that the fields of one row never make the
// record be lower-cased or searched again for the same thing.
class ListedRecord {
  public:
    explicit ListedRecord(const RecordFields& fields) : fields_(fields) {}
    // `text` as a read with an empty start key returns it.
    ListedRecord(const RecordFields& fields, std::string text) : fields_(fields), body_(std::move(text)) {}

    // The buffer for the next record's text. With `lineFeed` the record stands for a line feed
    // followed by that text (so the text need not be copied behind one). Buffers are reused.
    std::string& Renew(bool lineFeed) {
        lineFeed_ = lineFeed;
        Changed();
        return body_;
    }
    // To be called after the text was changed in place: what was found in it is forgotten.
    void Changed() {
        lowered_ = described_ = false;
        offsetsFound_ = false;
    }
    void AppendText(std::string& out) const {
        if (lineFeed_) out += '\n';
        out += body_;
    }
    // The record's text, without the line feed it may stand behind.
    std::string_view Text() const { return body_; }
    // All occurrences of the key list's keys from the start of the record, the values of different
    // keys joined without a separator.
    std::string Value(std::string_view keyList) const;
    std::string RomName() const;
    std::string Description() const;
    int InputType() const { return fields_.InputType(); }

  private:
    const std::string& Lower() const;
    // Whether the leading line feed changes what `keyList` finds (see Value).
    bool NeedsLineFeed(std::string_view keyList) const;
    // For a single element key ("<year>") or attribute key ("cloneof="): every place where it
    // (without a closing ">") stands, into places_; false for keys of other kinds.
    bool FindPlaces(std::string_view key) const;
    const std::vector<std::uint32_t>& Offsets(char c) const;

    const RecordFields& fields_;
    bool lineFeed_ = false;
    std::string body_;
    mutable std::string lower_;
    mutable bool lowered_ = false;
    // Offsets of every "<" and every "=" of the record, found when first needed.
    mutable std::vector<std::uint32_t> tagStarts_, equalSigns_;
    mutable bool offsetsFound_ = false;
    mutable std::vector<std::uint32_t> places_;
    mutable std::string searched_;
    mutable std::string description_;
    mutable bool described_ = false;
};

// What a writer may look at besides the games: the master file (its header, its flavour) and
// where the list goes (a format that updates a list reads the current one from there).
struct ListContext {
    const Catalog& catalog;
    const ListSink& target;
};

// One object per save, made from the format table with the save's options, so nothing carries
// over from one list to the next. Begin and End may throw EngineError: the save then fails with
// its text and writes nothing.
class ListWriter {
  public:
    virtual ~ListWriter() = default;

    // Raw: records come as the bytes of the file, to be copied into an XML file as they stand;
    // otherwise entity-decoded, for their values.
    virtual RecordText Form() const { return RecordText::Decoded; }
    // Before the games: the head of the list.
    virtual void Begin(const ListContext& context, ListDocument& document) {
        (void)context;
        (void)document;
    }
    // One game: appends its text to `out` and says whether it counts. Entries are made in file
    // order and joined in list order, and a game listed twice may be made once: what an entry
    // writes depends on its record alone.
    virtual bool Entry(const ListedRecord& record, std::string& out) const = 0;
    // True when Entry keeps nothing between calls, so that long lists are made on several threads
    // at once.
    virtual bool EntriesInParallel() const { return false; }
    // After the games (document.games of them): the tail, or anything that needs the whole list.
    virtual void End(const ListContext& context, ListDocument& document) {
        (void)context;
        (void)document;
    }
};

}  // namespace vantor
