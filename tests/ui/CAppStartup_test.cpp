// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and exit: command line, settings, catalogue loading and its failure, the
// first-start language question, the login and about dialogs.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "base/CAppPaths.h"
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "support/CScriptedUserInteraction.h"
#include "support/CSheetRig.h"
#include "support/TestPaths.h"
#include "ui/sheet/CAboutDlg.h"
#include "ui/sheet/CAppStartup.h"
#include "ui/sheet/CLanguageDlg.h"
#include "ui/services/CLogin.h"
#include "ui/services/CMessageService.h"

namespace {
// A profile of its own for each test.
struct Profile {
    Profile() { qputenv("KORVALIS_HOME", dir.path().toLocal8Bit()); }
    ~Profile() { qunsetenv("KORVALIS_HOME"); }
    void Write(const QString& key, const QVariant& value) {
        QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
        s.setValue(key, value);
    }
    QVariant Read(const QString& key) const {
        QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
        return s.value(key);
    }
    QTemporaryDir dir;
};
}  // namespace

class CAppStartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLine() {
        auto o = CAppStartup::ParseArguments({});
        QVERIFY(!o.serviceMode && !o.demoConnection && o.error.isEmpty());
        o = CAppStartup::ParseArguments({QStringLiteral("WqZ")});
        QVERIFY(o.serviceMode);
        o = CAppStartup::ParseArguments(
            {QStringLiteral("--demo-connection"), QStringLiteral("127.0.0.1:4711")});
        QVERIFY(o.demoConnection);
        QCOMPARE(o.demoConnection->type, uint32_t(CConnection::Tcp));
        QCOMPARE(o.demoConnection->networkAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(o.demoConnection->tcpPort, 4711u);
        QVERIFY(!CAppStartup::ParseArguments(
                     {QStringLiteral("--demo-connection"), QStringLiteral("host")})
                     .error.isEmpty());
        QVERIFY(
            !CAppStartup::ParseArguments({QStringLiteral("--demo-connection")}).error.isEmpty());
        QVERIFY(!CAppStartup::ParseArguments({QStringLiteral("wqzz")}).error.isEmpty());
    }

    void languageOutsideRangeEndsTheProgram() {
        Profile profile;
        profile.Write(QStringLiteral("Settings/Language"), 5);
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        QVERIFY(!CAppStartup::InitInstance(app, {}));
        QCOMPARE(ui.shown.size(), 1);
        QCOMPARE(ui.shown[0].text, QStringLiteral("Could not find dll!"));
        // The program's exit code is 0 in this case.
        QCOMPARE(CAppStartup::Main(app, {}), 0);
    }

    void damagedStoredFilesAreToldOnce() {
        Profile profile;
        profile.Write(QStringLiteral("Settings/Language"), 0);
        QDir().mkpath(profile.dir.filePath(QStringLiteral("KorvalisControl")));
        for (const char* name : {"Connections.dat", "EmailSettings.dat"}) {
            QFile f(profile.dir.filePath(QStringLiteral("KorvalisControl/") + QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("\x02\x07garbage", 9));
        }
        CScriptedUserInteraction ui;
        CKorvalisControlApp app;
        QVERIFY(CAppStartup::InitInstance(app, {}));
        QList<int> ids;
        for (const auto& shown : ui.shown) ids << shown.stringId;
        QCOMPARE(ids, (QList<int>{6211, 6212}));
    }

    void messageWithoutCatalogueHasPlainButtons() {
        // The real box, as the user sees it when no catalogue could be loaded.
        CLanguage::Current().Parse(QByteArray());
        QStringList labels;
        QTimer::singleShot(0, [&labels] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            for (QAbstractButton* b : box->buttons()) labels << b->text();
            box->buttons().constFirst()->click();
        });
        CMessageService::ShowText(QString::fromLatin1(CAppStartup::kMissingCatalogue),
                                  CMessageService::Icon::Stop, CMessageService::Buttons::Ok);
        QCOMPARE(labels, QStringList{QStringLiteral("OK")});
    }

