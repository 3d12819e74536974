// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to the first painted main window, and connect plus page-set build against the
// device model, in milliseconds. With --screenshot DIR it also saves the connected main
// window in English and German (run under xvfb-run for real fonts).
//   startup_bench [--runs N] [--screenshot DIR]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CKorvalisControlApp.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "support/CScriptedUserInteraction.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/sheet/CMyPropertySheet.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"

namespace {
// Stands in for the pages of the table that are not built yet: one read each.
class CStandInPage : public CMyPropertyPage {
public:
    double value = 0;

protected:
    void CreateControls() override {
        auto* l = new QVBoxLayout(this);
        auto* title = new QLabel(QStringLiteral("<b>%1</b>").arg(Caption().toHtmlEscaped()), this);
        l->addWidget(title);
        l->addStretch(1);
    }
    int ReadCount() const override { return 1; }
    bool ReadValues() override { return ReadValue(1500, value); }
};

void RegisterStandIns() {
    for (const CPageTable::Row& row : CPageTable::Rows())
        if (*row.className && !CPageRegistry::IsRegistered(QLatin1String(row.className)))
            CPageRegistry::Register(QLatin1String(row.className), [] { return new CStandInPage; });
    for (int type = 1; type <= 10; ++type) {
        const QString c = CPageTable::SensorPageClass(type);
        if (!c.isEmpty() && !CPageRegistry::IsRegistered(c))
            CPageRegistry::Register(c, [] { return new CStandInPage; });
    }
    if (!CPageRegistry::IsRegistered(QStringLiteral("CPropertyPageLevel304")))
        CPageRegistry::Register(QStringLiteral("CPropertyPageLevel304"),
                                [] { return new CStandInPage; });
}

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

struct Stats {
    double min, median, max;
};

Stats Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

void Print(const char* what, const Stats& s) {
    std::printf("%-52s min %8.2f  median %8.2f  max %8.2f ms\n", what, s.min, s.median, s.max);
}

struct Rig {
    explicit Rig(int language, int framePause) {
        CDeviceModel::Options o;
        o.productCode = 4;
        o.sms = true;
        model = std::make_unique<CDeviceModel>(o);
        app.SetUserInteraction(&ui);
        app.SetFramePause(framePause);
        app.LoadLanguage(language);
        app.language = language;
        app.SetChannelFactory(
            [this](const CConnection&) { return std::make_unique<CMemoryChannel>(*model); });
        connection.replyTimeout = 500;
        connection.smsModule = true;
    }
    std::unique_ptr<CDeviceModel> model;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
};

double StartupToFirstPaint() {
    QElapsedTimer t;
    t.start();
    Rig rig(1, 0);
    CMyPropertySheet sheet;
    PaintWatch watch;
    sheet.installEventFilter(&watch);
    sheet.show();
    while (!watch.painted) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return t.nsecsElapsed() / 1e6;
}

void Screenshot(const QString& dir, int language, const QString& name) {
    Rig rig(language, 0);
    CMyPropertySheet sheet;
    sheet.SetConnectionOverride(rig.connection);
    rig.ui.ForwardWindowTo(nullptr);
    sheet.show();
    sheet.ConnectController(false);
    if (CMyPropertyPage* p = sheet.FindPage(QStringLiteral("CPropertyPageTimers305"), 1))
        sheet.ActivatePage(p);
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    const QString path = dir + QLatin1Char('/') + name;
    std::printf("screenshot %s: %s\n", qPrintable(path),
                sheet.grab().save(path) ? "saved" : "FAILED");
}
}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    int runs = 20;
    QString shots;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs")) runs = std::max(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--screenshot")) shots = args[i + 1];
    }
    RegisterStandIns();
    std::printf("platform: %s, runs: %d\n", qPrintable(QGuiApplication::platformName()), runs);

    std::vector<double> startup;
    StartupToFirstPaint();  // warm-up: fonts, styles
    for (int i = 0; i < runs; ++i) startup.push_back(StartupToFirstPaint());
    Print("start-up to first painted main window", Summarise(startup));

    for (int pause : {0, 10}) {
        std::vector<double> connect, build, disconnect;
        int pages = 0;
        for (int i = 0; i < (pause ? std::min(runs, 5) : runs); ++i) {
            Rig rig(1, pause);
            CMyPropertySheet sheet;
            sheet.SetConnectionOverride(rig.connection);
            sheet.Initialise();
            QElapsedTimer t;
            t.start();
            sheet.ConnectController(false);
            connect.push_back(t.nsecsElapsed() / 1e6);
            pages = sheet.PageCount();
            t.restart();
            sheet.BuildPageSet();
            build.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            sheet.DisconnectController(false);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            disconnect.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("-- frame pause %d ms (Korvalis D, SMS module, %d pages)\n", pause, pages);
        Print("connect + page-set build (ConnectController)", Summarise(connect));
        Print("page-set build alone (BuildPageSet)", Summarise(build));
        Print("disconnect + disconnected set", Summarise(disconnect));
    }

    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        Screenshot(shots, CLanguage::English, QStringLiteral("sheet-en.png"));
        Screenshot(shots, CLanguage::German, QStringLiteral("sheet-de.png"));
    }
    return 0;
}
