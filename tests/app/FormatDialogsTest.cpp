// The format dialogs on their own: the CSV column choice and its order, the Cabrio folders, the
// batch texts.
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "AppTestSupport.h"
#include "app/BackgroundWork.h"
#include "app/CsvDialogs.h"
#include "app/FormatDialogs.h"
#include "app/ProgressDialog.h"
#include "app/SortableListView.h"
#include "gamedata/TagTable.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

std::vector<std::string> DisabledBoxes(CsvColumnsDialog& dialog) {
    std::vector<std::string> disabled;
    for (const CsvColumn& column : CsvColumns()) {
        if (!dialog.Box(column.cliName)->isEnabled()) disabled.push_back(column.cliName);
    }
    return disabled;
}

std::vector<std::string> Headings(const std::vector<const CsvColumn*>& columns) {
    std::vector<std::string> headings;
    for (const CsvColumn* column : columns) headings.push_back(column->heading);
    return headings;
}

}  // namespace

class FormatDialogsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void csvBoxesFollowTheInputType();
    void csvHeaderDragReordersTheColumns();
    void cabrioBrowseEndsFoldersWithASlash();
    void batchDialogShowsItsTexts();
};

void FormatDialogsTest::csvBoxesFollowTheInputType() {
    AppTestEnvironment environment;
    {
        CsvColumnsDialog dialog(MameGame);
        QCOMPARE(DisabledBoxes(dialog),
                 (std::vector<std::string>{"cocktail", "category", "tilt", "alternating", "players",
                                           "uses-service", "mirrored", "version-added"}));
        QVERIFY(dialog.windowTitle().isEmpty());
        // "Toggle all" ticks every box, the disabled ones too, then unticks them all.
        Child<QPushButton>(&dialog, "toggleAllButton")->click();
        for (const CsvColumn& column : CsvColumns()) QVERIFY(dialog.Box(column.cliName)->isChecked());
        Child<QPushButton>(&dialog, "toggleAllButton")->click();
        for (const CsvColumn& column : CsvColumns()) QVERIFY(!dialog.Box(column.cliName)->isChecked());

        // Ticked: Cocktail (disabled, but gathered for a listing), Category (not gathered), Year.
        for (const char* name : {"cocktail", "category", "year"}) dialog.Box(name)->setChecked(true);
        std::vector<std::string> offered;
        OnNextModal<CsvHeaderDialog>([&](CsvHeaderDialog* order) {
            const QAbstractItemModel* model = Child<SortableListView>(order, "columnList")->model();
            for (int column = 0; column < model->columnCount(); ++column) {
                offered.push_back(model->headerData(column, Qt::Horizontal).toString().toStdString() + "=" +
                                  model->index(0, column).data().toString().toStdString());
            }
            Child<QPushButton>(order, "okButton")->click();
        });
        Child<QCheckBox>(&dialog, "headerBox")->setChecked(false);
        Child<QPushButton>(&dialog, "okButton")->click();
        QCOMPARE(offered, (std::vector<std::string>{"Year=<year>,", "Cocktail Support=cocktail=,"}));
        // Category is not gathered for a MAME listing: only Year and Cocktail go to the writer.
        QCOMPARE(dialog.Options().Text(ListOption::Columns), std::string("year,cocktail"));
        QVERIFY(dialog.Options().Has(ListOption::NoHeader));
        QCOMPARE(dialog.Options().Text(ListOption::Delimiter), std::string(";"));
    }
    {
        CsvColumnsDialog dialog(Dat);
        QCOMPARE(DisabledBoxes(dialog),
                 (std::vector<std::string>{"year", "manufacturer", "video-width", "video-height",
                                           "orientation", "display-type", "emulation-status"}));
        // Nothing ticked, or only a box the file type does not fill: OK is refused and the
        // dialog stays, so the preview or save it belongs to goes on once a column is chosen.
        environment.messages.clear();
        dialog.open();
        Child<QPushButton>(&dialog, "okButton")->click();
        dialog.Box("year")->setChecked(true);
        Child<QPushButton>(&dialog, "okButton")->click();
        QCOMPARE(environment.MessageTexts(), (std::vector<std::string>(2, kNoCsvColumnChosen)));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    {
        CsvColumnsDialog dialog(MergedList);
        QVERIFY(DisabledBoxes(dialog).empty());
    }
}

void FormatDialogsTest::csvHeaderDragReordersTheColumns() {
    AppTestEnvironment environment;
    CsvColumnsDialog dialog(MergedList);
    for (const char* name : {"description", "rom-name", "year"}) dialog.Box(name)->setChecked(true);
    Child<QLineEdit>(&dialog, "delimiterEdit")->setText(QStringLiteral(", "));
    OnNextModal<CsvHeaderDialog>([](CsvHeaderDialog* order) {
        QCOMPARE(order->findChild<QLabel*>()->text(),
                 QStringLiteral("Adjust CSV output ordering by moving column headers"));
        QHeaderView* header = Child<SortableListView>(order, "columnList")->header();
        QVERIFY(header->sectionsMovable());
        // "Year" dragged with the mouse before "Description".
        QWidget* viewport = header->viewport();
        const int y = header->height() / 2;
        const int from = header->sectionViewportPosition(2) + 10;
        const int to = header->sectionViewportPosition(0) + 5;
        QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(from, y));
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(viewport, QPoint(from + (to - from) * step / 10, y));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(to, y));
        QCOMPARE(header->logicalIndex(0), 2);
        QCOMPARE(Headings(order->OrderedColumns()),
                 (std::vector<std::string>{"Year", "Description", "ROM Name"}));
        Child<QPushButton>(order, "okButton")->click();
    });
    Child<QPushButton>(&dialog, "okButton")->click();
    QCOMPARE(Headings(dialog.OrderedColumns()),
             (std::vector<std::string>{"Year", "Description", "ROM Name"}));
    QCOMPARE(dialog.Options().Text(ListOption::Columns), std::string("year,description,rom-name"));
    QCOMPARE(dialog.Options().Text(ListOption::Delimiter), std::string(", "));
    QVERIFY(!dialog.Options().Has(ListOption::NoHeader));
}

