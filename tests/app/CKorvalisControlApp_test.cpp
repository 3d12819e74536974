// SPDX-License-Identifier: GPL-3.0-or-later
// The connect sequence and single-parameter access against the device model.
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CAppLog.h"
#include "app/CKorvalisControlApp.h"
#include "base/ModelInfo.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "link/CMyAsyncSocket.h"
#include "link/CSWMBus.h"
#include "support/CScriptedUserInteraction.h"

namespace {
using Access = CDeviceModel::Access;

struct Rig {
    explicit Rig(const CDeviceModel::Options& o = {}) : model(o)
    {
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.LoadLanguage(CLanguage::English);
        app.SetChannelFactory([this](const CConnection&) {
            auto ch = std::make_unique<CMemoryChannel>(model);
            return ch;
        });
        connection.replyTimeout = 100;
    }
    bool Connect() { return app.Connect(&connection, false); }
    QList<int> ReadNumbers() const
    {
        QList<int> n;
        for (const Access& a : model.Log())
            if (a.kind == Access::Read)
                n << a.number;
        return n;
    }
    CDeviceModel model;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
};

CDeviceModel::Options Opts(int product, int firmware = 408)
{
    CDeviceModel::Options o;
    o.productCode = product;
    o.firmware = firmware;
    return o;
}
}  // namespace

class CKorvalisControlAppTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The program's own messages reach the log file (and stay on one line each), Qt's do not;
    // a full log moves aside instead of growing without end.
    void logKeepsTheProgramsOwnMessages()
    {
        QTemporaryDir dir;
        CAppLog::Install(dir.path());
        const QLoggingCategory ours("korvalis.test");
        qCWarning(ours) << "e-mail not sent:\nserver refused";
        qCDebug(ours) << "chatter";
        qWarning() << "not ours";
        QFile file(CAppLog::FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        file.close();
        QVERIFY2(text.contains("warning korvalis.test: e-mail not sent: server refused\n"), text.constData());
        QCOMPARE(text.count('\n'), 1);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write(QByteArray(CAppLog::MaxBytes + 1, 'x'));
        file.close();
        qCInfo(ours) << "fresh";
        QVERIFY(QFile::exists(CAppLog::FilePath() + ".1"));
        QVERIFY(QFileInfo(CAppLog::FilePath()).size() < 200);
        CAppLog::Uninstall();
    }

    void identifiesEveryModel_data()
    {
        QTest::addColumn<int>("product");
        QTest::addColumn<QString>("name");
        int count = 0;
        const ModelInfo* rows = ModelInfo::Rows(count);
        for (int i = 0; i < count; ++i)
            QTest::newRow(rows[i].displayName) << int(rows[i].productCode) << QString::fromLatin1(rows[i].displayName);
    }
    void identifiesEveryModel()
    {
        QFETCH(int, product);
        QFETCH(QString, name);
        Rig r(Opts(product));
        r.model.Controller().SetValue(6, 3000000000u);
        QVERIFY(r.Connect());
        QVERIFY(r.app.IsConnected());
        QCOMPARE(r.app.GetModelName(), name);
        QCOMPARE(r.app.FirmwareVersion(), int16_t(408));
        QCOMPARE(r.app.SerialNumber(), 3000000000u);
        QCOMPARE(r.ui.title, QStringLiteral("Korvalis Control - ") + name);
        // Identification order: 2, 0, 6, 489, 8, then the sensor kinds.
        QCOMPARE(r.ReadNumbers().mid(0, 6), (QList<int>{2, 0, 6, 489, 8, 25}));
        r.app.Disconnect();
        QVERIFY(!r.app.IsConnected());
        QCOMPARE(r.app.GetModelName(), QStringLiteral("not connected"));
    }

    // Whatever ends a link, the title stops naming the model; and a failed attempt quotes
    // only its own reason.
    void failuresLeaveNothingStale()
    {
        const QString disconnected = QStringLiteral("Korvalis Control - not connected");
        Rig r(Opts(4));
        QVERIFY(r.Connect());
        r.app.Disconnect();
        QCOMPARE(r.ui.title, disconnected);

        QVERIFY(r.Connect());
        CDeviceModel::Faults refuse;
        refuse.refuse = {1141};
        r.model.SetFaults(refuse);
        QVERIFY(r.app.WriteTextParameter(1141, QByteArray(21, '\0')) != 0);
        QVERIFY(!r.app.IsConnected());
        QCOMPARE(r.ui.title, disconnected);

        CDeviceModel::Faults silent;
        silent.dropRate = 1.0;
        r.model.SetFaults(silent);
        QVERIFY(!r.Connect());
        QVERIFY(!r.app.LastChannelError().isEmpty());
        // Discovery finds no module: no reason of its own, none of the attempt before.
        r.app.SetChannelFactory({});
        CMyAsyncSocket::SetDiscovery([](bool) { return QStringLiteral("0.0.0.0"); });
        r.connection.type = CConnection::Tcp;
        r.connection.networkAddress = QStringLiteral("0.0.0.0");
        QVERIFY(!r.Connect());
        CMyAsyncSocket::SetDiscovery({});
        QVERIFY2(r.app.LastChannelError().isEmpty(), qPrintable(r.app.LastChannelError()));
        QCOMPARE(r.ui.title, disconnected);
    }

    void firmwareGates()
    {
        Rig old(Opts(4, 399));
        QVERIFY(!old.Connect());
        QCOMPARE(old.ui.MessageIds(), QList<int>{334});
        QVERIFY(!old.app.IsConnected());

        Rig v400(Opts(4, 400));
        QVERIFY(v400.Connect());
        QVERIFY(!v400.ReadNumbers().contains(8));

        Rig v401(Opts(4, 401));
        QVERIFY(v401.Connect());
        QVERIFY(v401.ReadNumbers().contains(8));

        Rig unknown(Opts(9));
        QVERIFY(!unknown.Connect());
        QCOMPARE(unknown.ui.MessageIds(), QList<int>{126});
    }

    void parameterEightQuestion()
    {
        Rig r(Opts(3, 401));
        r.model.Controller().SetValue(8, 5);
        r.ui.QueueAnswer(CUserInteraction::IdYes);
        QVERIFY(r.Connect());
        QCOMPARE(r.ui.MessageIds(), QList<int>{335});
        QCOMPARE(r.model.Writes(), (QVector<QPair<int, int64_t>>{{8, 0}}));

        Rig refused(Opts(3, 401));
        refused.model.Controller().SetValue(8, 5);
        refused.model.Controller().SetReadOnly(8);
        refused.ui.QueueAnswer(CUserInteraction::IdYes);
        QVERIFY(!refused.Connect());

        Rig declined(Opts(3, 401));
        declined.model.Controller().SetValue(8, 5);
        declined.ui.QueueAnswer(CUserInteraction::IdNo);
        QVERIFY(declined.Connect());
        QVERIFY(declined.model.Writes().isEmpty());
    }

    void passwords()
    {
        Rig none(Opts(4));
        QVERIFY(none.Connect());
        QCOMPARE(none.ui.loginCalls, 0);

        CDeviceModel::Options o = Opts(4);
        o.password = 0x10000 + 1234;  // only the low 16 bits are compared
        Rig r(o);
        r.ui.QueueLogin(999);
        QVERIFY(!r.Connect());
        QCOMPARE(r.ui.MessageIds(), QList<int>{114});
        QVERIFY(!r.app.loggedIn);
        r.ui.QueueLogin(1234);
        QVERIFY(r.Connect());
        QVERIFY(r.app.loggedIn);
        // Once logged in, a reconnect - even to another password - does not ask again.
        r.model.Controller().SetValue(489, 4321);
        QVERIFY(r.Connect());
        QCOMPARE(r.ui.loginCalls, 2);
    }

    void sensorTitlesAndMasks()
    {
        CDeviceModel::Options o = Opts(4);
        o.sensors = {2, 1, 2, 5, 0, 2, 11, 2};
        Rig r(o);
        r.model.Controller().SetValue(27 + 20 * 1, 1);
        r.model.Controller().SetValue(950 + 4 * 3, -125);
        QVERIFY(r.Connect());
        const auto& s = r.app.Sensors();
        QCOMPARE(s[0].title, QStringLiteral("pH-value 1"));
        QCOMPARE(s[2].title, QStringLiteral("pH-value 2"));
        QCOMPARE(s[5].title, QStringLiteral("pH-value 3"));
        QCOMPARE(s[7].title, QStringLiteral("pH-value 4"));
        QCOMPARE(int(s[7].bitMask), 128);
        QCOMPARE(int(s[2].bitMask), 4);
        QCOMPARE(s[1].title, QStringLiteral("Temperature 1"));
        QCOMPARE(int(s[1].displayMode), 1);
        QCOMPARE(s[3].densityCorrection, -0.0125);
        // A kind without a row in the type table gets no title and touches no counter.
        QCOMPARE(int(s[6].type), 11);
        QVERIFY(s[6].title.isEmpty());
        QCOMPARE(int(s[6].bitMask), 0);
    }

    void smsModuleProbe()
    {
        CDeviceModel::Options o = Opts(4);
        o.sms = true;
        Rig present(o);
        present.connection.smsModule = true;
        QVERIFY(present.Connect());
        QVERIFY(present.app.HasSmsModule());
        QCOMPARE(present.model.Log().last().address, uint8_t(34));

        Rig wrong(o);
        wrong.model.SmsModule()->SetValue(2, 9);
        wrong.connection.smsModule = true;
        QVERIFY(wrong.Connect());
        QVERIFY(!wrong.app.HasSmsModule());

        Rig absent(Opts(4));
        absent.connection.smsModule = true;
        QVERIFY(absent.Connect());
        QVERIFY(!absent.app.HasSmsModule());

        Rig notAsked(o);
        QVERIFY(notAsked.Connect());
        QVERIFY(!notAsked.app.HasSmsModule());
    }

    void simulationMode()
    {
        Rig r;
        QVERIFY(r.app.ToggleSimulation());
        r.connection.smsModule = true;
        QVERIFY(r.Connect());
        QVERIFY(r.model.Log().isEmpty());
        QCOMPARE(r.app.FirmwareVersion(), int16_t(408));
        QCOMPARE(r.app.SerialNumber(), 1005092007u);
        QCOMPARE(r.app.GetModelName(), QStringLiteral("Korvalis B"));
        QVERIFY(r.app.HasSmsModule());
        QCOMPARE(r.app.Sensors()[3].title, QStringLiteral("Conductivity 1"));
        QCOMPARE(r.app.ReadParameter(1234), uint16_t(0));
        QCOMPARE(r.app.GetLastValue(), 0.0);
        QVERIFY(r.app.GetLastText().isEmpty());
        QCOMPARE(r.app.WriteTextParameter(1228, "x"), uint16_t(0));
        QVERIFY(r.ui.title.startsWith(QStringLiteral("Korvalis Control (simulation)")));
        // Simulation cannot be switched while connected.
        QVERIFY(!r.app.ToggleSimulation());
        r.app.Disconnect();
        QVERIFY(r.app.ToggleSimulation());
        QVERIFY(!r.app.simulationMode);
    }

    void accessAndAddresses()
    {
        Rig r;
        QCOMPARE(r.app.ReadParameter(0), uint16_t(80));
        QCOMPARE(r.app.GetLastValue(), 80.0);
        r.connection.deviceAddress = 35;
        QVERIFY(!r.Connect());
        QVERIFY(r.model.Log().isEmpty());

        r.connection.deviceAddress = 1;
        QVERIFY(r.Connect());
        r.model.Controller().SetValue(100, -5);
        QCOMPARE(r.app.ReadParameter(100), uint16_t(0));
        QCOMPARE(r.app.GetLastSignedValue(), -5.0);
        QCOMPARE(r.app.GetLastValue(), 4294967291.0);
        QCOMPARE(r.app.WriteParameter(100, 250), uint16_t(0));
        QCOMPARE(r.model.Controller().Value(100), int64_t(250));
        // Refused numeric write: 64, still connected.
        QCOMPARE(r.app.WriteParameter(2, 1), uint16_t(64));
        QVERIFY(r.app.IsConnected());
        // A failed text write disconnects.
        r.model.Controller().SetReadOnly(1228);
        QCOMPARE(r.app.WriteTextParameter(1228, "Tank"), uint16_t(64));
        QVERIFY(!r.app.IsConnected());
    }

    void timeoutIsClamped()
    {
        CConnection c;
        c.replyTimeout = 65536;
        QCOMPARE(c.EffectiveTimeout(), uint16_t(65535));
        c.replyTimeout = 0;
        QCOMPARE(c.EffectiveTimeout(), uint16_t(100));
        c.replyTimeout = 5000;
        QCOMPARE(c.EffectiveTimeout(), uint16_t(5000));
    }

    void progressTicksPerTransfer()
    {
        Rig r;
        QVERIFY(r.Connect());
        QCOMPARE(r.ui.progressMax, 20);
        QCOMPARE(r.ui.progressPos, 0);  // reset when the ticking ends
        r.app.EnableProgressTicking(5);
        r.app.ReadParameter(0);
        r.app.WriteParameter(100, 1);
        QCOMPARE(r.ui.progressPos, 2);
        r.app.DisableProgressTicking();
        QCOMPARE(r.ui.progressPos, 0);
    }
};

QTEST_GUILESS_MAIN(CKorvalisControlAppTest)
#include "CKorvalisControlApp_test.moc"
