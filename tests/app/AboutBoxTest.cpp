// The About box, reached from the main window: the version, the build date and the Qt versions.
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "AppTestSupport.h"

using namespace vantor::test;

class AboutBoxTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void aboutButtonShowsVersionDateAndQt();
};

void AboutBoxTest::aboutButtonShowsVersionDateAndQt() {
    AppTestEnvironment environment;
    std::unique_ptr<vantor::app::MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    auto* about = Child<QPushButton>(window.get(), "aboutButton");
    QVERIFY(about != nullptr);
    QVERIFY(about->isVisible());

    QString title, text;
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    about->click();
    QCOMPARE(title, QStringLiteral("About Vantor"));
    QVERIFY2(text.startsWith(QStringLiteral("Vantor " VANTOR_PROJECT_VERSION "\n")), qPrintable(text));
    QVERIFY2(text.contains(
                 QRegularExpression(QStringLiteral("\nBuilt \\d{4}-\\d\\d-\\d\\d with Qt 6\\.\\d+\\.\\d+"))),
             qPrintable(text));
    QVERIFY2(text.contains(QString::fromLatin1(qVersion())), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("GPL-3.0-or-later")), qPrintable(text));
}

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
