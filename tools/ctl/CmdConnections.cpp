// SPDX-License-Identifier: GPL-3.0-or-later
// connections, discover
#include <cstdio>

#include "CCtlContext.h"
#include "CtlCommand.h"
#include "link/CConnectionArray.h"
#include "link/CNetworkDiscovery.h"
#include "link/CSerialPortMap.h"

namespace {
void Out(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

// Texts come from a file: a tab, line break or escape sequence must neither break the
// one-line format nor reach the terminal.
QString Printable(QString text)
{
    for (QChar& ch : text)
        if (ch.category() == QChar::Other_Control)
            ch = QLatin1Char(' ');
    return text;
}

// One line per stored connection, tab-separated: name, where, baud, type, bus address,
// reply timeout, "*" on the selected one.
int Connections(CCtlContext& ctx, const QStringList& args)
{
    if (!args.isEmpty()) {
        std::fprintf(stderr, "usage: korvalisctl connections\n");
        return CtlUsage;
    }
    CConnectionArray list;
    list.ReadOnly(ctx.App().dataFolder);
    QJsonArray json;
    for (int i = 0; i < list.GetCount(); ++i) {
        const CConnection c = list.GetAt(i);
        QString where = c.GetWhereText();
        const QString path = c.IsTcp() ? QString() : CSerialPortMap::DevicePath(c.comPort);
        if (ctx.Json()) {
            QJsonObject o{{"name", c.name}, {"where", where}, {"type", c.IsTcp() ? "tcp" : "serial"},
                          {"address", static_cast<qint64>(c.deviceAddress)},
                          {"timeout", static_cast<qint64>(c.replyTimeout)},
                          {"selected", i == list.GetSelectedIndex()}};
            if (!c.IsTcp()) {
                o.insert(QStringLiteral("device"), path);
                o.insert(QStringLiteral("baud"), static_cast<qint64>(c.baudRate));
            }
            json.append(o);
            continue;
        }
        if (!path.isEmpty())
            where += QStringLiteral(" (%1)").arg(path);
        Out(QStringList{Printable(c.name), Printable(where), c.GetBaudText(), c.GetTypeText(), QString::number(c.deviceAddress),
                        QString::number(c.replyTimeout), i == list.GetSelectedIndex() ? QStringLiteral("*") : QString()}
                .join(QLatin1Char('\t')));
    }
    if (ctx.Json())
        CCtlContext::PrintJson(json);
    return CtlOk;
}

// The network modules that answer the search, one address per line, each once.
int Discover(CCtlContext& ctx, const QStringList& args)
{
    if (!args.isEmpty()) {
        std::fprintf(stderr, "usage: korvalisctl discover\n");
        return CtlUsage;
    }
    if (CCtlContext::ProgressWanted())
        std::fprintf(stderr, "searching for network modules (%d s)...\n",
                     CNetworkDiscovery::WaitSteps * CNetworkDiscovery::StepMilliseconds / 1000);
    QStringList seen;
    for (const QString& address : CNetworkDiscovery::Collect(nullptr)) {
        if (seen.contains(address))
            continue;
        seen << address;
        if (!ctx.Json())
            Out(address);
    }
    if (ctx.Json())
        CCtlContext::PrintJson(QJsonArray::fromStringList(seen));
    if (seen.isEmpty()) {
        std::fprintf(stderr, "error: no network module answered\n");
        return CtlFailed;
    }
    return CtlOk;
}

CtlRegistrar r1({QStringLiteral("connections"),
                 QStringLiteral("connections              stored connections: name, where, baud, type, address, timeout, * selected"),
                 Connections});
CtlRegistrar r2({QStringLiteral("discover"), QStringLiteral("discover                 addresses of the network modules that answer"), Discover});
}  // namespace
