// The selected game's pictures beside the lists and the details, on artwork generated here: a
// clone showing its parent's, placeholders for none and for a damaged PNG, a huge PNG scaled as it
// is read, and the settings' artwork folder and kinds.
#include <sys/resource.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "AppTestSupport.h"
#include "ArtworkFixtures.h"
#include "app/DetailsView.h"
#include "app/PicturePane.h"
#include "app/ResultListWindows.h"
#include "app/SettingsWindow.h"
#include "app/TextWindow.h"
#include "artwork/Artwork.h"
#include "gamedata/SettingsStore.h"
#include "listmodel/ListTable.h"
#include "search/SearchDriver.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

void WritePng(const QString& path, QSize size, QColor colour) {
    QDir().mkpath(QFileInfo(path).path());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "PNG"));
}

QByteArray PngBytes(QSize size) {
    return QByteArray::fromStdString(SolidPng(static_cast<std::uint32_t>(size.width()),
                                              static_cast<std::uint32_t>(size.height()), 0x008b8b));
}

long PeakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

PictureView* ViewOf(PicturePane* pane, PictureKind kind) {
    return pane->Views()[static_cast<std::size_t>(kind)];
}

// What the view shows at its centre, as painted.
QColor PaintedCentre(PictureView* view) {
    const QImage painted = view->grab().toImage();
    return painted.pixelColor(painted.rect().center());
}

}  // namespace

class PicturePaneTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void selectingAGameShowsItsPictures();
    void hugePicturesAreScaledWhileRead();
    void settingsChooseTheFolderAndKinds();
};

void PicturePaneTest::selectingAGameShowsItsPictures() {
    AppTestEnvironment environment;
    QTemporaryDir art;
    // puckman has a snapshot and a title; its clone pacman a marquee of its own; mappy's snapshot
    // is damaged; galaga has nothing.
    WritePng(art.filePath("snap/puckman.png"), {288, 224}, Qt::red);
    WritePng(art.filePath("titles/puckman.png"), {288, 224}, Qt::blue);
    WritePng(art.filePath("marquees/pacman.png"), {600, 150}, Qt::yellow);
    WritePng(art.filePath("snap/mspacman.png"), {224, 288}, Qt::green);
    QFile damaged(art.filePath("snap/mappy.png"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, '\x17'));
    damaged.close();

    const std::string input = AppFixture("games.xml");
    Settings settings;
    settings.inputXmlFile = input;
    settings.artworkFolder = art.path().toStdString();
    QVERIFY(settings.Save());
    Catalog catalog;
    QVERIFY(OpenInputFile(catalog, input).Done());

    FullListWindow list(catalog);
    int batches = 0;
    QObject::connect(&list, &FullListWindow::BatchShown, [&] { ++batches; });
    HandOver handOver;
    handOver.entries = ScanForMatches(catalog, kListAllExpression, nullptr);
    list.ReceiveEntries(handOver);
    QVERIFY(WaitFor([&] { return batches == 1; }));
    PicturePane* pane = list.Pictures();
    QVERIFY(pane->isVisible());
    int shown = 0;
    QObject::connect(pane, &PicturePane::PicturesShown, [&] { ++shown; });

    using K = PictureKind;
    const struct {
        const char* rom;
        QColor snap;   // invalid: the placeholder
        QColor title;  // invalid: not shown
        QColor marquee;
    } cases[] = {
        {"pacman", Qt::red, Qt::blue, Qt::yellow},
        {"mspacman", Qt::green, {}, {}},
        {"mappy", {}, {}, {}},
        {"galaga", {}, {}, {}},
    };
    for (const auto& c : cases) {
        const ListTable& table = list.List()->Table();
        int row = 0;
        while (row < table.RowCount() && table.Cell(row, kRomNameColumn) != c.rom) ++row;
        const int before = shown;
        list.List()->SelectRow(row, false);
        QVERIFY2(WaitFor([&] { return shown > before && !pane->Loading(); }), c.rom);
        PictureView* snap = ViewOf(pane, K::Snap);
        QVERIFY2(snap->isVisible(), c.rom);
        if (c.snap.isValid()) {
            QCOMPARE(PaintedCentre(snap), c.snap);
        } else {
            QVERIFY2(snap->Picture().isNull(), c.rom);
            QCOMPARE(snap->PlaceholderText(), QStringLiteral("No picture"));
        }
        for (auto [kind, colour] : {std::pair{K::Titles, c.title}, std::pair{K::Marquees, c.marquee}}) {
            QCOMPARE(ViewOf(pane, kind)->isVisible(), colour.isValid());
            if (colour.isValid()) QCOMPARE(PaintedCentre(ViewOf(pane, kind)), colour);
        }
        QVERIFY(!ViewOf(pane, K::Flyers)->isVisible() && !ViewOf(pane, K::Cabinets)->isVisible());
    }

    // View Details shows them beside the text, the clone's parent read from its record.
    int row = 0;
    while (list.List()->Table().Cell(row, kRomNameColumn) != "pacman") ++row;
    list.List()->SelectRow(row, false);
    TextWindow* details = nullptr;
    QObject::connect(list.findChild<DetailsView*>(), &DetailsView::Opened,
                     [&] { details = qobject_cast<TextWindow*>(QApplication::activeModalWidget()); });
    list.ShowDetails();
    QVERIFY(WaitFor([&] { return details != nullptr; }));
    auto* detailsPane = details->findChild<PicturePane*>();
    QVERIFY(detailsPane != nullptr);
    QVERIFY(WaitFor([&] { return !ViewOf(detailsPane, K::Snap)->Picture().isNull(); }));
    QCOMPARE(PaintedCentre(ViewOf(detailsPane, K::Snap)), QColor(Qt::red));
    details->close();

    // Without an artwork folder there is no pane at all.
    settings.artworkFolder.clear();
    QVERIFY(settings.Save());
    FullListWindow plain(catalog);
    QVERIFY(!plain.Pictures()->Configured() && plain.Pictures()->isHidden());
}

