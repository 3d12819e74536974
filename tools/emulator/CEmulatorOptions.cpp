// SPDX-License-Identifier: GPL-3.0-or-later
#include "CEmulatorOptions.h"

#include <QHostAddress>

#include "base/ModelInfo.h"
#include "base/SensorTypeInfo.h"

int CEmulatorOptions::ProductCodeOf(const QString& model)
{
    const QString m = model.trimmed().toUpper();
    static const char* const kLetters = "ABCDEFG";
    static const int kCodes[] = {2, 3, 6, 4, 5, 7, 8};
    if (m.size() == 1) {
        for (int i = 0; i < 7; ++i)
            if (m[0] == QLatin1Char(kLetters[i]))
                return kCodes[i];
    }
    bool ok = false;
    const int code = m.toInt(&ok);
    return ok && ModelInfo::Find(code) ? code : 0;
}

QString CEmulatorOptions::Usage()
{
    return QStringLiteral(
        "usage: korvalis-emulator [options]\n"
        "A virtual Korvalis controller speaking the bus protocol over TCP or a pseudo-terminal.\n"
        "When it is ready it prints one line on stdout: the TCP port, or with --pty the\n"
        "terminal's path.\n\n"
        "device:\n"
        "  --model X          A..G or a product code (default D)\n"
        "  --firmware N       firmware version, e.g. 408 for 4.08 (default 408)\n"
        "  --serial N         serial number (default 100123)\n"
        "  --address N        bus address 0..33 (default 1)\n"
        "  --sensors LIST     sensor type per input, e.g. 1,2,5,0 (default: the model's)\n"
        "  --sms              an SMS module at bus address 34\n"
        "  --password N       access password (default 0: none)\n"
        "  --state FILE       load parameters at start, save them on change and at exit\n"
        "  --list-folder DIR  folder of the parameter-list files\n"
        "  --history N        recorder records stored at start (default 2000, 0 = empty)\n"
        "  --time-scale F     device time runs F times as fast (default 1)\n"
        "  --restart-time MS  how long a restart keeps the device silent (default 3000)\n"
        "  --stall-limit MS   drop a TCP client that leaves a frame unfinished this long\n"
        "                     (default 5000), so that it cannot keep the others out\n"
        "links:\n"
        "  --port N           TCP port (default 10001; 0 picks a free one)\n"
        "  --listen ADDR      address to listen on (default 0.0.0.0)\n"
        "  --pty              serve a new pseudo-terminal (no TCP unless --port is given)\n"
        "  --baud N|line      pace answers like a serial line of N baud (line: the speed\n"
        "                     the PC set on the pseudo-terminal)\n"
        "  --discovery-port N answer network-module discovery there (default 30718; 0 off)\n"
        "faults:\n"
        "  --drop P           drop this share of answers (0..1)\n"
        "  --garble P         change one byte in this share of answers (0..1)\n"
        "  --delay MS         send every answer this late\n"
        "  --refuse LIST      refuse writes to these parameters (e.g. 1101,15)\n"
        "  --close-after N    close the link after N answers\n"
        "  --seed N           seed of the fault and value randomness (default 1)\n"
        "other:\n"
        "  --verbose          log every access on stderr\n"
        "  --die-with-parent  stop when the process that started it ends\n"
        "  --help, --version  this text, the version\n\n"
        "exit status: 0 after a termination signal, 1 when a link cannot be opened,\n"
        "2 for an unusable command line.\n");
}

