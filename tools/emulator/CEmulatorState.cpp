// SPDX-License-Identifier: GPL-3.0-or-later
#include "CEmulatorState.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

#include "device/CBusDevice.h"
#include "device/CDeviceModel.h"

namespace {
// Identification comes from the command line, never from a state file.
bool IsIdentification(int number)
{
    return number == 0 || number == 2 || number == 6;
}

// A state file is a handful of kilobytes; anything far larger is not one.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
}  // namespace

bool CEmulatorState::Load(const QString& path, CDeviceModel& model, bool keepAddress, QString& error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxFileSize) {
        error = QStringLiteral("%1 is too large to be a state file").arg(path);
        return false;
    }
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(4096).trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.split(' ');
        bool ok = false;
        const int number = parts.size() == 3 ? parts[1].toInt(&ok) : -1;
        CBusDevice* device = nullptr;
        if (ok && parts[0] == "C")
            device = &model.Controller();
        else if (ok && parts[0] == "S")
            device = model.SmsModule();
        if (!ok || number < -32768 || number > 65535 || (parts[0] != "C" && parts[0] != "S")) {
            error = QStringLiteral("%1:%2: not a parameter line; ignored").arg(path).arg(lineNumber);
            continue;
        }
        if (!device || IsIdentification(number) || device->IsReadOnly(number))
            continue;
        if (number == 5 && device == &model.Controller() && keepAddress)
            continue;
        const QByteArray& value = parts[2];
        if (value.startsWith(':')) {
            const QByteArray hex = value.mid(1);
            const QByteArray bytes = QByteArray::fromHex(hex);
            if (bytes.size() * 2 != hex.size() || bytes.size() > 255) {
                error = QStringLiteral("%1:%2: bad byte string; ignored").arg(path).arg(lineNumber);
                continue;
            }
            device->SetText(number, bytes);
        } else {
            const qint64 v = value.toLongLong(&ok);
            if (!ok || v < INT32_MIN || v > UINT32_MAX) {
                error = QStringLiteral("%1:%2: bad value; ignored").arg(path).arg(lineNumber);
                continue;
            }
            device->SetValue(number, v);
            if (device == &model.Controller() && number == 5 && v >= 0 && v <= 33)
                device->SetAddress(static_cast<uint8_t>(v));
        }
    }
    return true;
}

bool CEmulatorState::Save(const QString& path, CDeviceModel& model, const Skip& skip, QString& error)
{
    QByteArray out = "# korvalis-emulator state: <device C|S> <parameter> <value or :hex bytes>\n";
    const auto dump = [&](CBusDevice* device, bool sms) {
        if (!device)
            return;
        QList<int> numbers = device->Cells().keys();
        std::sort(numbers.begin(), numbers.end());
        for (int n : numbers) {
            if (IsIdentification(n) || device->IsReadOnly(n) || (skip && skip(n, sms)))
                continue;
            device->Refresh(n);  // counters that run keep their current value
            out += sms ? "S " : "C ";
            out += QByteArray::number(n) + ' ';
            if (device->IsText(n))
                out += ':' + device->Text(n).toHex();
            else
                out += QByteArray::number(static_cast<qint64>(device->Value(n)));
            out += '\n';
        }
    };
    dump(&model.Controller(), false);
    dump(model.SmsModule(), true);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
