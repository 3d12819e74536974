// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CAppStartup.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/CAppLog.h"
#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "ui/sheet/CAboutDlg.h"
#include "ui/sheet/CLanguageDlg.h"
#include "ui/sheet/CMessageService.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"
#include "ui/connections/CConnectionCommands.h"

namespace {
bool LoadOrTell(CKorvalisControlApp& app, int language) {
    if (language >= 0 && language <= 2 && app.LoadLanguage(language)) return true;
    CMessageService::ShowText(QString::fromLatin1(CAppStartup::kMissingCatalogue),
                              CMessageService::Icon::Stop, CMessageService::Buttons::Ok);
    return false;
}
// Dates, times and numbers follow the program's language; a desktop that speaks the same
// language keeps its own regional forms (de_AT, en_US).
void ApplyLocale(int language) {
    const QLocale system = QLocale::system();
    QLocale wanted = system;
    if (language == CLanguage::German && system.language() != QLocale::German)
        wanted = QLocale(QLocale::German, QLocale::Germany);
    else if (language == CLanguage::English && system.language() != QLocale::English)
        wanted = QLocale(QLocale::English, QLocale::UnitedKingdom);
    QLocale::setDefault(wanted);
}
}  // namespace

CAppStartup::Options CAppStartup::ParseArguments(const QStringList& arguments) {
    Options o;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        auto value = [&](QString& out) {
            if (i + 1 >= arguments.size()) {
                o.error = QStringLiteral("%1 needs a value").arg(a);
                return false;
            }
            out = arguments[++i];
            return true;
        };
        if (CKorvalisControlApp::IsServiceModeWord(a)) {
            o.serviceMode = true;
        } else if (a == QLatin1String("--demo-connection")) {
            QString spec;
            if (!value(spec)) break;
            const int colon = spec.lastIndexOf(QLatin1Char(':'));
            bool ok = false;
            const uint port = colon > 0 ? spec.mid(colon + 1).toUInt(&ok) : 0;
            if (!ok || port == 0 || port > 65535) {
                o.error =
                    QStringLiteral("--demo-connection expects HOST:PORT, not \"%1\"").arg(spec);
                break;
            }
            CConnection c;
            c.type = CConnection::Tcp;
            c.networkAddress = spec.left(colon);
            c.tcpPort = port;
            c.name = spec;
            // The demo emulator may carry an SMS module: ask for it as a stored connection
            // with that choice would (a controller without one just answers no).
            c.smsModule = true;
            o.demoConnection = c;
        } else if (a == QLatin1String("--screenshot")) {
            if (!value(o.screenshot)) break;
        } else if (a == QLatin1String("--screenshot-page")) {
            if (!value(o.screenshotPage)) break;
        } else {
            o.error = QStringLiteral("unknown argument \"%1\"").arg(a);
            break;
        }
    }
    return o;
}

bool CAppStartup::InitInstance(CKorvalisControlApp& app, const Options& options) {
    QLocale::setDefault(QLocale::system());
    app.serviceMode = options.serviceMode;
    const bool firstStart = app.LoadSettings();
    app.CreateDataFolder();
    CAppLog::Install(app.dataFolder);
    if (!LoadOrTell(app, app.language)) return false;
    if (firstStart) {
        const std::optional<int> chosen = CLanguageDlg::Ask(app.language);
        if (chosen && *chosen != app.language) {
            app.language = *chosen;
            if (!LoadOrTell(app, app.language)) return false;
        }
    }
    ApplyLocale(app.language);
    app.currentHelpTopic = app.defaultHelpTopic = 298;
    // After the language: a first start names its two default connections in it.
    app.LoadConnections();
    return true;
}

void CAppStartup::ExitInstance(CKorvalisControlApp& app) {
    app.Disconnect();
    app.SaveSettings();
}

int CAppStartup::Main(CKorvalisControlApp& app, const QStringList& arguments) {
    const Options options = ParseArguments(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(
            stderr,
            "korvalis-control: %s\nusage: korvalis-control [wqz] [--demo-connection HOST:PORT] "
            "[--screenshot FILE [--screenshot-page CLASS]]\n",
            qPrintable(options.error));
        return 2;
    }
    if (!InitInstance(app, options)) return 0;

    CMyPropertySheet sheet;
    CConnectionCommands::InstallDiscoveryDialogs(&sheet);
    CMyPropertySheet::SetConnectionsDialogHandler([](CMyPropertySheet& s) {
        CConnectionCommands::OpenConnectionsDialog(&s);
        return true;
    });
    CMyPropertySheet::SetDeviceAddressHandler([](CMyPropertySheet& s) { CConnectionCommands::SetDeviceAddress(&s); });
    if (options.demoConnection) {
        sheet.SetConnectionOverride(*options.demoConnection, true);
        QMetaObject::invokeMethod(
            &sheet,
            [&sheet] {
                if (!CKorvalisControlApp::Instance().IsConnected()) sheet.ConnectController(true);
            },
            Qt::QueuedConnection);
    }
    if (!options.screenshot.isEmpty()) {
        // Shown page, then a moment for its read and the layout, then the picture.
        auto shoot = [&sheet, options] {
            QTimer::singleShot(300, &sheet, [&sheet, options] {
                if (!options.screenshotPage.isEmpty()) {
                    CMyPropertyPage* page = sheet.FindPage(options.screenshotPage);
                    if (sheet.ActivatePage(page)) sheet.SelectTreeItemOf(page);
                }
                QTimer::singleShot(400, &sheet, [&sheet, options] {
                    const bool saved = sheet.grab().save(options.screenshot);
                    std::fprintf(stderr, "screenshot %s: %s\n", qPrintable(options.screenshot),
                                 saved ? "saved" : "FAILED");
                    sheet.DisconnectController(false);
                    sheet.done(0);
                });
            });
        };
        if (options.demoConnection) {
            // The connect pumps events while it runs; the page set stands once the sheet
            // reports the new state.
            auto once = std::make_shared<QMetaObject::Connection>();
            *once = QObject::connect(&sheet, &CMyPropertySheet::connectionStateChanged, &sheet,
                                     [once, shoot] {
                                         if (!CKorvalisControlApp::Instance().IsConnected()) return;
                                         QObject::disconnect(*once);
                                         shoot();
                                     });
        } else {
            QMetaObject::invokeMethod(&sheet, shoot, Qt::QueuedConnection);
        }
    }
    sheet.exec();
    ExitInstance(app);
    return 0;
}
