// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/CSRecordFile.h"

#include <QFile>

#include "base/CRegularFile.h"

namespace {
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsSurroundingSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
}  // namespace

int CSRecordFile::AddressLength(int type)
{
    switch (type) {
    case 1: case 5: case 9: return 2;
    case 2: case 6: case 8: return 3;
    case 3: case 7: return 4;
    default: return -1;
    }
}

CSRecordFile::Error CSRecordFile::ParseLine(const QByteArray& raw, CSRecord& record)
{
    // Surrounding white space and every blank inside are dropped. A header may carry a long
    // file name and is never decoded, so only this generous cap applies to every line; the
    // boot loader's record size is checked once the type is known.
    QByteArray line;
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && IsSurroundingSpace(raw[begin]))
        ++begin;
    while (end > begin && IsSurroundingSpace(raw[end - 1]))
        --end;
    for (qsizetype i = begin; i < end; ++i) {
        const char c = raw[i];
        if (c == ' ' || c == '\t')
            continue;
        if (line.size() >= kMaxLineChars) return TooLong;
        line.append(c);
    }
    if (line.size() < 6)
        return TooShort;
    if (line[0] != 'S')
        return NoRecordMark;
    const int type = HexValue(line[1]);
    record.type = static_cast<uint8_t>(type < 0 ? 0 : type);
    if (type == 0)
        return NoError;  // header: neither checked nor sent
    const int addressLength = AddressLength(type);
    if (addressLength < 0)
        return BadType;
    const qsizetype digits = line.size() - 2;
    if (digits > 2 * kMaxRecordBytes) return TooLong;
    if (digits % 2 != 0)
        return OddDigits;
    const qsizetype pairs = digits / 2;
    if (pairs + 1 > kMaxRecordBytes)
        return TooLong;
    QByteArray bytes;
    bytes.reserve(pairs + 1);
    bytes.append(static_cast<char>(type));
    unsigned sum = 0;
    for (qsizetype p = 0; p < pairs; ++p) {
        const int hi = HexValue(line[2 + 2 * p]);
        const int lo = HexValue(line[3 + 2 * p]);
        if (hi < 0 || lo < 0)
            return NotHex;
        const int b = hi * 16 + lo;
        bytes.append(static_cast<char>(b));
        sum += static_cast<unsigned>(b);
    }
    const int count = static_cast<uint8_t>(bytes[1]);
    if (count != pairs - 1 || count < addressLength + 1)
        return CountMismatch;
    // The checksum is the one's complement of the sum of count, address and data, so the
    // sum of all pairs including it is 0xFF.
    if ((sum & 0xFF) != 0xFF)
        return BadChecksum;
    uint32_t address = 0;
    for (int i = 0; i < addressLength; ++i)
        address = (address << 8) | static_cast<uint8_t>(bytes[2 + i]);
    record.address = address;
    record.dataBytes = count - addressLength - 1;
    record.bytes = bytes;
    return NoError;
}

bool CSRecordFile::Load(const QString& path)
{
    m_unreadableWhy.clear();
    m_records.clear();
    m_totalDataBytes = 0;
    m_fileSize = 0;
    m_errorLine = 0;
    QFile file(path);
    if (!CRegularFile::OpenForReading(file, &m_unreadableWhy)) {
        m_error = Unreadable;
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        m_error = TooLarge;
        return false;
    }
    const QByteArray content = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        m_error = Unreadable;
        m_unreadableWhy = file.errorString();
        return false;
    }
    return Parse(content);
}

bool CSRecordFile::Parse(const QByteArray& content)
{
    m_records.clear();
    m_totalDataBytes = 0;
    m_fileSize = content.size();
    m_error = NoError;
    m_errorLine = 0;
    if (content.size() > kMaxFileBytes) {
        m_error = TooLarge;
        return false;
    }
    qsizetype pos = 0;
    int lineNumber = 0;
    const auto fail = [this](Error e, int line) {
        m_error = e;
        m_errorLine = line;
        m_records.clear();
        m_totalDataBytes = 0;
        return false;
    };
    bool hasData = false;
    int terminationLine = 0;
    // Like reading a text file line by line: the line end after the last line does not
    // start another line, but an empty line anywhere else is a fault.
    while (pos < content.size()) {
        ++lineNumber;
        qsizetype eol = pos;
        while (eol < content.size() && content[eol] != '\n' && content[eol] != '\r')
            ++eol;
        CSRecord record;
        record.fileOffset = pos;
        record.lineNumber = lineNumber;
        const Error e = ParseLine(QByteArray::fromRawData(content.constData() + pos, eol - pos), record);
        if (e != NoError)
            return fail(e, lineNumber);
        if (record.type != 0) {
            if (terminationLine > 0)
                return fail(AfterTermination, lineNumber);
            hasData = hasData || record.type <= 3;
            if (record.type >= 7)
                terminationLine = lineNumber;
            m_totalDataBytes += record.dataBytes;
            m_records.append(record);
        }
        pos = eol + 1;
        if (eol < content.size() && content[eol] == '\r' && eol + 1 < content.size() && content[eol + 1] == '\n')
            ++pos;
    }
    if (!hasData)
        return fail(NoDataRecord, 0);
    if (terminationLine == 0)
        return fail(NoTermination, 0);
    return true;
}

QString CSRecordFile::ProgressText(const CSRecord& record, qint64 runningDataBytes, qint64 total)
{
    QString text = QString::number(record.address, 16) + QStringLiteral(" - ") + QString::number(runningDataBytes);
    if (total >= 0)
        text += QLatin1Char('/') + QString::number(total);
    return text;
}

QString CSRecordFile::ErrorText() const
{
    const QString where = QStringLiteral("line %1: ").arg(m_errorLine);
    switch (m_error) {
    case NoError: return QString();
    case Unreadable: return QStringLiteral("the file cannot be read: ") + m_unreadableWhy;
    case TooLarge: return QStringLiteral("the file is larger than %1 bytes").arg(kMaxFileBytes);
    case TooShort: return where + QStringLiteral("empty or too short for a record");
    case NoRecordMark: return where + QStringLiteral("does not start with \"S\"");
    case BadType: return where + QStringLiteral("unknown record type");
    case OddDigits: return where + QStringLiteral("odd number of hexadecimal digits");
    case NotHex: return where + QStringLiteral("a character that is not a hexadecimal digit");
    case TooLong: return where + QStringLiteral("record longer than %1 bytes").arg(kMaxRecordBytes);
    case CountMismatch: return where + QStringLiteral("byte count does not match the record");
    case BadChecksum: return where + QStringLiteral("checksum error");
    case NoDataRecord: return QStringLiteral("no data record (S1, S2 or S3): not a firmware image");
    case NoTermination: return QStringLiteral("no termination record (S7, S8 or S9) at the end: the file is incomplete");
    case AfterTermination: return where + QStringLiteral("a record after the termination record");
    }
    return QString();
}