    void firstStartAsksLanguageAndExitWritesSettings() {
        Profile profile;
        CScriptedUserInteraction ui;
        int asked = -1;
        CLanguageDlg::SetHandler([&](int current) {
            asked = current;
            return std::optional<int>(CLanguage::English);
        });
        CKorvalisControlApp app;
        QVERIFY(
            CAppStartup::InitInstance(app, CAppStartup::ParseArguments({QStringLiteral("wqz")})));
        CLanguageDlg::SetHandler({});
        QCOMPARE(asked, 0);  // German is offered first
        QCOMPARE(app.language, 1);
        QCOMPARE(Tr(154), QStringLiteral("General"));
        QVERIFY(app.serviceMode);
        QVERIFY(QFileInfo(app.dataFolder).isDir());
        QVERIFY(ui.shown.isEmpty());
        app.automaticConnect = true;
        app.viewState = 7;
        CAppStartup::ExitInstance(app);
        QCOMPARE(profile.Read(QStringLiteral("Settings/Language")).toInt(), 1);
        QCOMPARE(profile.Read(QStringLiteral("Settings/AutoConnect")).toInt(), 1);
        QCOMPARE(profile.Read(QStringLiteral("Dimmcurves/ViewState")).toInt(), 7);
        QCOMPARE(profile.Read(QStringLiteral("Dimmcurves/d11")).toInt(), 0);
        QCOMPARE(profile.Read(QStringLiteral("Dimmcurves/d10")).toInt(), 255);

        // The second start asks nothing and keeps German text out.
        int askedAgain = 0;
        CLanguageDlg::SetHandler([&](int) {
            ++askedAgain;
            return std::optional<int>();
        });
        CKorvalisControlApp second;
        QVERIFY(CAppStartup::InitInstance(second, {}));
        CLanguageDlg::SetHandler({});
        QCOMPARE(askedAgain, 0);
        QVERIFY(second.automaticConnect);
        QCOMPARE(Tr(264), QStringLiteral("&Send"));
    }

    void languageCommandStoresForNextStart() {
        CSheetRig rig;
        rig.app.language = 1;
        CLanguageDlg::SetHandler(
            [](int current) { return std::optional<int>(current == 1 ? 0 : 1); });
        QVERIFY(rig.sheet->RunCommand(40019));
        CLanguageDlg::SetHandler({});
        QCOMPARE(rig.app.language, 0);
        QCOMPARE(rig.ui.MessageIds(), QList<int>{402});
        // The loaded catalogue stays until the next start.
        QCOMPARE(Tr(154), QStringLiteral("General"));
        CLanguageDlg dlg(2);
        QCOMPARE(dlg.Language(), 2);
    }

    void loginComparesSixteenBits() {
        CKorvalisControlApp app;
        app.LoadLanguage(CLanguage::English);
        CScriptedUserInteraction ui;
        {
            CLogin login(static_cast<uint16_t>(70000 & 0xFFFF), nullptr);
            login.findChild<QLineEdit*>(QStringLiteral("1003"))
                ->setText(QString::number(int16_t(70000 & 0xFFFF)));
            login.OnOk();
            QCOMPARE(login.result(), int(QDialog::Accepted));
        }
        {
            CLogin login(1234, nullptr);
            login.findChild<QLineEdit*>(QStringLiteral("1003"))->setText(QStringLiteral("99999"));
            login.OnOk();  // not a 16-bit number: the dialog stays
            QCOMPARE(ui.MessageIds(), QList<int>{31115});
            login.findChild<QLineEdit*>(QStringLiteral("1003"))->setText(QStringLiteral("4321"));
            login.OnOk();
            QCOMPARE(ui.MessageIds(), (QList<int>{31115, 114}));
            QCOMPARE(ui.shown[1].icon, CUserInteraction::Icon::Stop);
            QCOMPARE(login.result(), int(QDialog::Rejected));
        }
    }

    void programStartsShowsItsWindowAndWritesSettingsAtExit() {
        Profile profile;
        profile.Write(QStringLiteral("Settings/Language"), 0);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVALIS_HOME"), profile.dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        const QString shot = profile.dir.filePath(QStringLiteral("window.png"));
        p.start(TestPaths::Program("korvalis-control"),
                {QStringLiteral("wqz"), QStringLiteral("--screenshot"), shot});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QImage image(shot);
        QVERIFY(image.width() > 600 && image.height() > 400);
        QCOMPARE(profile.Read(QStringLiteral("Settings/Language")).toInt(), 0);
        QVERIFY(profile.Read(QStringLiteral("Dimmcurves/ViewState")).isValid());
        QVERIFY(QFileInfo(profile.dir.filePath(QStringLiteral("KorvalisControl"))).isDir());

        // A bad command line says why and ends with a non-zero status.
        p.start(TestPaths::Program("korvalis-control"), {QStringLiteral("--demo-connection")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("--demo-connection"));
    }

    void aboutDialogAndSplash() {
        CKorvalisControlApp app;
        app.LoadLanguage(CLanguage::English);
        CAboutDlg about(false);
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("1241"))->text(), Tr(350));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("1242"))->text(), Tr(125));
        CAboutDlg splash(true);
        splash.show();
        QTest::mouseClick(&splash, Qt::LeftButton);
        QCOMPARE(splash.result(), int(QDialog::Accepted));
        QVERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(CAppStartupTest)
#include "CAppStartup_test.moc"
