// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CDescriptionFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "params/CControllerFolder.h"

QString CDescriptionFile::Storable(const QString& description)
{
    QString out = description;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

QStringList CDescriptionFile::ReadLines(QIODevice& in, int count)
{
    QStringList out;
    out.reserve(qMax(count, 0));
    bool atEnd = false;
    for (int i = 0; i < count; ++i) {
        QByteArray line;
        bool gotAny = false;
        char c = 0;
        while (!atEnd) {
            if (!in.getChar(&c)) {
                atEnd = true;
                break;
            }
            gotAny = true;
            if (c == '\n')
                break;
            if (line.size() < kMaxLineBytes)
                line.append(c);
        }
        if (line.endsWith('\r'))
            line.chop(1);
        out << (gotAny ? QString::fromLatin1(line) : QString());
    }
    return out;
}

namespace {
QStringList EmptyNames(int count)
{
    QStringList empty;
    for (int i = 0; i < count; ++i)
        empty << QString();
    return empty;
}
}  // namespace

QStringList CDescriptionFile::ReadFile(const QString& path, int count)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return EmptyNames(count);
    return ReadLines(file, count);
}

QByteArray CDescriptionFile::Encode(const QStringList& descriptions)
{
    QByteArray bytes;
    for (const QString& d : descriptions) {
        bytes += Storable(d).toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

bool CDescriptionFile::WriteFile(const QString& path, const QStringList& descriptions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = Encode(descriptions);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QStringList CDescriptionFile::Load(const CControllerFolder& controller, const QString& fileName, int count)
{
    QString folder;
    if (!controller.GetControllerFolder(folder))
        return EmptyNames(count);
    return ReadFile(folder + QDir::separator() + fileName, count);
}

bool CDescriptionFile::Save(const CControllerFolder& controller, const QString& fileName,
                            const QStringList& descriptions)
{
    QString folder;
    if (!controller.GetControllerFolder(folder))
        return false;
    return WriteFile(folder + QDir::separator() + fileName, descriptions);
}
