// SPDX-License-Identifier: GPL-3.0-or-later
// identify, get, set, set-text
#include <QTextStream>
#include <cmath>
#include <cstdio>

#include "CCtlContext.h"
#include "CtlCommand.h"
#include "base/ModelInfo.h"

namespace {
void Out(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

bool ParseNumber(const QString& text, int& number)
{
    bool ok = false;
    number = text.toInt(&ok);
    return ok && number >= 0 && number <= 0xFFFF;
}

QString Printable(const QByteArray& bytes)
{
    QString out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            out += QLatin1Char(c);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}

int Identify(CCtlContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return CtlUsage;
    if (!ctx.ConnectDevice())
        return CtlFailed;
    CKorvalisControlApp& app = ctx.App();
    if (ctx.Json()) {
        QJsonArray sensors;
        for (const CSensor& s : app.Sensors())
            if (s.type != 0)
                sensors.append(QJsonObject{{"input", s.index + 1}, {"type", s.type}, {"title", s.title}});
        CCtlContext::PrintJson(QJsonObject{{"model", app.GetModelName()},
                                           {"product-code", app.Model()->productCode},
                                           {"firmware", app.FirmwareVersion()},
                                           {"serial", static_cast<qint64>(app.SerialNumber())},
                                           {"sensors", sensors},
                                           {"sms-module", app.HasSmsModule()}});
        return CtlOk;
    }
    Out(QStringLiteral("model: %1").arg(app.GetModelName()));
    Out(QStringLiteral("product-code: %1").arg(app.Model()->productCode));
    Out(QStringLiteral("firmware: %1").arg(app.FirmwareVersion()));
    Out(QStringLiteral("serial: %1").arg(app.SerialNumber()));
    for (const CSensor& s : app.Sensors())
        if (s.type != 0)
            Out(QStringLiteral("sensor%1: %2 %3").arg(s.index + 1).arg(s.type).arg(s.title));
    Out(QStringLiteral("sms-module: %1").arg(app.HasSmsModule() ? "yes" : "no"));
    return CtlOk;
}

int Get(CCtlContext& ctx, const QStringList& args)
{
    int number = 0;
    if (args.size() != 1 || !ParseNumber(args[0], number)) {
        std::fprintf(stderr, "usage: korvalisctl get N [--signed|--text]\n");
        return CtlUsage;
    }
    if (!ctx.ConnectDevice())
        return CtlFailed;
    CKorvalisControlApp& app = ctx.App();
    const uint16_t status = app.ReadParameter(number, ctx.ToSmsModule());
    if (status != 0) {
        ctx.PrintStatusError(QStringLiteral("reading parameter %1").arg(number), status);
        return CtlFailed;
    }
    if (ctx.Json()) {
        QJsonObject o{{"number", number},
                      {"value", static_cast<qint64>(static_cast<quint64>(app.GetLastValue()))},
                      {"signed", static_cast<qint64>(app.GetLastSignedValue())}};
        if (ctx.HasOption(QStringLiteral("--text")))
            o.insert(QStringLiteral("text"), QString::fromLatin1(app.GetLastText()));
        CCtlContext::PrintJson(o);
    } else if (ctx.HasOption(QStringLiteral("--text")))
        Out(Printable(app.GetLastText()));
    else if (ctx.HasOption(QStringLiteral("--signed")))
        Out(QString::number(static_cast<qint64>(app.GetLastSignedValue())));
    else
        Out(QString::number(static_cast<quint64>(app.GetLastValue())));
    return CtlOk;
}

int Set(CCtlContext& ctx, const QStringList& args)
{
    int number = 0;
    bool ok = false;
    const double value = args.size() == 2 ? args[1].toDouble(&ok) : 0.0;
    if (args.size() != 2 || !ParseNumber(args[0], number) || !ok) {
        std::fprintf(stderr, "usage: korvalisctl set N VALUE\n");
        return CtlUsage;
    }
    // The bus carries 32 bits, signed or unsigned; anything else would arrive as 0.
    if (!std::isfinite(value) || value < -2147483648.0 || value > 4294967295.0) {
        std::fprintf(stderr, "error: %s is not a value from -2147483648 to 4294967295\n",
                     args[1].toLocal8Bit().constData());
        return CtlUsage;
    }
    if (!ctx.ConnectDevice())
        return CtlFailed;
    const uint16_t status = ctx.App().WriteParameter(number, value, ctx.ToSmsModule());
    if (status != 0) {
        ctx.PrintStatusError(QStringLiteral("writing parameter %1").arg(number), status);
        return CtlFailed;
    }
    return CtlOk;
}

int SetText(CCtlContext& ctx, const QStringList& args)
{
    int number = 0;
    if (args.size() != 2 || !ParseNumber(args[0], number)) {
        std::fprintf(stderr, "usage: korvalisctl set-text N TEXT\n");
        return CtlUsage;
    }
    const QByteArray bytes = args[1].toLatin1();
    for (const QChar c : args[1]) {
        if (c.unicode() > 0xFF) {
            std::fprintf(stderr, "error: \"%s\" cannot be stored in the device's single-byte text (ISO-8859-1)\n",
                         QString(c).toLocal8Bit().constData());
            return CtlUsage;
        }
    }
    if (bytes.size() > 255) {
        std::fprintf(stderr, "error: the text is longer than 255 bytes\n");
        return CtlUsage;
    }
    if (!ctx.ConnectDevice())
        return CtlFailed;
    const uint16_t status = ctx.App().WriteTextParameter(number, bytes, ctx.ToSmsModule());
    if (status != 0) {
        ctx.PrintStatusError(QStringLiteral("writing text parameter %1").arg(number), status);
        return CtlFailed;
    }
    return CtlOk;
}

const bool kDeclared = [] {
    CCtlContext::DeclareOption(QStringLiteral("--signed"), false);
    CCtlContext::DeclareOption(QStringLiteral("--text"), false);
    return true;
}();

CtlRegistrar r1({QStringLiteral("identify"), QStringLiteral("identify                 model, firmware, serial number, sensors, SMS module (--json)"), Identify});
CtlRegistrar r2({QStringLiteral("get"), QStringLiteral("get N [--signed|--text]  print a parameter's value (--json: value, signed, text)"), Get});
CtlRegistrar r3({QStringLiteral("set"), QStringLiteral("set N VALUE              write a numeric parameter"), Set});
CtlRegistrar r4({QStringLiteral("set-text"), QStringLiteral("set-text N TEXT          write a byte-string parameter"), SetText});
}  // namespace
