#include "LiveCount.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTextCharFormat>
#include <QTimer>

#include "QtUserInterface.h"
#include "gamedata/AppPaths.h"
#include "gamedata/Catalog.h"
#include "gamedata/TextUtil.h"
#include "search/CompiledExpression.h"
#include "search/ListingCache.h"
#include "search/SearchText.h"

namespace vantor::app {

namespace {
// A count shows no progress: only the wish to stop it goes through.
class CancelOnly : public ProgressSink {
  public:
    explicit CancelOnly(const JobControl& control) : control_(control) {}
    void Progress(std::int64_t, std::int64_t) override {}
    bool CancelRequested() const override { return control_.CancelRequested(); }

  private:
    const JobControl& control_;
};
}  // namespace

QString MatchCountText(std::int64_t count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
    return QString::fromStdString((count < 0 ? "-" : "") + digits + (count == 1 ? " game" : " games"));
}

QString ShortErrorText(const std::string& message) {
    std::string_view text = message;
    while (!text.empty() && (text.front() == '\n' || text.front() == '\r')) text.remove_prefix(1);
    text = text.substr(0, text.find_first_of("\r\n"));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {
// Bytes of `edit`'s text as UTF-8 to its characters.
std::pair<int, int> CharacterRange(const QLineEdit* edit, int offset, int length) {
    const QByteArray bytes = edit->text().toUtf8();
    const auto start = static_cast<int>(QString::fromUtf8(bytes.left(offset)).size());
    const auto end = static_cast<int>(QString::fromUtf8(bytes.left(offset + length)).size());
    return {start, std::max(end - start, 1)};
}
}  // namespace

void MarkMistake(QLineEdit* edit, int offset, int length) {
    // Formats reach a line edit's text through the input method's way, relative to the cursor.
    QList<QInputMethodEvent::Attribute> formats;
    if (offset >= 0) {
        const auto [start, count] = CharacterRange(edit, offset, length);
        QTextCharFormat mark;
        mark.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.setUnderlineColor(Qt::red);
        formats.append(QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat,
                                                    start - edit->cursorPosition(), count, mark));
    }
    QInputMethodEvent event(QString(), formats);
    QCoreApplication::sendEvent(edit, &event);
}

void SelectMistake(QLineEdit* edit, int offset, int length) {
    const auto [start, count] = CharacterRange(edit, offset, length);
    edit->setFocus(Qt::OtherFocusReason);
    edit->setSelection(start, count);
}

CountLabel::CountLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000,000 games ")));
}

void CountLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    style()->drawItemText(&painter, room, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideRight, room.width()), foregroundRole());
}

LiveMatchCount::LiveMatchCount(QLabel* label, QObject* parent) : QObject(parent), label_(label) {
    coalesce_ = new QTimer(this);
    coalesce_->setSingleShot(true);
    coalesce_->setInterval(0);
    connect(coalesce_, &QTimer::timeout, this, &LiveMatchCount::StartCount);
}

LiveMatchCount::~LiveMatchCount() {
    StopReading();
}

void LiveMatchCount::Prepare(const Catalog& catalog) {
    const std::string path = catalog.file.Path();
    const QFileInfo file(FromBytes(path));
    const std::int64_t size = catalog.file.Size();
    const std::int64_t modified = file.lastModified().toMSecsSinceEpoch();
    facts_ = catalog.outsideFacts;
    if (cache_ && path == cachePath_ && size == cacheSize_ && modified == cacheModified_) {
        if (haveText_) StartCount();
        return;
    }
    // The old records go before the new ones are read: the two together could be twice the file.
    count_.Drop();
    cache_.reset();
    shown_ = -1;
    label_->setEnabled(true);
    label_->setText(QString::fromUtf8(kCountingText));
    label_->setToolTip(QStringLiteral("Reading the input file once, to count the games of each change."));
    build_ = RunThenDeliver(
        this,
        [catalog = SnapshotOf(catalog)](JobControl& control) {
            return ListingCache::Build(*catalog, &control);
        },
        [this, path, size, modified](Outcome<std::shared_ptr<const ListingCache>> outcome) {
            if (!outcome.Done()) {
                if (outcome.Failed())
                    ShowAnswer(QStringLiteral("no count"), FromBytes(outcome.messages.at(0).text), -1);
                return;
            }
            cache_ = std::move(outcome.value);
            cachePath_ = path;
            cacheSize_ = size;
            cacheModified_ = modified;
            if (haveText_) StartCount();
        });
}

void LiveMatchCount::StopReading() {
    if (!build_.Running()) return;
    build_.Drop();
    build_.WaitForWorker();
}

void LiveMatchCount::Clear() {
    StopReading();
    coalesce_->stop();
    count_.Drop();
    cache_.reset();
    shown_ = -1;
    label_->clear();
    label_->setToolTip(QString());
}

bool LiveMatchCount::Busy() const {
    return build_.Running() || count_.Running() || coalesce_->isActive();
}

void LiveMatchCount::Count(const std::string& findText) {
    findText_ = findText;
    haveText_ = true;
    if (!cache_) return;  // counted once the records are there
    // The answer for the text before stays in view, greyed, until this one comes.
    label_->setEnabled(false);
    coalesce_->start();
}

void LiveMatchCount::StartCount() {
    coalesce_->stop();
    if (!cache_) return;
    if (TrimView(findText_).empty()) {
        // Nothing typed is no mistake worth a message beside "Go!".
        count_.Drop();
        ShowAnswer(QString(), QString(), -1);
        return;
    }
    ++countsStarted_;
    label_->setEnabled(false);
    count_ = RunThenDeliver(
        this,
        [cache = cache_, facts = facts_, text = findText_](JobControl& control) {
            // As "Go!" prepares it, macros read from the file of the moment.
            const std::string expression = PrepareSearchText(text, FindDataFile("vnmacros.txt"));
            CancelOnly cancel(control);
            return cache->CountMatches(CompiledExpression(expression, facts.get()), &cancel);
        },
        [this](Outcome<std::int64_t> outcome) {
            if (outcome.Done()) {
                ShowAnswer(CountText(outcome.value), QString(), outcome.value);
            } else if (outcome.Failed()) {
                const std::string& text = outcome.messages.at(0).text;
                ShowAnswer(ShortErrorText(text), FromBytes(text), -1, outcome.where);
            }
        });
}

void LiveMatchCount::SetOnePerFamily(bool on) {
    onePerFamily_ = on;
    if (shown_ >= 0 && label_->isEnabled()) ShowAnswer(CountText(shown_), QString(), shown_);
}

QString LiveMatchCount::CountText(std::int64_t count) const {
    // The count is of the matches; "Go!" then keeps one game of each family among them.
    return MatchCountText(count) + (onePerFamily_ ? QString::fromUtf8(kBeforeOnePerFamilyText) : QString());
}

void LiveMatchCount::ShowAnswer(const QString& text, const QString& toolTip, std::int64_t count,
                                std::optional<ErrorSpan> mistake) {
    shown_ = count;
    label_->setEnabled(true);
    label_->setText(text);
    label_->setToolTip(toolTip.isEmpty() ? text : toolTip);
    if (mistake) {
        Q_EMIT MistakeAt(static_cast<int>(mistake->offset), static_cast<int>(mistake->length));
    } else {
        Q_EMIT MistakeAt(-1, 0);
    }
    Q_EMIT Answered();
}

}  // namespace vantor::app
