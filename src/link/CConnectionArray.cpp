// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CConnectionArray.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include "base/CRegularFile.h"
#include "lang/CLanguage.h"
#include "link/CArchive.h"

namespace {
Q_LOGGING_CATEGORY(lcConnections, "korvalis.connections")

// 255 records of sane size fit in a few kilobytes; a bigger file is damaged, and reading
// only this much keeps the allocation bounded (the records beyond fail their length checks).
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
}  // namespace

CConnectionArray::CConnectionArray(const QString& dataFolder)
{
    Open(dataFolder);
}

CConnectionArray::~CConnectionArray()
{
    if (!m_path.isEmpty())
        Save();
}

void CConnectionArray::Open(const QString& dataFolder)
{
    m_path = QDir(dataFolder).filePath(QStringLiteral("Connections.dat"));
    Load();
    if (m_items.isEmpty())
        AddDefaults();
}

void CConnectionArray::ReadOnly(const QString& dataFolder)
{
    m_path = QDir(dataFolder).filePath(QStringLiteral("Connections.dat"));
    Load();
    m_path.clear();
    if (m_items.isEmpty())
        AddDefaults();
}

void CConnectionArray::AddDefaults()
{
    CConnection serial;
    serial.name = Tr(195);
    serial.type = CConnection::Serial;
    CConnection tcp;
    tcp.name = Tr(272);
    tcp.type = CConnection::Tcp;
    m_items.append(serial);
    m_items.append(tcp);
}

bool CConnectionArray::Load()
{
    QFile file(m_path);
    QString why;
    if (!CRegularFile::OpenForReading(file, &why)) {
        // A file that is there but cannot be read must not be replaced without a copy.
        m_loadStoppedEarly = QFileInfo::exists(m_path) || QFileInfo(m_path).isSymLink();
        if (m_loadStoppedEarly)
            qCWarning(lcConnections, "%s cannot be read (%s); it is kept as %s.bak", qPrintable(m_path),
                      qPrintable(why), qPrintable(QFileInfo(m_path).fileName()));
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileBytes);
    const bool ok = FromBytes(bytes);
    if (m_loadStoppedEarly)
        qCWarning(lcConnections, "%s is damaged; %d connections could be read, the file is kept as %s.bak",
                  qPrintable(m_path), int(m_items.size()), qPrintable(QFileInfo(m_path).fileName()));
    return ok;
}

bool CConnectionArray::FromBytes(const QByteArray& bytes)
{
    m_items.clear();
    m_selected = 0;
    m_loadStoppedEarly = true;
    CArchive ar(bytes);
    uint16_t word = 0;
    uint16_t selected = 0;
    if (!ar.ReadU16(word) || !ar.ReadU16(selected))
        return false;
    const int count = word & 0xFF;
    m_version = static_cast<uint8_t>(word >> 8);
    if (m_version > FileVersion)
        return false;
    m_selected = selected < count ? selected : 0;
    for (int i = 0; i < count; ++i) {
        CConnection c;
        c.hasSmsField = m_version != 0;
        if (!c.Serialize(ar) || !c.IsPlausible()) {
            // Records that are there stay; the selection must still name one of them.
            if (m_selected >= m_items.size())
                m_selected = 0;
            return false;
        }
        c.hasSmsField = true;
        m_items.append(c);
    }
    // Bytes after the last record were not written by this program.
    if (ar.Remaining() > 0)
        return false;
    m_loadStoppedEarly = false;
    return true;
}

QByteArray CConnectionArray::ToBytes() const
{
    QByteArray out;
    CArchive ar(&out);
    const int count = std::min(GetCount(), MaxCount);
    ar.WriteU16(static_cast<uint16_t>(count | (FileVersion << 8)));
    ar.WriteU16(m_selected);
    for (int i = 0; i < count; ++i) {
        CConnection c = m_items[i];
        c.hasSmsField = true;
        c.Serialize(ar);
    }
    return out;
}

bool CConnectionArray::Save()
{
    if (m_path.isEmpty())
        return false;
    // A FIFO or device in the file's place is left alone; a link keeps its place.
    const QString target = CRegularFile::SaveTarget(m_path);
    if (target.isEmpty())
        return false;
    if (m_loadStoppedEarly && QFile::exists(target)) {
        // The file may hold records this run could not read: keep it as it was.
        const QString backup = m_path + QStringLiteral(".bak");
        QFile::remove(backup);
        // A file this user cannot read cannot be copied, but it can be moved aside.
        if (!QFile::copy(target, backup) && !QFile::rename(target, backup))
            return false;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = ToBytes();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return false;
    m_loadStoppedEarly = false;
    return true;
}

CConnection CConnectionArray::GetSelected() const
{
    return GetAt(m_selected);
}

CConnection CConnectionArray::GetAt(int i) const
{
    return InRange(i) ? m_items[i] : CConnection();
}

bool CConnectionArray::Select(int i)
{
    m_selected = static_cast<uint16_t>(i);
    return InRange(i);
}

bool CConnectionArray::Remove(int i)
{
    if (!InRange(i) || GetCount() < 2)
        return false;
    m_items.remove(i);
    // The selection follows its connection when a row before it goes.
    if (i < m_selected)
        --m_selected;
    if (m_selected >= GetCount())
        m_selected = 0;
    return true;
}

void CConnectionArray::UpdateSelected(const CConnection& c)
{
    if (InRange(m_selected))
        m_items[m_selected] = c;
}

bool CConnectionArray::UpdateAt(int i, const CConnection& c)
{
    if (!InRange(i))
        return false;
    m_items[i] = c;
    return true;
}

int CConnectionArray::IndexOf(const QString& name) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_items[i].name == name)
            return i;
    return -1;
}

bool CConnectionArray::Contains(const QString& name) const
{
    return IndexOf(name) >= 0;
}

bool CConnectionArray::Add(const CConnection& c)
{
    if (IsFull() || Contains(c.name))
        return false;
    m_items.append(c);
    return true;
}

QString CConnectionArray::MakeUniqueName() const
{
    for (int n = 1;; ++n) {
        const QString candidate = Tr(188) + QString::number(n);
        if (!Contains(candidate))
            return candidate;
    }
}
