// SPDX-License-Identifier: GPL-3.0-or-later
// One program per profile, with real processes: a second start on the same profile ends at
// once and leaves the files alone; another profile starts; a lock left by a program that was
// killed does not keep the next start out.
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/CSingleInstance.h"
#include "support/TestPaths.h"

namespace {
void StartProgram(QProcess& p, const QString& home, const QStringList& args = {}) {
    QSettings(home + QStringLiteral("/KorvalisControl.ini"), QSettings::IniFormat)
        .setValue(QStringLiteral("Settings/Language"), 1);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVALIS_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(TestPaths::Program("korvalis-control"), args);
}
}  // namespace

class CSingleInstanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondStartOnTheSameProfileEnds() {
        QTemporaryDir home;
        QProcess first;
        StartProgram(first, home.path());
        const QString lock = home.filePath(QStringLiteral("KorvalisControl/KorvalisControl.lock"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 60000);

        // The guard in this process sees the running program and asks it to come forward.
        CSingleInstance probe(home.filePath(QStringLiteral("KorvalisControl")));
        QVERIFY(!probe.Acquire());

        QProcess second;
        StartProgram(second, home.path());
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardError().contains("already running"));
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("KorvalisControl/Connections.dat"))));

        // Another profile is another program.
        QTemporaryDir other;
        QProcess third;
        StartProgram(third, other.path(), {QStringLiteral("--screenshot"), other.filePath(QStringLiteral("w.png"))});
        QVERIFY(third.waitForFinished(60000));
        QCOMPARE(third.exitCode(), 0);

        // Killed without a chance to clean up: the lock is stale and the next start runs.
        first.kill();
        QVERIFY(first.waitForFinished(60000));
        QVERIFY(QFileInfo::exists(lock));
        StartProgram(second, home.path(), {QStringLiteral("--screenshot"), home.filePath(QStringLiteral("w.png"))});
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(QFileInfo::exists(home.filePath(QStringLiteral("KorvalisControl/Connections.dat"))));
    }
};

QTEST_MAIN(CSingleInstanceTest)
#include "CSingleInstance_test.moc"
