#pragma once
// The match count beside "Go!". The master file's records are prepared once on a worker (a
// ListingCache, again only when another file or a changed one is opened); then every change of
// the "-find:" text is counted from memory on a worker, as "Go!" would search it. A newer change
// drops the count before it, so the label only ever shows the answer for the text as it stands,
// and typing never waits for a count.
#include <QLabel>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "BackgroundWork.h"
#include "gamedata/EngineError.h"

class QLineEdit;
class QTimer;

namespace vantor {
struct Catalog;
class ListingCache;
class OutsideFacts;
}  // namespace vantor

namespace vantor::app {

// "1,234 games"; "1 game".
QString MatchCountText(std::int64_t count);
// An expression error in one short line: its first line, which says what is wrong (and mostly
// where); the rest is for the tooltip.
QString ShortErrorText(const std::string& message);
// Marks bytes [offset, offset + length) of `edit`'s text (as UTF-8) with a red wavy underline,
// leaving the text, the cursor and the selection alone; a negative offset removes the mark.
void MarkMistake(QLineEdit* edit, int offset, int length);
// Selects those bytes in `edit` and gives it the focus.
void SelectMistake(QLineEdit* edit, int offset, int length);

inline constexpr const char* kCountingText = "counting...";
inline constexpr const char* kBeforeOnePerFamilyText = ", before one per family";

// The count's label: takes the room the layout gives it, whatever its text, and cuts a text too
// long for it with an ellipsis (the tooltip holds all of it).
class CountLabel : public QLabel {
    Q_OBJECT
  public:
    explicit CountLabel(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class LiveMatchCount : public QObject {
    Q_OBJECT
  public:
    // Shows its answers on `label` (and the whole error text as the label's tooltip).
    LiveMatchCount(QLabel* label, QObject* parent);
    ~LiveMatchCount() override;

    // Prepares the records of the catalog's open file, unless those of the same unchanged file are
    // prepared already; reads the catalog on a worker until StopReading().
    void Prepare(const Catalog& catalog);
    // Stops the preparation, if it runs, and waits for its worker: the catalog's file may close.
    void StopReading();
    // Forgets the records and clears the label (no master file).
    void Clear();
    // Counts `findText` as "Go!" would search it, once the records are prepared.
    void Count(const std::string& findText);
    // "Go!" keeps one game per family: the count says it is the number before that choice.
    void SetOnePerFamily(bool on);

    // The records are prepared.
    bool Ready() const { return cache_ != nullptr; }
    // Preparing or counting: the label does not show the latest answer yet.
    bool Busy() const;
    // The number the label shows, or -1 (an error, or no answer yet).
    std::int64_t Shown() const { return shown_; }
    // Counts started since the window opened (the tests check that changes are coalesced).
    int CountsStarted() const { return countsStarted_; }

  Q_SIGNALS:
    // The label shows the answer for the latest text (a count or an error).
    void Answered();
    // The latest text has a mistake at bytes [offset, offset + length) of it; offset -1: none
    // that a place in the text shows.
    void MistakeAt(int offset, int length);

  private:
    void StartCount();
    void ShowAnswer(const QString& text, const QString& toolTip, std::int64_t count,
                    std::optional<ErrorSpan> mistake = std::nullopt);
    QString CountText(std::int64_t count) const;

    QLabel* label_;
    QTimer* coalesce_;  // a burst of changes in one pass of the event loop is counted once
    std::shared_ptr<const ListingCache> cache_;
    // The catalog's outside data (the kept ROM audit) the counts ask, as of the last Prepare.
    std::shared_ptr<const OutsideFacts> facts_;
    std::string cachePath_;
    std::int64_t cacheSize_ = -1, cacheModified_ = -1;
    JobHandle build_;
    JobHandle count_;
    std::string findText_;
    bool haveText_ = false;
    std::int64_t shown_ = -1;
    int countsStarted_ = 0;
    bool onePerFamily_ = false;
};

}  // namespace vantor::app
