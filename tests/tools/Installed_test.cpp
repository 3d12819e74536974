// SPDX-License-Identifier: GPL-3.0-or-later
// The programs as installed (cmake --install into a scratch prefix): each answers --help and
// --version and refuses an unknown option; the program finds its mail program in the libexec
// folder and its catalogues under share; the desktop files are where desktops look.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "base/CAppPaths.h"
#include "app/CAppVersion.h"
#include "support/CtlProcess.h"
#include "support/TestPaths.h"

namespace {
using Result = CtlResult;

Result Run(const QString& program, const QStringList& args, const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KORVALIS_SHARE_DIR"));  // the installed share folder, not the build's
    env.insert(QStringLiteral("KORVALIS_HOME"), home);
    return RunProcess(program, args, env);
}
}  // namespace

class InstalledTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_prefix.isValid() && m_home.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), TestPaths::BinDir() + QStringLiteral("/.."),
                                                QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void everyProgramAnswersHelpAndVersion_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("desktop") << QStringLiteral("bin/korvalis-control");
        QTest::newRow("ctl") << QStringLiteral("bin/korvalisctl");
        QTest::newRow("emulator") << QStringLiteral("bin/korvalis-emulator");
        QTest::newRow("service") << QStringLiteral("bin/korvalisd");
        QTest::newRow("mail") << QStringLiteral("libexec/korvalis-control/korvalis-mailsend");
    }
    void everyProgramAnswersHelpAndVersion() {
        QFETCH(QString, program);
        const QString path = m_prefix.filePath(program);
        QVERIFY2(QFileInfo(path).isExecutable(), qPrintable(path));
        const QString name = QFileInfo(path).fileName();

        Result r = Run(path, {QStringLiteral("--version")}, m_home.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.section(QLatin1Char('\n'), 0, 0), name + QLatin1Char(' ') + CAppVersion::Text());

        r = Run(path, {QStringLiteral("--help")}, m_home.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("usage: ") + name), qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("exit status")), qPrintable(r.out));

        // Errors go to stderr, never mixed into the output, with the documented status 2.
        r = Run(path, {QStringLiteral("--no-such-option"), QStringLiteral("-smtp")}, m_home.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    void helpersAndDataAreFoundWhereInstalled() {
        // The mail program in libexec from the installed program's folder; next to the
        // programs in the build tree.
        const QString mailer = CAppPaths::HelperProgram(QStringLiteral("korvalis-mailsend"), m_prefix.filePath("bin"));
        QCOMPARE(mailer, m_prefix.filePath(QStringLiteral("libexec/korvalis-control/korvalis-mailsend")));
        QVERIFY(QFileInfo(mailer).isExecutable());
        QCOMPARE(CAppPaths::HelperProgram(QStringLiteral("korvalis-mailsend"), TestPaths::BinDir()),
                 TestPaths::Program("korvalis-mailsend"));
        QVERIFY(!QFileInfo::exists(m_prefix.filePath(QStringLiteral("bin/korvalis-mailsend"))));

        for (const char* file : {"share/applications/korvalis-control.desktop",
                                 "share/metainfo/korvalis-control.metainfo.xml",
                                 "share/icons/hicolor/scalable/apps/korvalis-control.svg",
                                 "share/icons/hicolor/48x48/apps/korvalis-control.png",
                                 "lib/udev/rules.d/70-korvalis-control.rules",
                                 "lib/systemd/system/korvalisd.service",
                                 "lib/systemd/user/korvalisd.service",
                                 "lib/sysusers.d/korvalisd.conf",
                                 "share/korvalis-control/lang/German.lang"})
            QVERIFY2(QFileInfo::exists(m_prefix.filePath(QLatin1String(file))), file);
        QCOMPARE(QImage(m_prefix.filePath("share/icons/hicolor/48x48/apps/korvalis-control.png")).size(), QSize(48, 48));

        // The installed program starts with its own catalogues and shows its window.
        QSettings(m_home.filePath(QStringLiteral("KorvalisControl.ini")), QSettings::IniFormat)
            .setValue(QStringLiteral("Settings/Language"), 1);
        const QString shot = m_home.filePath(QStringLiteral("window.png"));
        const Result r = Run(m_prefix.filePath("bin/korvalis-control"), {QStringLiteral("--screenshot"), shot}, m_home.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(QImage(shot).width() > 600, qPrintable(r.err));
    }

private:
    QTemporaryDir m_prefix;
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(InstalledTest)
#include "Installed_test.moc"
