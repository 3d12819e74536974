// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware command against the device model's boot loader, in memory: every message and
// way out, what reaches the device, and the line settings afterwards.
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CKorvalisControlApp.h"
#include "device/CBootLoader.h"
#include "device/CDeviceModel.h"
#include "device/CMemoryChannel.h"
#include "lang/CLanguage.h"
#include "firmware/CFirmwareTransfer.h"
#include "params/CTransferProgress.h"
#include "support/CScriptedUserInteraction.h"
#include "support/SRecordMaker.h"

namespace {
using Outcome = CFirmwareTransfer::Outcome;

struct Progress : CTransferProgress {
    explicit Progress(QStringList* log, int* maximum) : m_log(log), m_max(maximum) {}
    ~Progress() override { m_log->append(QStringLiteral("closed")); }
    void SetRange(int maximum) override { *m_max = maximum; }
    void SetPos(int pos) override { QVERIFY(pos >= 0 && pos <= *m_max); }
    void SetCaption(const QString&) override {}
    void SetItemText(const QString& text) override { m_log->append(text); }
    QStringList* m_log;
    int* m_max;
};

struct Ui : CFirmwareTransferUi {
    bool confirm = true;
    QString file;
    QStringList log;
    int maximum = 0;
    bool ConfirmDownloadWarning() override { return confirm; }
    QString ChooseFirmwareFile() override { return file; }
    std::unique_ptr<CTransferProgress> OpenProgress() override { return std::make_unique<Progress>(&log, &maximum); }
};

QByteArray Pattern(int size)
{
    QByteArray b;
    for (int i = 0; i < size; ++i) b.append(static_cast<char>((i * 7) & 0xFF));
    return b;
}

struct Rig {
    explicit Rig(uint32_t connectionType = CConnection::Serial) : loader(model)
    {
        CLanguage::Current().Load(CLanguage::FindCatalogue(CLanguage::English));
        app.SetUserInteraction(&ui);
        app.SetFramePause(0);
        app.SetChannelFactory([this](const CConnection& c) {
            return std::make_unique<CMemoryChannel>(
                model, c.IsTcp() ? CByteChannel::Kind::Socket : CByteChannel::Kind::Serial);
        });
        connection.type = connectionType;
        connection.replyTimeout = 300;
        ui.SetDefaultAnswer(-1);
    }
    bool Connect() { return app.Connect(&connection, false); }
    void WriteFile(const QByteArray& bytes)
    {
        fw.file = dir.filePath(QStringLiteral("fw.s28"));
        QFile f(fw.file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QList<int> WrittenNumbers() const
    {
        QList<int> n;
        for (const auto& w : model.Writes()) n << w.first;
        return n;
    }
    QTemporaryDir dir;
    CDeviceModel model;
    CBootLoader loader;
    CScriptedUserInteraction ui;
    CKorvalisControlApp app;
    CConnection connection;
    Ui fw;
};
}  // namespace

class CFirmwareTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void transfersAndDisconnects()
    {
        Rig r;
        QVERIFY(r.Connect());
        const QByteArray file = SRecordMaker::Line(0, 0, "fw") + "\r\n" +
                                SRecordMaker::Line(2, CBootLoader::kVersionAddress, QByteArray("\x01\x9a", 2)) +
                                "\r\n" +
                                SRecordMaker::Image(600, 0x2000).mid(SRecordMaker::Line(0, 0, "KORVALIS").size() + 2);
        r.WriteFile(file);
        r.ui.QueueAnswer(CUserInteraction::IdOk);  // message 129
        CFirmwareTransfer t(r.app, r.fw);
        QCOMPARE(t.TransferFirmware(), Outcome::Done);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{129, 132}));
        QCOMPARE(r.ui.shown[1].icon, CUserInteraction::Icon::Warning);
        QVERIFY(!r.app.IsConnected());
        QCOMPARE(r.WrittenNumbers(), QList<int>{5003});

        // Every record arrived once, the header not at all; the device restarted on 4.10.
        QCOMPARE(r.loader.Received().size(), t.File().Records().size());
        QCOMPARE(r.loader.Received().first(),
                 SRecordMaker::Binary(SRecordMaker::Line(2, 0x100, QByteArray("\x01\x9a", 2))));
        QCOMPARE(r.loader.Restarts(), 1);
        QCOMPARE(r.loader.ImageBytes(0x2000 + 26, 3), QByteArray::fromHex("b6bdc4"));
        QCOMPARE(r.model.Controller().Value(0), 410);
        QCOMPARE(r.loader.GetState(), CBootLoader::State::Off);

