#pragma once
// The selected game's pictures beside a list or its details: the snapshot, and the title, marquee,
// flyer or cabinet when the artwork folder has them (which kinds, and the folder, come from the
// settings). Pictures are found, read and decoded on a worker; a newer game drops the load of the
// one before. No picture, a damaged one or one too large to decode is a quiet placeholder.
#include <QImage>
#include <QSize>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "BackgroundWork.h"
#include "gamedata/Catalog.h"

class QTimer;

namespace vantor::app {

// Decoded pictures fit in this box (aspect ratio kept); a larger one is scaled while it is read.
inline const QSize kPictureBox(800, 800);
// A picture of more pixels than this is not decoded at all (a few seconds' work on a worker).
inline constexpr qint64 kMaxPicturePixels = 600'000'000;

// The bytes as a picture that fits `box`, never enlarged; a PNG or JPEG larger than the box is
// scaled as it is read, so its full size is never held. A null image for bytes that are no
// picture, a damaged one, or one that would need more than kMaxPicturePixels or Qt's allocation
// limit.
QImage DecodePicture(const QByteArray& bytes, const QSize& box = kPictureBox);

// One picture, painted as large as its place allows with its aspect ratio kept, or the
// placeholder text.
class PictureView : public QWidget {
    Q_OBJECT
  public:
    explicit PictureView(QWidget* parent = nullptr);
    void SetPicture(const QImage& image, const QString& where);
    // No picture: the placeholder (or nothing, while waiting for one).
    void SetPlaceholder(const QString& text);
    const QImage& Picture() const { return image_; }
    QString PlaceholderText() const { return placeholder_; }

    // The height that shows the whole picture at `width` (the placeholder's is 4:3).
    int NaturalHeight(int width) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    QString placeholder_;
    QPixmap scaled_;  // image_ at the size last painted
};

// The pictures one above the other, the whole pane's width each when they fit; when they do not,
// the snapshot keeps most of its size and the others share what is left.
class PicturePane : public QWidget {
    Q_OBJECT
  public:
    explicit PicturePane(QWidget* parent = nullptr);
    ~PicturePane() override;

    // An artwork folder and at least one kind are chosen in the settings (read again at each
    // game): the pane is shown only then.
    bool Configured() const { return configured_; }

    // The pictures of the game whose record key in the master file is `key` (its parent is read
    // from its record), or of `romName` and `parentName` when they are known already.
    void ShowGameAt(const CatalogSnapshot& catalog, const std::string& key, const std::string& romName);
    void ShowGame(const std::string& romName, const std::string& parentName);
    // No game: the placeholder.
    void ShowNoGame();

    bool Loading() const { return load_.Running(); }
    QSize sizeHint() const override;
    // The views, in the order shown (visible or not), for tests.
    std::vector<PictureView*> Views() const { return views_; }

  Q_SIGNALS:
    // The pictures of a game have been shown.
    void PicturesShown();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    // Back in the window after the settings changed: the pictures as they now say, the pane shown
    // or hidden as they now say.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LayOut();
    struct Loaded;
    // `parentOf` runs on the worker: it gives the game's parent (or throws when the game is gone).
    void Load(std::string romName, std::function<std::string()> parentOf);
    void Show(const Loaded& loaded);

    bool configured_ = false;
    std::string shownSettings_;  // the artwork settings of the pictures shown
    std::string romName_;        // the game of the last load, and how it finds its parent
    std::function<std::string()> parentOf_;
    std::vector<PictureView*> views_;  // one per kind, in PictureKinds() order
    QTimer* waiting_;                  // a slow load clears the last game's pictures
    JobHandle load_;
};

}  // namespace vantor::app