void PicturePaneTest::hugePicturesAreScaledWhileRead() {
    // 20000 x 20000 pixels would take 1.6 GB decoded, more than Qt's allocation limit allows.
    const QByteArray huge = QByteArray::fromStdString(SolidPng(20000, 20000, 0x808080));
    const long before = PeakMemoryKb();
    const QImage image = DecodePicture(huge);
    QCOMPARE(image.size(), kPictureBox);
    QCOMPARE(image.pixelColor(400, 400), QColor(0x80, 0x80, 0x80));
    QVERIFY2(PeakMemoryKb() - before < 100 * 1024, "decoding took more memory than a scaled picture needs");

    // Aspect kept, never enlarged; what is no picture decodes to nothing.
    QCOMPARE(DecodePicture(PngBytes({1600, 400})).size(), QSize(800, 200));
    QCOMPARE(DecodePicture(PngBytes({40, 30})).size(), QSize(40, 30));
    QVERIFY(DecodePicture(PngBytes({40, 30}).left(60)).isNull());
    QVERIFY(DecodePicture(QByteArray("not a picture")).isNull());
}

void PicturePaneTest::settingsChooseTheFolderAndKinds() {
    AppTestEnvironment environment;
    environment.WriteSettings(AppFixture("games.xml"));
    QTemporaryDir art;
    SettingsWindow window(AppFixture("games.xml"));
    auto* folder = Child<QLineEdit>(&window, "artworkFolderEdit");

    // A folder that is not there is refused, and nothing is stored.
    folder->setText(QStringLiteral("/no/such/artwork"));
    window.accept();
    QVERIFY(
        environment.HasMessage("The artwork folder /no/such/artwork does not exist!?\r\n"
                               "Choose an existing folder, or none."));
    QCOMPARE(Settings::Load().artworkFolder, std::string());

    environment.fileAnswers = {art.path().toStdString()};
    Child<QPushButton>(&window, "artworkBrowseButton")->click();
    QCOMPARE(folder->text(), art.path());
    Child<QCheckBox>(&window, "artworkKind_titles")->setChecked(false);
    Child<QCheckBox>(&window, "artworkKind_cabinets")->setChecked(true);
    window.accept();
    const Settings stored = Settings::Load();
    QCOMPARE(stored.artworkFolder, art.path().toStdString());
    using K = PictureKind;
    QVERIFY(ParsePictureKindList(stored.artworkKinds) ==
            (std::vector<K>{K::Snap, K::Marquees, K::Flyers, K::Cabinets}));
    // Every kind unticked stays so, rather than falling back to the defaults.
    SettingsWindow again(AppFixture("games.xml"));
    QVERIFY(!Child<QCheckBox>(&again, "artworkKind_titles")->isChecked());
    for (const PictureKindInfo& info : PictureKinds())
        Child<QCheckBox>(&again, ("artworkKind_" + std::string(info.name)).c_str())->setChecked(false);
    again.accept();
    QVERIFY(ParsePictureKindList(Settings::Load().artworkKinds).empty());
}

QTEST_MAIN(PicturePaneTest)
#include "PicturePaneTest.moc"