void FormatDialogsTest::cabrioBrowseEndsFoldersWithASlash() {
    AppTestEnvironment environment;
    CabrioSettingsDialog dialog;
    environment.fileAnswers = {"/media/logos", "", "/media/backgrounds/"};
    Child<QPushButton>(&dialog, "logoBrowseButton")->click();
    Child<QPushButton>(&dialog, "screenshotBrowseButton")->click();  // cancelled
    Child<QPushButton>(&dialog, "backgroundBrowseButton")->click();
    QCOMPARE(environment.fileQuestions,
             (std::vector<std::string>{"Folder of logo images...", "Folder of screesnhots...",
                                       "Folder of background images..."}));
    for (const RecordedFileQuestion& asked : environment.fileAsked)
        QCOMPARE(asked.kind, FileQuestion::Folder);
    QCOMPARE(Child<QLineEdit>(&dialog, "logoFolderEdit")->text(), QStringLiteral("/media/logos/"));
    QVERIFY(Child<QLineEdit>(&dialog, "screenshotFolderEdit")->text().isEmpty());
    Child<QLineEdit>(&dialog, "screenshotFolderEdit")->setText(QStringLiteral("typed"));
    Child<QPushButton>(&dialog, "okButton")->click();
    QCOMPARE(dialog.LogoFolder(), std::string("/media/logos/"));
    QCOMPARE(dialog.ScreenshotFolder(), std::string("typed"));
    QCOMPARE(dialog.BackgroundFolder(), std::string("/media/backgrounds/"));
}

void FormatDialogsTest::batchDialogShowsItsTexts() {
    BatchTemplateDialog dialog(kShellBatchTemplate, BatchForm::Shell);
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    QCOMPARE(
        texts,
        (QStringList{QStringLiteral("Batch files are built off the ROM name only.\n\nEdit the below text to "
                                    "suit your needs, using %ROM% as a placeholder where the name will be "
                                    "inserted."),
                     QStringLiteral("Examples:\ncp \"%ROM%.png\" ~/mame/snap/\nrm \"%ROM%.zip\"")}));
    auto* edit = Child<QLineEdit>(&dialog, "templateEdit");
    QCOMPARE(edit->text(), QStringLiteral("cp \"%ROM%.zip\" ~/roms/"));
    // The Windows form brings its own default template and examples; a template of the user's
    // own stays when the form changes.
    Child<QRadioButton>(&dialog, "windowsForm")->click();
    QCOMPARE(edit->text(), QStringLiteral("copy %ROM%.zip c:\\mame\\roms"));
    QCOMPARE(Child<QLabel>(&dialog, "examples")->text(),
             QStringLiteral("Examples:\ncopy %ROM%.png c:\\mame\\snap\ndel %ROM%.zip"));
    edit->setText(QStringLiteral("del %ROM%.zip"));
    Child<QRadioButton>(&dialog, "shellForm")->click();
    Child<QRadioButton>(&dialog, "windowsForm")->click();
    Child<QPushButton>(&dialog, "okButton")->click();
    QCOMPARE(dialog.TemplateText(), std::string("del %ROM%.zip"));
    QCOMPARE(dialog.Form(), BatchForm::Windows);
}

QTEST_MAIN(FormatDialogsTest)
#include "FormatDialogsTest.moc"
