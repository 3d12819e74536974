// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CAppStartup.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "app/CAppLog.h"
#include "base/CAppPaths.h"
#include "app/CAppVersion.h"
#include "app/CKorvalisControlApp.h"
#include "link/CConnectionArray.h"
#include "alerts/CEmailSettings.h"
#include "app/CSingleInstance.h"
#include "lang/CLanguage.h"
#include "ui/settings/CCompareDialog.h"
#include "ui/sheet/CAboutDlg.h"
#include "ui/sheet/CLanguageDlg.h"
#include "ui/services/CHelpViewer.h"
#include "ui/services/CMessageService.h"
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
int LanguageOfDesktop(int fallback) {
    switch (QLocale::system().language()) {
        case QLocale::German: return CLanguage::German;
        case QLocale::English: return CLanguage::English;
        case QLocale::French: return CLanguage::Alternative;
        default: return fallback;
    }
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
    // Qt's own texts (the buttons of its file dialogs, context menus of edit fields) in the
    // program's language, from the system's Qt translations.
    static QTranslator* qtTexts = nullptr;
    if (qtTexts) {
        QCoreApplication::removeTranslator(qtTexts);
        delete qtTexts;
        qtTexts = nullptr;
    }
    const char* code = language == CLanguage::German ? "de" : language == CLanguage::Alternative ? "fr" : nullptr;
    if (!code || !qApp) return;
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_%1").arg(QLatin1String(code)),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        qtTexts = translator;
    } else {
        delete translator;
    }
}
// A connect that failed shows why in a message box: the picture is of that box, which is
// then closed (as No), and the program ends.
void ShootFailedConnect(CMyPropertySheet& sheet, const QString& file) {
    QTimer::singleShot(700, &sheet, [&sheet, file] {
        static bool shot = false;
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
        if (shot || !box || CKorvalisControlApp::Instance().IsConnected()) return;
        shot = true;
        const bool saved = box->grab().save(file);
        std::fprintf(stderr, "screenshot %s: %s\n", qPrintable(file), saved ? "saved" : "FAILED");
        box->reject();
        QTimer::singleShot(0, &sheet, [&sheet] { sheet.done(0); });
    });
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
            if (spec.startsWith(QLatin1Char('/'))) {
                CConnection c;
                c.type = CConnection::Serial;
                c.name = spec;
                o.demoConnection = c;
                o.demoSerialDevice = spec;
                continue;
            }
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
        } else if (a == QLatin1String("--screenshot-help")) {
            if (!value(o.screenshotHelp)) break;
        } else {
            o.error = QStringLiteral("unknown argument \"%1\"").arg(a);
            break;
        }
    }
    return o;
}

QString CAppStartup::Usage() {
    return QStringLiteral(
        "usage: korvalis-control [options] [wqz]\n"
        "Configure and watch Korvalis aquarium and terrarium controllers.\n\n"
        "  wqz                         service mode (bus test page, SMS-module diagnosis)\n"
        "  --demo-connection HOST:PORT connect at once over TCP instead of the stored connection\n"
        "  --demo-connection DEVICE    the same over a serial port (a path such as /dev/ttyUSB0)\n"
        "  --screenshot FILE           save a picture of the window once it is up, then quit\n"
        "  --screenshot-page CLASS[:N] show this page first, the Nth of its class (e.g. CPropertyPagepHValue:2)\n"
        "  --screenshot-help TOPIC[:WORDS] picture the help window at the topic (searching the words)\n"
        "  --help                      this text\n"
        "  --version                   the program's version\n\n"
        "environment: KORVALIS_HOME keeps the profile and the data folder in that folder.\n"
        "One program runs per profile: a second start brings the first one's window forward.\n"
        "exit status: 0 when the window was closed (also when no catalogue could be found, and\n"
        "for a second start), 2 for an unusable command line.\n");
}

std::optional<int> CAppStartup::AnswerWithoutWindow(const QStringList& arguments) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        std::fputs(qPrintable(Usage()), stdout);
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        std::fputs(qPrintable(CAppVersion::VersionBlurb(QStringLiteral("korvalis-control"))), stdout);
        return 0;
    }
    return std::nullopt;
}

bool CAppStartup::InitInstance(CKorvalisControlApp& app, const Options& options) {
    QLocale::setDefault(QLocale::system());
    app.serviceMode = options.serviceMode;
    const bool firstStart = app.LoadSettings();
    app.CreateDataFolder();
    CAppLog::Install(app.dataFolder);
    if (!LoadOrTell(app, app.language)) return false;
    if (firstStart) {
        // The question offers the desktop's language when the program has it.
        const std::optional<int> chosen = CLanguageDlg::Ask(LanguageOfDesktop(app.language));
        if (chosen && *chosen != app.language) {
            app.language = *chosen;
            if (!LoadOrTell(app, app.language)) return false;
        }
    }
    ApplyLocale(app.language);
    app.currentHelpTopic = app.defaultHelpTopic = 298;
    // After the language: a first start names its two default connections in it.
    app.LoadConnections();
    // Said once: the damaged file is kept beside the new one when it is next written.
    if (app.Connections().LoadStoppedEarly())
        CMessageService::ShowMessage(6211, CMessageService::Icon::Warning, CMessageService::Buttons::Ok,
                                     {QString::number(app.Connections().GetCount())});
    if (app.EmailSettings().LoadFoundDamage())
        CMessageService::ShowMessage(6212, CMessageService::Icon::Warning, CMessageService::Buttons::Ok,
                                     {app.EmailSettings().LastError()});
    return true;
}

