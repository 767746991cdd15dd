#include "PicturePane.h"

#include <QBuffer>
#include <QEvent>
#include <QImageReader>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <mutex>

#include "QtUserInterface.h"
#include "artwork/Artwork.h"
#include "gamedata/Catalog.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"

namespace vantor::app {

namespace {

// A load that takes longer than this (a huge picture) clears the last game's pictures meanwhile.
constexpr int kWaitBeforeClearingMs = 200;
constexpr const char* kNoPicture = "No picture";

// One ArtworkFolder for every pane, so that each zip's directory is read once while the folder
// stays the same.
std::shared_ptr<const ArtworkFolder> SharedArtworkFolder(const std::string& path) {
    static std::mutex mutex;
    static std::string sharedPath;
    static std::shared_ptr<const ArtworkFolder> shared;
    std::lock_guard lock(mutex);
    if (!shared || sharedPath != path) {
        shared = std::make_shared<ArtworkFolder>(path);
        sharedPath = path;
    }
    return shared;
}

std::string ArtworkSettingsText(const Settings& settings) {
    return settings.artworkFolder + '\n' + settings.artworkKinds;
}

}  // namespace

QImage DecodePicture(const QByteArray& bytes, const QSize& box) {
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return {};
    if (static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels) return {};
    // PNG and JPEG scale row by row as they are read; for others Qt reads the whole picture within
    // its allocation limit, then scales it.
    if (size.width() > box.width() || size.height() > box.height())
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) return {};
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) {}

void PictureView::SetPicture(const QImage& image, const QString& where) {
    image_ = image;
    placeholder_.clear();
    scaled_ = QPixmap();
    setToolTip(where);
    update();
}

void PictureView::SetPlaceholder(const QString& text) {
    image_ = QImage();
    placeholder_ = text;
    scaled_ = QPixmap();
    setToolTip(QString());
    update();
}

int PictureView::NaturalHeight(int width) const {
    if (image_.isNull()) return width * 3 / 4;
    return static_cast<int>(static_cast<qint64>(width) * image_.height() / image_.width());
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::AlternateBase));
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, placeholder_);
        return;
    }
    QRect target(QPoint(), image_.size().scaled(size(), Qt::KeepAspectRatio));
    target.moveCenter(rect().center());
    // Scaled once per size, smoothly, at the screen's own pixel density.
    const qreal ratio = devicePixelRatioF();
    if (scaled_.isNull() || scaled_.deviceIndependentSize().toSize() != target.size()) {
        scaled_ = QPixmap::fromImage(
            image_.scaled(target.size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        scaled_.setDevicePixelRatio(ratio);
    }
    painter.drawPixmap(target.topLeft(), scaled_);
}

struct PicturePane::Loaded {
    struct Picture {
        bool chosen = false;  // a kind the settings show
        QString where;        // "" when the folder has none
        QImage image;         // null when there is none or it cannot be shown
    };
    bool configured = false;
    std::string settings;           // the folder and kinds they were chosen by
    std::vector<Picture> pictures;  // one per kind, in PictureKinds() order

    // No pictures yet, the kinds chosen as the settings say.
    static Loaded Chosen(const Settings& settings) {
        const std::vector<PictureKind> chosen = ParsePictureKindList(settings.artworkKinds);
        Loaded loaded;
        loaded.configured = !settings.artworkFolder.empty() && !chosen.empty();
        loaded.settings = ArtworkSettingsText(settings);
        for (const PictureKindInfo& info : PictureKinds())
            loaded.pictures.push_back(
                {std::find(chosen.begin(), chosen.end(), info.kind) != chosen.end(), {}, {}});
        return loaded;
    }
};

PicturePane::PicturePane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picturePane"));
    setMinimumSize(160, 120);
    for (const PictureKindInfo& info : PictureKinds()) {
        auto* view = new PictureView(this);
        view->setObjectName(QStringLiteral("picture_") + QString::fromUtf8(info.name));
        view->hide();
        views_.push_back(view);
    }

    waiting_ = new QTimer(this);
    waiting_->setSingleShot(true);
    waiting_->setInterval(kWaitBeforeClearingMs);
    connect(waiting_, &QTimer::timeout, this, [this] {
        for (PictureView* view : views_) view->SetPlaceholder(QString());
        LayOut();
    });

    // Known before the first game, so that a window without artwork never shows the pane.
    Show(Loaded::Chosen(Settings::Load()));
    if (parent != nullptr) window()->installEventFilter(this);
}

PicturePane::~PicturePane() = default;

QSize PicturePane::sizeHint() const {
    return {300, 480};
}

void PicturePane::resizeEvent(QResizeEvent*) {
    LayOut();
}

