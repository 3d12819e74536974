// SPDX-License-Identifier: GPL-3.0-or-later
#include "CCtlContext.h"

#include <QJsonDocument>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "link/CFrameCodec.h"
#include "link/CSWMBus.h"

namespace {
QHash<QString, bool>& DeclaredOptions()
{
    static QHash<QString, bool> options = {
        {QStringLiteral("--tcp"), true},      {QStringLiteral("--serial"), true},
        {QStringLiteral("--baud"), true},     {QStringLiteral("--address"), true},
        {QStringLiteral("--timeout"), true},  {QStringLiteral("--password"), true},
        {QStringLiteral("--sms"), false},     {QStringLiteral("--yes"), false},
        {QStringLiteral("--connection"), true}, {QStringLiteral("--json"), false},
        {QStringLiteral("--password-stdin"), false},
    };
    return options;
}

void Err(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
}  // namespace

CCtlContext::CCtlContext() : m_app(std::make_unique<CKorvalisControlApp>())
{
    m_app->SetUserInteraction(this);
    m_app->language = CLanguage::English;
    m_app->LoadLanguage(CLanguage::English);
    m_app->dataFolder.clear();
    m_app->CreateDataFolder();
    m_connection = CConnection();
}

void CCtlContext::DeclareOption(const QString& name, bool takesValue)
{
    DeclaredOptions().insert(name, takesValue);
}

bool CCtlContext::ParseCommonOptions(QStringList& args, QString& error)
{
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString value;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
        }
        const auto it = DeclaredOptions().constFind(arg);
        if (it == DeclaredOptions().constEnd()) {
            if (arg.startsWith(QLatin1String("--"))) {
                error = QStringLiteral("unknown option %1").arg(arg);
                return false;
            }
            rest << args[i];
            continue;
        }
        if (it.value() && eq <= 0) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option %1 needs a value").arg(arg);
                return false;
            }
            value = args[++i];
        }
        m_options.insert(arg, value);
    }
    args = rest;

    bool ok = true;
    const auto number = [&](const QString& name, uint32_t& target, uint32_t lo, uint32_t hi) {
        ok = NumberOption(name, target, lo, hi, error) && ok;
    };
    // A stored connection first, so that the other options can change it.
    if (HasOption(QStringLiteral("--connection"))) {
        CConnectionArray stored;
        stored.ReadOnly(m_app->dataFolder);
        const int i = stored.IndexOf(Option(QStringLiteral("--connection")));
        if (i < 0) {
            error = QStringLiteral("no stored connection is named \"%1\" (see: korvalisctl connections)")
                        .arg(Option(QStringLiteral("--connection")));
            return false;
        }
        m_connection = stored.GetAt(i);
    }
    if (HasOption(QStringLiteral("--tcp"))) {
        m_connection.type = CConnection::Tcp;
        const QString where = Option(QStringLiteral("--tcp"));
        const qsizetype colon = where.lastIndexOf(QLatin1Char(':'));
        m_connection.networkAddress = colon > 0 ? where.left(colon) : where;
        if (colon > 0) {
            bool good = false;
            const uint port = where.mid(colon + 1).toUInt(&good);
            if (!good || port == 0 || port > 65535) {
                error = QStringLiteral("--tcp: bad port in %1").arg(where);
                return false;
            }
            m_connection.tcpPort = port;
        }
    } else if (HasOption(QStringLiteral("--serial"))) {
        m_connection.type = CConnection::Serial;
        m_app->serialDeviceOverride = Option(QStringLiteral("--serial"));
    }
    number(QStringLiteral("--baud"), m_connection.baudRate, 300, 4000000);
    number(QStringLiteral("--address"), m_connection.deviceAddress, 0, 34);
    number(QStringLiteral("--timeout"), m_connection.replyTimeout, 1, 600000);
    // A stored connection keeps its own SMS-module choice unless --sms asks for the probe.
    if (HasOption(QStringLiteral("--sms")))
        m_connection.smsModule = true;
    return ok;
}

