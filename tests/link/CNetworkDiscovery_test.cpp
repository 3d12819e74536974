// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "link/CDiscoveryUi.h"
#include "link/CMyAsyncSocket.h"
#include "link/CNetworkDiscovery.h"
#include "support/CDiscoveryResponder.h"

namespace {
// Records what discovery showed and answers the selection as scripted.
class ScriptedUi : public CDiscoveryUi {
public:
    void BeginProgress(int titleId, int maximum) override { log << QStringLiteral("begin %1 %2").arg(titleId).arg(maximum); }
    void SetProgress(int position) override { log << QStringLiteral("pos %1").arg(position); }
    void EndProgress() override { log << QStringLiteral("end"); }
    bool SelectAddress(const QStringList& addresses, QString& result) override
    {
        offered = addresses;
        if (choice < 0)
            return false;
        result = addresses.value(choice);
        return true;
    }
    void ReportNoModule() override { log << QStringLiteral("412"); }

    QStringList log;
    QStringList offered;
    int choice = 0;
};
}  // namespace

class CNetworkDiscoveryTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase() { qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit()); }

    void datagramAndDefaultTarget()
    {
        QCOMPARE(CNetworkDiscovery::Datagram(), QByteArray("\0\0\0\xf8\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 18));
        QHostAddress a;
        uint16_t port = 0;
        CNetworkDiscovery::Target(a, port);
        QCOMPARE(a, QHostAddress(QHostAddress::Broadcast));
        QCOMPARE(port, uint16_t(30718));
    }

    void twoModulesAnswer()
    {
        CDiscoveryResponder responder({"127.0.0.2", "127.0.0.3"});
        responder.InstallAsTarget();
        ScriptedUi ui;
        ui.choice = 1;
        QCOMPARE(CNetworkDiscovery::DiscoverModule(false, &ui), QStringLiteral("127.0.0.3"));
        QCOMPARE(ui.offered, (QStringList{"127.0.0.2", "127.0.0.3"}));
        QCOMPARE(ui.log, (QStringList{"begin 413 5", "pos 0", "pos 1", "pos 2", "pos 3", "pos 4", "end"}));
        QCOMPARE(responder.Finish(), CNetworkDiscovery::Datagram());
    }

    void firstAnswerIsTakenWithoutAsking()
    {
        CDiscoveryResponder responder({"127.0.0.2", "127.0.0.3"});
        responder.InstallAsTarget();
        ScriptedUi ui;
        QCOMPARE(CNetworkDiscovery::DiscoverModule(true, &ui), QStringLiteral("127.0.0.2"));
        QVERIFY(ui.offered.isEmpty());
    }

    void sameModuleTwiceIsListedTwiceAndCancelGivesNothing()
    {
        CDiscoveryResponder responder({"127.0.0.4", "127.0.0.4"});
        responder.InstallAsTarget();
        ScriptedUi ui;
        ui.choice = -1;  // Cancel
        QCOMPARE(CNetworkDiscovery::DiscoverModule(false, &ui), QStringLiteral("0.0.0.0"));
        QCOMPARE(ui.offered, (QStringList{"127.0.0.4", "127.0.0.4"}));
    }

    void noAnswerGivesMessage412UnlessTheFirstIsTaken()
    {
        {
            CDiscoveryResponder silent({});
            silent.InstallAsTarget();
            ScriptedUi ui;
            QCOMPARE(CNetworkDiscovery::DiscoverModule(false, &ui), QStringLiteral("0.0.0.0"));
            QCOMPARE(ui.log.last(), QStringLiteral("412"));
        }
        // With the first answer taken, silence is reported by the failing connect instead;
        // ConnectTo tries no TCP connection at all.
        CDiscoveryResponder silent({});
        silent.InstallAsTarget();
        ScriptedUi ui;
        CNetworkDiscovery::SetUserInterface(&ui);
        CMyAsyncSocket socket;
        QVERIFY(!socket.ConnectTo(QStringLiteral("0.0.0.0"), 10001, true));
        CNetworkDiscovery::SetUserInterface(nullptr);
        QVERIFY(!ui.log.contains("412"));
        QVERIFY(!socket.IsConnected());
    }

    void automaticAddressConnectsToTheModuleThatAnswered()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.5")), 0));
        CDiscoveryResponder responder({"127.0.0.5"});
        responder.InstallAsTarget();
        CMyAsyncSocket socket;
        QVERIFY(socket.ConnectTo(QStringLiteral("0.0.0.0"), server.serverPort(), true));
        QVERIFY(socket.IsConnected());
        QVERIFY(server.waitForNewConnection(10000));
        QVERIFY(server.nextPendingConnection() != nullptr);
    }
};

QTEST_GUILESS_MAIN(CNetworkDiscoveryTest)
#include "CNetworkDiscovery_test.moc"
