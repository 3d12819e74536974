// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CNetworkDiscovery.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <QNetworkDatagram>
#include <QSettings>
#include <QUdpSocket>

#include "base/CAppPaths.h"
#include "link/CDiscoveryUi.h"

namespace {
CDiscoveryUi* g_ui = nullptr;

// Each answer is read up to this many bytes; the rest of a longer datagram is dropped.
constexpr qint64 kAnswerBytes = 256;
// A flood of datagrams must not grow the list without limit.
constexpr int kMaxAnswers = 1024;
// The wait is cut into slices so the progress window repaints while nothing arrives.
constexpr int kRepaintSliceMs = 100;

QString Dotted(const QHostAddress& address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address.toString();
}

void Drain(QUdpSocket& socket, QStringList& answers)
{
    while (socket.hasPendingDatagrams()) {
        const QNetworkDatagram d = socket.receiveDatagram(kAnswerBytes);
        if (!d.isValid())
            break;
        if (answers.size() < kMaxAnswers)
            answers << Dotted(d.senderAddress());
    }
}
}  // namespace

QByteArray CNetworkDiscovery::Datagram()
{
    QByteArray d(18, '\0');
    d[3] = static_cast<char>(0xF8);
    return d;
}

void CNetworkDiscovery::Target(QHostAddress& address, uint16_t& port)
{
    address = QHostAddress(QHostAddress::Broadcast);
    port = DefaultPort;
    QSettings s(CAppPaths::UserSettingsFile(), QSettings::IniFormat);
    const QString target = s.value(QStringLiteral("Network/DiscoveryTarget")).toString().trimmed();
    if (target.isEmpty())
        return;
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    const QHostAddress host(colon > 0 ? target.left(colon) : target);
    if (!host.isNull())
        address = host;
    if (colon > 0) {
        bool ok = false;
        const uint p = target.mid(colon + 1).toUInt(&ok);
        if (ok && p > 0 && p <= 65535)
            port = static_cast<uint16_t>(p);
    }
}

QStringList CNetworkDiscovery::Collect(CDiscoveryUi* ui)
{
    QStringList answers;
    if (ui)
        ui->BeginProgress(413, WaitSteps);
    QUdpSocket socket;
    QHostAddress target;
    uint16_t port = DefaultPort;
    Target(target, port);
    // Errors here simply lead to no answers. Qt allows broadcast on UDP sockets itself.
    bool listening = socket.bind(QHostAddress::AnyIPv4, 0) && socket.writeDatagram(Datagram(), target, port) >= 0;
    for (int step = 0; step < WaitSteps && listening; ++step) {
        if (ui)
            ui->SetProgress(step);
        const QDeadlineTimer deadline(StepMilliseconds);
        while (listening && !deadline.hasExpired()) {
            if (ui)
                ui->Repaint();
            const int slice = static_cast<int>(std::min<qint64>(deadline.remainingTime(), kRepaintSliceMs));
            if (socket.waitForReadyRead(slice))
                Drain(socket, answers);
            else if (socket.error() != QAbstractSocket::SocketTimeoutError)
                listening = false;  // the socket broke: waiting longer cannot bring answers
        }
    }
    Drain(socket, answers);
    if (ui)
        ui->EndProgress();
    return answers;
}

QString CNetworkDiscovery::DiscoverModule(bool takeFirstAnswer, CDiscoveryUi* ui)
{
    QString result = QStringLiteral("0.0.0.0");
    const QStringList answers = Collect(ui);
    if (takeFirstAnswer || !ui) {
        if (!answers.isEmpty())
            result = answers.first();
        return result;
    }
    if (answers.isEmpty()) {
        ui->ReportNoModule();
        return result;
    }
    QString chosen;
    if (ui->SelectAddress(answers, chosen) && !chosen.isEmpty())
        result = chosen;
    return result;
}

QString CNetworkDiscovery::DiscoverModule(bool takeFirstAnswer)
{
    return DiscoverModule(takeFirstAnswer, g_ui);
}

void CNetworkDiscovery::SetUserInterface(CDiscoveryUi* ui)
{
    g_ui = ui;
}

CDiscoveryUi* CNetworkDiscovery::UserInterface()
{
    return g_ui;
}
