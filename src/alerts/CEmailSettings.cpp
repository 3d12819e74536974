// SPDX-License-Identifier: GPL-3.0-or-later
#include "alerts/CEmailSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

#include "base/CRegularFile.h"

namespace {
Q_LOGGING_CATEGORY(lcMailSettings, "korvalis.mail")

// Anything larger is not a settings file this program wrote; reading it would only cost memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

// Little-endian reader that refuses every length the remaining bytes cannot hold.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool Ok() const { return m_ok; }
    qsizetype Remaining() const { return m_bytes.size() - m_pos; }

    bool U8(uint8_t& v) { return Raw(&v, 1); }
    bool U16(uint16_t& v)
    {
        uchar b[2];
        if (!Raw(b, 2))
            return false;
        v = qFromLittleEndian<quint16>(b);
        return true;
    }
    bool U32(uint32_t& v)
    {
        uchar b[4];
        if (!Raw(b, 4))
            return false;
        v = qFromLittleEndian<quint32>(b);
        return true;
    }
    bool I32(int32_t& v)
    {
        uint32_t u = 0;
        if (!U32(u))
            return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool F64(double& v)
    {
        uchar b[8];
        if (!Raw(b, 8))
            return false;
        const quint64 bits = qFromLittleEndian<quint64>(b);
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }

    // A count as 16 bits, or 0xFFFF and 32 bits; each counted item needs at least minItemBytes.
    bool Count(uint32_t& count, qsizetype minItemBytes)
    {
        uint16_t c16 = 0;
        if (!U16(c16))
            return false;
        count = c16;
        if (c16 == 0xFFFF && !U32(count))
            return false;
        if (static_cast<quint64>(count) * static_cast<quint64>(minItemBytes) >
            static_cast<quint64>(Remaining()))
            return Fail();
        return true;
    }

    // Length byte; 0xFF then 16 bits; 0xFFFF then 32 bits. A 16-bit 0xFFFE marks a string of
    // 16-bit characters, as a wide-character build writes it; its length follows again.
    bool String(QString& out)
    {
        bool wide = false;
        uint32_t length = 0;
        if (!Length(length, wide))
            return false;
        if (wide) {
            bool again = false;
            if (!Length(length, again) || again)
                return Fail();
        }
        const quint64 bytes = static_cast<quint64>(length) * (wide ? 2 : 1);
        if (bytes > static_cast<quint64>(Remaining()))
            return Fail();
        const char* p = m_bytes.constData() + m_pos;
        m_pos += static_cast<qsizetype>(bytes);
        if (wide) {
            QString s(static_cast<qsizetype>(length), Qt::Uninitialized);
            for (uint32_t i = 0; i < length; ++i)
                s[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
            out = s;
        } else {
            out = QString::fromLatin1(p, static_cast<qsizetype>(length));
        }
        return true;
    }

    bool StringList(QStringList& out)
    {
        uint32_t count = 0;
        if (!Count(count, 1))
            return false;
        QStringList list;
        for (uint32_t i = 0; i < count; ++i) {
            QString s;
            if (!String(s))
                return false;
            list.append(s);
        }
        out = list;
        return true;
    }

private:
    // A length; wideMarker is set instead when the 16-bit marker of a wide string appears.
    bool Length(uint32_t& length, bool& wideMarker)
    {
        wideMarker = false;
        uint8_t b = 0;
        if (!U8(b))
            return false;
        if (b < 0xFF) {
            length = b;
            return true;
        }
        uint16_t w = 0;
        if (!U16(w))
            return false;
        if (w == 0xFFFE) {
            wideMarker = true;
            return true;
        }
        if (w < 0xFFFF) {
            length = w;
            return true;
        }
        return U32(length);
    }

    bool Raw(void* dst, qsizetype n)
    {
        if (!m_ok || Remaining() < n)
            return Fail();
        std::memcpy(dst, m_bytes.constData() + m_pos, static_cast<size_t>(n));
        m_pos += n;
        return true;
    }
    bool Fail()
    {
        m_ok = false;
        return false;
    }

    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

class Writer {
public:
    QByteArray bytes;

    void U8(uint8_t v) { bytes.append(static_cast<char>(v)); }
    void U16(uint16_t v)
    {
        uchar b[2];
        qToLittleEndian<quint16>(v, b);
        bytes.append(reinterpret_cast<const char*>(b), 2);
    }
    void U32(uint32_t v)
    {
        uchar b[4];
        qToLittleEndian<quint32>(v, b);
        bytes.append(reinterpret_cast<const char*>(b), 4);
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F64(double v)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        uchar b[8];
        qToLittleEndian<quint64>(bits, b);
        bytes.append(reinterpret_cast<const char*>(b), 8);
    }
    void Count(qsizetype n)
    {
        if (n < 0xFFFF) {
            U16(static_cast<uint16_t>(n));
        } else {
            U16(0xFFFF);
            U32(static_cast<uint32_t>(n));
        }
    }
    // Single-byte text; characters outside ISO-8859-1 become '?'.
    void String(const QString& s)
    {
        const QByteArray latin1 = s.toLatin1();
        const qsizetype n = latin1.size();
        if (n < 0xFF) {
            U8(static_cast<uint8_t>(n));
        } else if (n < 0xFFFE) {
            U8(0xFF);
            U16(static_cast<uint16_t>(n));
        } else {
            U8(0xFF);
            U16(0xFFFF);
            U32(static_cast<uint32_t>(n));
        }
        bytes.append(latin1);
    }
    void StringList(const QStringList& list)
    {
        Count(list.size());
        for (const QString& s : list)
            String(s);
    }
};

bool HasControlCharacters(const QString& text, bool lineBreaks = false)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && !(lineBreaks && (u == '\r' || u == '\n' || u == '\t'))) || u == 0x7F) return true;
    }
    return false;
}