void CAppStartup::ExitInstance(CKorvalisControlApp& app) {
    app.Disconnect();
    app.SaveSettings();
}

int CAppStartup::Main(CKorvalisControlApp& app, const QStringList& arguments) {
    const Options options = ParseArguments(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "korvalis-control: %s\n%s", qPrintable(options.error), qPrintable(Usage()));
        return 2;
    }
    // One program per profile: a second one would overwrite this one's files at exit.
    CSingleInstance instance(CAppPaths::DataFolder());
    if (!instance.Acquire()) {
        std::fprintf(stderr,
                     "korvalis-control: already running with the profile in %s; its window "
                     "was asked to come forward\n",
                     qPrintable(QDir::toNativeSeparators(CAppPaths::DataFolder())));
        return 0;
    }
    if (!InitInstance(app, options)) return 0;

    CMyPropertySheet sheet;
    // Every window of the program, the viewers the pages open among them, carries the main
    // window's icon (made once, by the sheet).
    QApplication::setWindowIcon(sheet.windowIcon());
    QObject::connect(&instance, &CSingleInstance::raiseRequested, &sheet, [&sheet] {
        sheet.setWindowState(sheet.windowState() & ~Qt::WindowMinimized);
        sheet.raise();
        sheet.activateWindow();
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &sheet) {
            modal->raise();
            modal->activateWindow();
        }
    });
    CConnectionCommands::InstallDiscoveryDialogs(&sheet);
    CMyPropertySheet::SetConnectionsDialogHandler([](CMyPropertySheet& s) {
        CConnectionCommands::OpenConnectionsDialog(&s);
        return true;
    });
    CMyPropertySheet::SetDeviceAddressHandler([](CMyPropertySheet& s) {
        if (CConnectionCommands::SetDeviceAddress(&s) != 0) s.AccessFailed(false);
    });
    if (!options.demoSerialDevice.isEmpty()) app.serialDeviceOverride = options.demoSerialDevice;
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
                // CCompareDialog:FILE is the comparison a load of FILE shows, not a page.
                if (options.screenshotPage.startsWith(QLatin1String("CCompareDialog:"))) {
                    QWidget* dialog = CCompareDialog::OpenForScreenshot(&sheet, options.screenshotPage.mid(15));
                    QTimer::singleShot(400, &sheet, [&sheet, options, dialog] {
                        const bool saved = dialog && dialog->grab().save(options.screenshot);
                        std::fprintf(stderr, "screenshot %s: %s\n", qPrintable(options.screenshot),
                                     saved ? "saved" : "FAILED");
                        delete dialog;
                        sheet.DisconnectController(false);
                        sheet.done(0);
                    });
                    return;
                }
                if (!options.screenshotPage.isEmpty()) {
                    // CLASS:N is the Nth page of the class (counted from 1), e.g. a sensor input.
                    QString cls = options.screenshotPage;
                    int nth = 1;
                    const int colon = int(cls.indexOf(QLatin1Char(':')));
                    if (colon > 0) {
                        nth = std::max(1, cls.mid(colon + 1).toInt());
                        cls = cls.left(colon);
                    }
                    CMyPropertyPage* page = nullptr;
                    for (CMyPropertyPage* p : sheet.Pages())
                        if (p->ClassName() == cls && --nth == 0) {
                            page = p;
                            break;
                        }
                    if (sheet.ActivatePage(page)) sheet.SelectTreeItemOf(page);
                }
                QPointer<CHelpViewer> help;
                if (!options.screenshotHelp.isEmpty()) {
                    help = CHelpViewer::ShowTopic(uint16_t(options.screenshotHelp.section(QLatin1Char(':'), 0, 0).toUInt()), &sheet);
                    const QString words = options.screenshotHelp.section(QLatin1Char(':'), 1);
                    if (!words.isEmpty()) help->Search(words);
                }
                // The help's search index is built in the background: give it a moment.
                QTimer::singleShot(help ? 3000 : 400, &sheet, [&sheet, options, help] {
                    const bool saved = help ? help->grab().save(options.screenshot)
                                            : sheet.grab().save(options.screenshot);
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
                                     [once, shoot, &sheet, options] {
                                         if (!CKorvalisControlApp::Instance().IsConnected()) {
                                             ShootFailedConnect(sheet, options.screenshot);
                                             return;
                                         }
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