bool CEmulatorOptions::Parse(const QStringList& args, QString& error)
{
    device.productCode = 4;
    device.serial = 100123;
    bool portGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        bool inlineValue = false;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            inlineValue = true;
        }
        static const QStringList kFlags = {QStringLiteral("--sms"), QStringLiteral("--pty"),
                                           QStringLiteral("--verbose"), QStringLiteral("--die-with-parent"),
                                           QStringLiteral("--help"), QStringLiteral("-h"),
                                           QStringLiteral("--version")};
        if (kFlags.contains(name)) {
            if (inlineValue) {
                error = QStringLiteral("%1 takes no value").arg(name);
                return false;
            }
            if (name == QLatin1String("--sms"))
                device.sms = true;
            else if (name == QLatin1String("--pty"))
                pty = true;
            else if (name == QLatin1String("--verbose"))
                verbose = true;
            else if (name == QLatin1String("--die-with-parent"))
                dieWithParent = true;
            else if (name == QLatin1String("--version"))
                version = true;
            else
                help = true;
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                error = name.startsWith(QLatin1String("--")) ? QStringLiteral("option %1 needs a value").arg(name)
                                                              : QStringLiteral("unexpected argument %1").arg(name);
                return false;
            }
            value = args[++i];
        }
        const auto integer = [&](qint64 lo, qint64 hi, qint64& out) {
            bool ok = false;
            out = value.toLongLong(&ok);
            if (!ok || out < lo || out > hi) {
                error = QStringLiteral("%1 must be a whole number from %2 to %3").arg(name).arg(lo).arg(hi);
                return false;
            }
            return true;
        };
        const auto share = [&](double& out) {
            bool ok = false;
            out = value.toDouble(&ok);
            if (!ok || out < 0.0 || out > 1.0) {
                error = QStringLiteral("%1 must be a share from 0 to 1").arg(name);
                return false;
            }
            return true;
        };
        const auto numberList = [&](QList<qint64>& out, qint64 lo, qint64 hi) {
            for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                bool ok = false;
                const qint64 v = part.trimmed().toLongLong(&ok);
                if (!ok || v < lo || v > hi) {
                    error = QStringLiteral("%1: '%2' is not a number from %3 to %4").arg(name, part).arg(lo).arg(hi);
                    return false;
                }
                out << v;
            }
            return true;
        };
        qint64 n = 0;
        if (name == QLatin1String("--model")) {
            device.productCode = ProductCodeOf(value);
            if (!device.productCode) {
                error = QStringLiteral("--model must be one of A, B, C, D, E, F, G (or a product code)");
                return false;
            }
        } else if (name == QLatin1String("--firmware")) {
            if (!integer(1, 9999, n))
                return false;
            device.firmware = static_cast<int>(n);
        } else if (name == QLatin1String("--serial")) {
            if (!integer(0, 0xFFFFFFFFLL, n))
                return false;
            device.serial = static_cast<uint32_t>(n);
        } else if (name == QLatin1String("--address")) {
            if (!integer(0, 33, n))
                return false;
            device.address = static_cast<uint8_t>(n);
            addressGiven = true;
        } else if (name == QLatin1String("--sensors")) {
            QList<qint64> types;
            if (!numberList(types, 0, 255))
                return false;
            if (types.size() > 8) {
                error = QStringLiteral("--sensors takes at most 8 types");
                return false;
            }
            device.sensors.clear();
            for (qint64 t : types) {
                if (t != 0 && !SensorTypeInfo::Find(static_cast<int>(t))) {
                    error = QStringLiteral("--sensors: %1 is not a sensor type (0-5, 7-10)").arg(t);
                    return false;
                }
                device.sensors << static_cast<int>(t);
            }
            // An explicit list of all zeros means no sensors, not the model's.
            if (device.sensors.isEmpty())
                device.sensors = QVector<int>(8, 0);
        } else if (name == QLatin1String("--password")) {
            if (!integer(INT32_MIN, INT32_MAX, n))
                return false;
            device.password = static_cast<int32_t>(n);
        } else if (name == QLatin1String("--state")) {
            stateFile = value;
        } else if (name == QLatin1String("--list-folder")) {
            listFolder = value;
        } else if (name == QLatin1String("--history")) {
            if (!integer(0, 1000000, n))
                return false;
            historyRecords = static_cast<int>(n);
        } else if (name == QLatin1String("--time-scale")) {
            bool ok = false;
            timeScale = value.toDouble(&ok);
            if (!ok || !(timeScale > 0.0) || timeScale > 1e6) {
                error = QStringLiteral("--time-scale must be a number above 0 (up to 1000000)");
                return false;
            }
        } else if (name == QLatin1String("--restart-time")) {
            if (!integer(0, 600000, n))
                return false;
            restartMs = static_cast<int>(n);
        } else if (name == QLatin1String("--stall-limit")) {
            if (!integer(100, 600000, n))
                return false;
            stallLimitMs = static_cast<int>(n);
        } else if (name == QLatin1String("--port")) {
            if (!integer(0, 65535, n))
                return false;
            port = static_cast<int>(n);
            portGiven = true;
        } else if (name == QLatin1String("--listen")) {
            if (QHostAddress(value).isNull()) {
                error = QStringLiteral("--listen needs an IP address, e.g. 127.0.0.1");
                return false;
            }
            listen = value;
        } else if (name == QLatin1String("--baud")) {
            if (value == QLatin1String("line")) {
                baud = -1;
                continue;
            }
            if (!integer(0, 4000000, n))
                return false;
            baud = static_cast<int>(n);
        } else if (name == QLatin1String("--discovery-port")) {
            if (!integer(0, 65535, n))
                return false;
            discoveryPort = static_cast<int>(n);
        } else if (name == QLatin1String("--drop")) {
            if (!share(faults.dropRate))
                return false;
        } else if (name == QLatin1String("--garble")) {
            if (!share(faults.garbleRate))
                return false;
        } else if (name == QLatin1String("--delay")) {
            if (!integer(0, 600000, n))
                return false;
            faults.delayMs = static_cast<int>(n);
        } else if (name == QLatin1String("--refuse")) {
            QList<qint64> numbers;
            if (!numberList(numbers, 0, 65535))
                return false;
            for (qint64 v : numbers)
                faults.refuse.insert(static_cast<int16_t>(v));
        } else if (name == QLatin1String("--close-after")) {
            if (!integer(0, INT32_MAX, n))
                return false;
            faults.closeAfterFrames = static_cast<int>(n);
        } else if (name == QLatin1String("--seed")) {
            if (!integer(0, 0xFFFFFFFFLL, n))
                return false;
            faults.seed = static_cast<uint32_t>(n);
        } else {
            error = QStringLiteral("unknown option %1 (see --help)").arg(name);
            return false;
        }
    }
    if (pty && !portGiven)
        port = -1;
    if (device.sms && device.address == 34) {
        error = QStringLiteral("bus address 34 belongs to the SMS module");
        return false;
    }
    return true;
}