        // Progress: checking, boot-loader request, handshake, sending with totals, closed.
        const QStringList& log = r.fw.log;
        QCOMPARE(log.first(), Tr(352));
        const qsizetype sending = log.indexOf(Tr(133));
        QVERIFY(log.indexOf(Tr(353)) > 0 && log.indexOf(Tr(134)) > log.indexOf(Tr(353)) &&
                sending > log.indexOf(Tr(134)));
        QCOMPARE(log[sending + 1], QStringLiteral("100 - 2/602"));
        QCOMPARE(log[sending + 2], QStringLiteral("2000 - 28/602"));
        QCOMPARE(log[log.size() - 2], QStringLiteral("2000 - 602/602"));
        QCOMPARE(log.last(), QStringLiteral("closed"));

        // The controller answers the bus protocol again with its new version.
        QVERIFY(r.Connect());
        QCOMPARE(r.app.FirmwareVersion(), int16_t(410));
    }

    void badFileIsRefusedBeforeAnythingIsSent()
    {
        Rig r;
        QVERIFY(r.Connect());
        QByteArray file = SRecordMaker::Image(100);
        file.chop(2 + 2);  // the end record's checksum
        file += "FF\r\n";
        r.WriteFile(file);
        r.model.ClearLog();
        CFirmwareTransfer t(r.app, r.fw);
        QCOMPARE(t.TransferFirmware(), Outcome::FileInvalid);
        QCOMPARE(r.ui.MessageIds(), QList<int>{130});
        QCOMPARE(t.File().ErrorLine(), 6);
        QVERIFY(r.model.Log().isEmpty());
        QVERIFY(r.app.IsConnected());
        QCOMPARE(r.fw.log.last(), QStringLiteral("closed"));

        r.ui.shown.clear();
        r.fw.file = r.dir.filePath(QStringLiteral("missing.s19"));
        QCOMPARE(t.TransferFirmware(), Outcome::FileUnreadable);
        QCOMPARE(r.ui.MessageIds(), QList<int>{351});
        QVERIFY(r.ui.shown[0].text.contains(QStringLiteral("missing.s19")));
    }

    void handshakeFailingAtTheLastByte()
    {
        Rig r;
        QVERIFY(r.Connect());
        r.WriteFile(SRecordMaker::Image(100));
        r.loader.SetFaults({true, {}, {}});
        r.ui.QueueAnswer(CUserInteraction::IdOk);
        CFirmwareTransfer t(r.app, r.fw);
        QCOMPARE(t.TransferFirmware(), Outcome::HandshakeFailed);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{129, 131}));
        QVERIFY(r.loader.Received().isEmpty());
        // Still connected, with the connection's reply timeout back on the channel.
        QVERIFY(r.app.IsConnected());
        QCOMPARE(r.app.Channel()->ReadTimeout(), 300);
        QVERIFY(!r.fw.log.contains(Tr(133)));
    }

    void refusedRecordIsSentAgain()
    {
        Rig r;
        QVERIFY(r.Connect());
        r.WriteFile(SRecordMaker::Image(300));
        r.loader.SetFaults({false, {2, 5}, {}});
        r.ui.QueueAnswer(CUserInteraction::IdOk);
        CFirmwareTransfer t(r.app, r.fw);
        QCOMPARE(t.TransferFirmware(), Outcome::Done);
        QCOMPARE(t.Retries(), 2);
        QCOMPARE(r.loader.Received().size(), t.File().Records().size() + 2);
        QCOMPARE(r.loader.Received()[2], r.loader.Received()[3]);
        QCOMPARE(r.loader.ImageBytes(0x1000, 300), Pattern(300));
    }

    void recordRefusedThreeTimesFails()
    {
        Rig r;
        QVERIFY(r.Connect());
        r.WriteFile(SRecordMaker::Image(300));
        r.loader.SetFaults({false, {}, {4}});
        r.ui.QueueAnswer(CUserInteraction::IdOk);
        CFirmwareTransfer t(r.app, r.fw);
        QCOMPARE(t.TransferFirmware(), Outcome::RecordFailed);
        QCOMPARE(t.FailedRecord(), 4);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{129, 131}));
        QCOMPARE(r.loader.Received().size(), 4 + 3);
        QVERIFY(r.app.IsConnected());
        QCOMPARE(r.app.Channel()->ReadTimeout(), 300);
    }

    void refusalsAndCancels()
    {
        {
            // The controller does not take the boot-loader request.
            Rig r;
            QVERIFY(r.Connect());
            r.WriteFile(SRecordMaker::Image(100));
            CDeviceModel::Faults f;
            f.refuse = {5003};
            r.model.SetFaults(f);
            CFirmwareTransfer t(r.app, r.fw);
            QCOMPARE(t.TransferFirmware(), Outcome::BootLoaderRefused);
            QCOMPARE(r.ui.MessageIds(), QList<int>{131});
            QCOMPARE(r.loader.GetState(), CBootLoader::State::Off);
        }
        {
            // Cancel at message 129: parameter 0 is read once, nothing else is sent.
            Rig r;
            QVERIFY(r.Connect());
            r.WriteFile(SRecordMaker::Image(100));
            r.model.ClearLog();
            r.ui.QueueAnswer(CUserInteraction::IdCancel);
            CFirmwareTransfer t(r.app, r.fw);
            QCOMPARE(t.TransferFirmware(), Outcome::Cancelled);
            QCOMPARE(r.model.Log().size(), 2);
            QCOMPARE(r.model.Log()[0].number, 5003);
            QCOMPARE(r.model.Log()[1].kind, CDeviceModel::Access::Read);
            QCOMPARE(r.model.Log()[1].number, 0);
            QVERIFY(r.loader.Received().isEmpty());
            QVERIFY(r.app.IsConnected());
        }
        {
            // Warning dialog refused, file dialog cancelled: nothing happens.
            Rig r;
            QVERIFY(r.Connect());
            r.model.ClearLog();
            r.fw.confirm = false;
            r.fw.file = QStringLiteral("/x");
            CFirmwareTransfer t(r.app, r.fw);
            QCOMPARE(t.TransferFirmware(), Outcome::Declined);
            r.fw.confirm = true;
            r.fw.file.clear();
            QCOMPARE(t.TransferFirmware(), Outcome::Declined);
            QVERIFY(r.model.Log().isEmpty());
            QVERIFY(r.ui.shown.isEmpty());
            QVERIFY(r.fw.log.isEmpty());
        }
    }

    void networkConnectionAsksFirst()
    {
        Rig r(CConnection::Tcp);
        QVERIFY(r.Connect());
        r.WriteFile(SRecordMaker::Image(100));
        r.model.ClearLog();
        r.ui.QueueAnswer(CUserInteraction::IdNo);
        CFirmwareTransfer t(r.app, r.fw);
        QCOMPARE(t.TransferFirmware(), Outcome::Declined);
        QCOMPARE(r.ui.MessageIds(), QList<int>{192});
        QVERIFY(r.model.Log().isEmpty());

        r.ui.shown.clear();
        r.ui.QueueAnswer(CUserInteraction::IdYes);
        r.ui.QueueAnswer(CUserInteraction::IdOk);
        QCOMPARE(t.TransferFirmware(), Outcome::Done);
        QCOMPARE(r.ui.MessageIds(), (QList<int>{192, 129, 132}));
    }

    void simulationSendsNothing()
    {
        // On a network connection the warning comes first there too.
        for (uint32_t type : {uint32_t(CConnection::Serial), uint32_t(CConnection::Tcp)}) {
            Rig r(type);
            r.app.simulationMode = true;
            QVERIFY(r.Connect());
            r.WriteFile(SRecordMaker::Image(100));
            r.ui.QueueAnswer(CUserInteraction::IdYes);
            CFirmwareTransfer t(r.app, r.fw);
            QCOMPARE(t.TransferFirmware(), Outcome::Simulation);
            QCOMPARE(r.ui.MessageIds(), type == CConnection::Tcp ? QList<int>{192} : QList<int>{});
            QVERIFY(r.app.IsConnected());
        }
    }
};

QTEST_GUILESS_MAIN(CFirmwareTransferTest)
#include "CFirmwareTransfer_test.moc"
