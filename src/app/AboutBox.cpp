#include "AboutBox.h"

#include <QMessageBox>
#include <QtGlobal>

#include "gamedata/BuildInfo.h"

namespace vantor::app {

namespace {

QString Version() {
    return QString::fromLatin1(ThisBuild().version);
}

// "2026-12-08 with Qt 6.4.2"; a newer Qt library under an older build is normal on an upgraded
// system, and then both are named.
QString BuiltWith() {
    const BuildInfo& build = ThisBuild();
    const QString builtWith = QString::fromLatin1(build.qtVersion);
    const QString running = QString::fromLatin1(qVersion());
    QString text = QStringLiteral("%1 with Qt %2").arg(QString::fromLatin1(build.date), builtWith);
    if (running != builtWith) text += QStringLiteral(", running Qt %1").arg(running);
    return text;
}

}  // namespace

QString VersionText() {
    return QStringLiteral("vantor %1\nbuilt %2\n%3\n")
        .arg(Version(), BuiltWith(), QString::fromLatin1(kLicenceNotice));
}

QString AboutText() {
    return QStringLiteral(
               "Vantor %1\nBuilt %2.\n\nVantor finds the games that belong in your front end's menu in "
               "MAME's game listing and writes them as the front end's game list.\n\n%3")
        .arg(Version(), BuiltWith(), QString::fromLatin1(kLicenceNotice));
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox::about(parent, QStringLiteral("About Vantor"), AboutText());
}

}  // namespace vantor::app