bool IsPlausible(const CEmail& rule)
{
    if (rule.type < CEmail::AtTime || rule.type > CEmail::TestOnly || rule.timeStatus < CEmail::Valid ||
        rule.timeStatus > CEmail::Null || !std::isfinite(rule.time) || std::abs(rule.time) > 1e7)
        return false;
    for (const QString& r : rule.recipients)
        if (HasControlCharacters(r)) return false;
    return !HasControlCharacters(rule.subject) && !HasControlCharacters(rule.text, true);
}

}  // namespace

CEmailSettings::CEmailSettings(const QString& dataFolder)
    : m_filePath(QDir(dataFolder).filePath(FileName()))
{
}

void CEmailSettings::ResetToDefaults()
{
    rules.clear();
    smtpServer.clear();
    password.clear();
    senderAddress.clear();
    furtherText.clear();
    userName.clear();
    authentication = false;
    port = DefaultPort;
}

QByteArray CEmailSettings::Serialize() const
{
    Writer w;
    w.Count(rules.size());
    for (const CEmail& r : rules) {
        w.StringList(r.recipients);
        w.String(r.text);
        w.String(r.subject);
        w.I32(r.type);
        w.I32(r.timeStatus);
        w.F64(r.time);
    }
    w.String(smtpServer);
    w.String(password);
    w.String(senderAddress);
    w.String(furtherText);
    w.String(userName);
    w.U8(authentication ? 1 : 0);
    w.U16(port);
    return w.bytes;
}

bool CEmailSettings::Parse(const QByteArray& bytes)
{
    ResetToDefaults();
    Reader r(bytes);
    // The rule count is not held against the size: a file cut short still yields the rules
    // before the cut. Nothing is reserved, and every rule consumes bytes or ends the loop.
    uint32_t count = 0;
    if (!r.Count(count, 0))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        CEmail rule;
        // A rule that is cut short is dropped; the ones before it stay.
        if (!r.StringList(rule.recipients) || !r.String(rule.text) || !r.String(rule.subject) ||
            !r.I32(rule.type) || !r.I32(rule.timeStatus) || !r.F64(rule.time))
            return false;
        // Values the rule dialog never produces are damage; such a rule is not used.
        if (!IsPlausible(rule))
            return false;
        rules.append(rule);
    }
    // A server field with control characters is damage: it is not kept, and reading stops.
    const auto field = [&r](QString& f, bool checked = true) {
        if (r.String(f) && !(checked && HasControlCharacters(f))) return true;
        f.clear();
        return false;
    };
    uint8_t auth = 0;
    if (!field(smtpServer) || !field(password) || !field(senderAddress) || !field(furtherText, false) ||
        !field(userName) || !r.U8(auth) || auth > 1)
        return false;
    authentication = auth != 0;
    uint16_t p = 0;
    if (!r.U16(p))
        return false;
    port = p;
    // Bytes after the last field were not written by this program.
    return r.Remaining() == 0;
}

bool CEmailSettings::Load()
{
    const bool ok = LoadFile();
    if (m_loadedDamaged)
        qCWarning(lcMailSettings, "%s: %s; the file is kept as %s.damaged", qPrintable(m_filePath),
                  qPrintable(m_lastError), qPrintable(FileName()));
    return ok;
}

bool CEmailSettings::LoadFile()
{
    m_lastError.clear();
    m_loadedDamaged = false;
    ResetToDefaults();
    QFile file(m_filePath);
    if (m_filePath.isEmpty() || !file.exists())
        return true;
    if (!CRegularFile::OpenForReading(file, &m_lastError)) {
        m_loadedDamaged = true;
        return false;
    }
    if (file.size() > kMaxFileSize) {
        m_lastError = QStringLiteral("file too large");
        m_loadedDamaged = true;
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (!Parse(bytes)) {
        m_lastError = QStringLiteral("file damaged: %1 alert rules could be read").arg(rules.size());
        m_loadedDamaged = true;
        return false;
    }
    return true;
}

bool CEmailSettings::Save()
{
    m_lastError.clear();
    if (m_filePath.isEmpty()) {
        m_lastError = QStringLiteral("no file name");
        return false;
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    // A FIFO or device in the file's place is left alone; a link keeps its place.
    const QString target = CRegularFile::SaveTarget(m_filePath, &m_lastError);
    if (target.isEmpty())
        return false;
    if (m_loadedDamaged && QFile::exists(target)) {
        const QString aside = m_filePath + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (QFile::copy(target, aside))
            ::chmod(QFile::encodeName(aside).constData(), S_IRUSR | S_IWUSR);
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        m_lastError = file.errorString();
        return false;
    }
    // Before the first byte: the password is in there.
    if (::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        m_lastError = QStringLiteral("cannot restrict file permissions");
        file.cancelWriting();
        return false;
    }
    const QByteArray bytes = Serialize();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        m_lastError = file.errorString();
        return false;
    }
    m_loadedDamaged = false;
    return true;
}

bool CEmailSettings::SameStoredFields(const CEmailSettings& o) const
{
    return rules.SameStoredFields(o.rules) && smtpServer == o.smtpServer && password == o.password &&
           senderAddress == o.senderAddress && furtherText == o.furtherText &&
           userName == o.userName && authentication == o.authentication && port == o.port;
}