bool CCtlContext::MeasOptions(CSaveMeasOptions& options) const
{
    const QString decimal = Option(QStringLiteral("--decimal"), QStringLiteral("comma"));
    const QString separator = Option(QStringLiteral("--separator"), QStringLiteral("tab"));
    if (decimal != QLatin1String("comma") && decimal != QLatin1String("point")) {
        Err(QStringLiteral("error: --decimal takes point or comma"));
        return false;
    }
    if (separator != QLatin1String("tab") && separator != QLatin1String("semicolon")) {
        Err(QStringLiteral("error: --separator takes tab or semicolon"));
        return false;
    }
    options.decimalSeparator = decimal == QLatin1String("point") ? 0 : 1;
    options.fieldSeparator = separator == QLatin1String("semicolon") ? 0 : 1;
    options.unitsInHeader = !HasOption(QStringLiteral("--no-units"));
    return true;
}

bool CCtlContext::ConnectDevice()
{
    if (!m_app->Connect(&m_connection, true)) {
        QString why = m_app->LastChannelError();
        if (why.isEmpty() && m_connection.IsTcp() && m_connection.networkAddress.trimmed() == QLatin1String("0.0.0.0"))
            why = QStringLiteral("no network module answered the search (the connection's address is automatic)");
        if (why.isEmpty())
            why = QStringLiteral("the device did not answer the identification (check the connection options)");
        Err(QStringLiteral("error: cannot connect: %1").arg(why));
        return false;
    }
    return true;
}

void CCtlContext::PrintStatusError(const QString& what, uint16_t status) const
{
    QString text = QStringLiteral("error: %1: status %2 (%3)").arg(what).arg(status).arg(QLatin1String(CSWMBus::StatusText(status)));
    uint8_t code = 0;
    const bool refused = status == CSWMBus::NotAcknowledged && m_app->Bus() && !m_app->Bus()->GetAcknowledge(code) && code != 0;
    if (refused && code == BusByte::SharedLineRefusal)
        text += QStringLiteral(": the korvalisd service refused it, because it needs the line to itself; stop the service "
                               "(systemctl stop korvalisd, or systemctl --user stop korvalisd) and connect to the controller directly");
    else if (refused)
        text += QStringLiteral(": the device refused it with code %1 (0x%2)").arg(code).arg(code, 2, 16, QLatin1Char('0'));
    Err(text);
}

int CCtlContext::ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args)
{
    QString text = TrArg(stringId, args);
    if (text.isEmpty())
        text = QStringLiteral("message %1").arg(stringId);
    return ShowText(text.remove(QLatin1Char('&')), icon, buttons);
}

int CCtlContext::ShowText(const QString& text, Icon icon, Buttons buttons)
{
    const bool yes = HasOption(QStringLiteral("--yes"));
    const char* prefix = icon == Icon::Stop ? "error: " : icon == Icon::Warning ? "warning: " : "";
    Err(QString::fromLatin1(prefix) + text);
    switch (buttons) {
    case Buttons::Ok: return IdOk;
    case Buttons::OkCancel: return yes ? IdOk : IdCancel;
    case Buttons::YesNo: return yes ? IdYes : IdNo;
    case Buttons::YesNoCancel: return yes ? IdYes : IdCancel;
    case Buttons::AbortRetryIgnore: return IdAbort;
    }
    return IdCancel;
}

bool CCtlContext::Login(uint16_t expected)
{
    // The option shows in the process list; the environment and standard input do not.
    QString given = Option(QStringLiteral("--password"));
    if (!HasOption(QStringLiteral("--password")) && HasOption(QStringLiteral("--password-stdin"))) {
        QTextStream in(stdin);
        given = in.readLine().trimmed();
    } else if (!HasOption(QStringLiteral("--password"))) {
        given = QString::fromLocal8Bit(qgetenv("KORVALIS_PASSWORD")).trimmed();
    }
    if (given.isEmpty()) {
        Err(QStringLiteral("error: the controller is protected by a password; give it in KORVALIS_PASSWORD, "
                           "with --password-stdin or with --password N"));
        return false;
    }
    bool ok = false;
    const int typed = given.toInt(&ok);
    if (ok && static_cast<uint16_t>(typed) == expected)
        return true;
    ShowMessage(114, Icon::Stop, Buttons::Ok);
    return false;
}

bool CCtlContext::ProgressWanted()
{
    return isatty(STDERR_FILENO) != 0;
}

void CCtlContext::PrintJson(const QJsonObject& object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
}

void CCtlContext::PrintJson(const QJsonArray& array)
{
    std::printf("%s\n", QJsonDocument(array).toJson(QJsonDocument::Compact).constData());
}