void PicturePane::LayOut() {
    std::vector<PictureView*> shown;
    for (PictureView* view : views_) {
        if (!view->isHidden()) shown.push_back(view);
    }
    if (shown.empty()) return;
    const int spacing = 6;
    const int room = std::max(0, height() - spacing * static_cast<int>(shown.size() - 1));
    std::vector<int> heights;
    int rest = 0;  // what the pictures after the first would take
    for (PictureView* view : shown) heights.push_back(view->NaturalHeight(width()));
    for (std::size_t i = 1; i < heights.size(); ++i) rest += heights[i];
    if (heights[0] + rest > room) {
        // The first (the snapshot) keeps at least three fifths of the room, or all it needs.
        heights[0] = std::min(heights[0], std::max(room * 3 / 5, room - rest));
        const double share = rest > 0 ? static_cast<double>(room - heights[0]) / rest : 0.0;
        for (std::size_t i = 1; i < heights.size(); ++i) heights[i] = static_cast<int>(heights[i] * share);
    }
    int y = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        shown[i]->setGeometry(0, y, width(), heights[i]);
        y += heights[i] + spacing;
    }
}

void PicturePane::ShowGameAt(const CatalogSnapshot& catalog, const std::string& key,
                             const std::string& romName) {
    Load(romName, [catalog, key] {
        const Catalog& own = *catalog;
        if (!own.file.IsOpen()) throw EngineError(kInputFileUnreadable);
        const long long position = ParseRecordKey(key);
        std::string record;
        RecordReader reader = own.Reader();
        if (position < 0 || reader.ReadRecord(own.file, record, own.StartTag(), position) != position)
            throw EngineError("No game at record " + key + " in the input file.");
        return ParentName(own, record);
    });
}

void PicturePane::ShowGame(const std::string& romName, const std::string& parentName) {
    Load(romName, [parentName] { return parentName; });
}

void PicturePane::ShowNoGame() {
    Load({}, [] { return std::string(); });
}

bool PicturePane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::WindowActivate && !load_.Running() &&
        ArtworkSettingsText(Settings::Load()) != shownSettings_)
        Load(romName_, parentOf_);
    return QWidget::eventFilter(watched, event);
}

void PicturePane::Load(std::string romName, std::function<std::string()> parentOf) {
    romName_ = romName;
    parentOf_ = parentOf;
    if (!waiting_->isActive()) waiting_->start();
    load_ = RunThenDeliver(
        this,
        [romName = std::move(romName), parentOf = std::move(parentOf)](JobControl& control) {
            // The settings of this moment: the settings window may have changed them since.
            const Settings settings = Settings::Load();
            Loaded loaded = Loaded::Chosen(settings);
            if (!loaded.configured || romName.empty()) return loaded;
            const auto folder = SharedArtworkFolder(settings.artworkFolder);
            const std::string parent = parentOf();
            for (std::size_t i = 0; i < loaded.pictures.size(); ++i) {
                Loaded::Picture& picture = loaded.pictures[i];
                if (!picture.chosen) continue;
                if (control.CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
                const PictureLocation where = folder->Find(PictureKinds()[i].kind, romName, parent);
                if (!where.Found()) continue;
                picture.where = FromBytes(where.Text());
                std::string bytes, problem;
                if (ReadPictureBytes(where, bytes, problem))
                    picture.image = DecodePicture(QByteArray::fromStdString(bytes));
            }
            return loaded;
        },
        [this](Outcome<Loaded> outcome) {
            waiting_->stop();
            if (outcome.Done()) {
                Show(outcome.value);
            } else {
                // A game that cannot be read has no pictures; that is no error to show.
                Show(Loaded::Chosen(Settings::Load()));
            }
            Q_EMIT PicturesShown();
        });
}

void PicturePane::Show(const Loaded& loaded) {
    configured_ = loaded.configured;
    shownSettings_ = loaded.settings;
    setVisible(configured_);
    // The first kind chosen keeps its place with the placeholder; the others show only when there.
    bool first = true;
    for (std::size_t i = 0; i < views_.size(); ++i) {
        const Loaded::Picture& picture = loaded.pictures[i];
        PictureView* view = views_[i];
        if (!picture.image.isNull()) {
            view->SetPicture(picture.image, picture.where);
        } else {
            view->SetPlaceholder(QString::fromUtf8(kNoPicture));
            if (!picture.where.isEmpty())
                view->setToolTip(picture.where + QStringLiteral(" cannot be shown."));
        }
        view->setVisible(picture.chosen && (first || !picture.image.isNull()));
        if (picture.chosen) first = false;
    }
    LayOut();
}

}  // namespace vantor::app
