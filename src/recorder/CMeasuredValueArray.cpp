// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CMeasuredValueArray.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <charconv>
#include <vector>

#include "base/CRegularFile.h"

namespace {
constexpr char16_t kTab = u'\t';

int Digits(QStringView s, qsizetype from, qsizetype count) {
    int v = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// The written form, yyyy-MM-dd, without going through the general parser: a year of
// one-minute records is half a million of these.
QDate ParseFixedDate(QStringView s) {
    if (s.size() != 10 || s[4] != u'-' || s[7] != u'-') return {};
    const int y = Digits(s, 0, 4), m = Digits(s, 5, 2), d = Digits(s, 8, 2);
    if (y < 0 || m < 0 || d < 0) return {};
    return QDate(y, m, d);  // invalid when out of range
}

// HH:mm or HH:mm:ss (one-digit hours too).
QTime ParseFixedTime(QStringView s) {
    const qsizetype colon = s.indexOf(u':');
    if (colon < 1 || colon > 2) return {};
    const int h = Digits(s, 0, colon);
    const qsizetype rest = s.size() - colon - 1;
    if (h < 0 || (rest != 2 && rest != 5)) return {};
    const int m = Digits(s, colon + 1, 2);
    int sec = 0;
    if (rest == 5) {
        if (s[colon + 3] != u':') return {};
        sec = Digits(s, colon + 4, 2);
    }
    if (m < 0 || sec < 0) return {};
    return QTime(h, m, sec);  // invalid when out of range
}

struct LocaleFormats {
    QStringList dates;
    QStringList times;
};

// The system's short formats, and the same with four-digit years and with seconds, so
// that files written by a program that used the locale's formats read back.
const LocaleFormats& SystemFormats() {
    static const LocaleFormats formats = [] {
        LocaleFormats f;
        const QLocale sys = QLocale::system();
        auto addDate = [&f](QString fmt) {
            if (fmt.isEmpty() || f.dates.contains(fmt)) return;
            f.dates << fmt;
            if (!fmt.contains(QLatin1String("yyyy")) && fmt.contains(QLatin1String("yy"))) {
                fmt.replace(QLatin1String("yy"), QLatin1String("yyyy"));
                if (!f.dates.contains(fmt)) f.dates << fmt;
            }
        };
        addDate(sys.dateFormat(QLocale::ShortFormat));
        addDate(QLocale::c().dateFormat(QLocale::ShortFormat));
        auto addTime = [&f](const QString& fmt) {
            // Time-zone names cannot be read back reliably; those formats are skipped.
            if (!fmt.isEmpty() && !fmt.contains(u't') && !f.times.contains(fmt)) f.times << fmt;
        };
        addTime(sys.timeFormat(QLocale::ShortFormat));
        addTime(sys.timeFormat(QLocale::LongFormat));
        addTime(QStringLiteral("HH:mm:ss"));
        addTime(QStringLiteral("HH:mm"));
        return f;
    }();
    return formats;
}

QDate ParseLocaleDate(const QString& s) {
    for (const QString& fmt : SystemFormats().dates) {
        QDate d = QDate::fromString(s, fmt);
        if (!d.isValid()) continue;
        // A two-digit year reads as 19yy; recorders did not exist then.
        if (!fmt.contains(QLatin1String("yyyy")) && d.year() < 2000) d = d.addYears(100);
        return d;
    }
    return {};
}

QTime ParseLocaleTime(const QString& s) {
    for (const QString& fmt : SystemFormats().times) {
        const QTime t = QTime::fromString(s, fmt);
        if (t.isValid()) return t;
    }
    return {};
}

// The leading number of a field, '.' or ',' as decimal separator, trailing text ignored.
// False when the field does not start with a number: the value is missing.
bool ReadLeadingNumber(QStringView f, double& out) {
    char buf[72];
    int n = 0;
    qsizetype i = 0;
    const qsizetype size = f.size();
    while (i < size && (f[i] == u' ' || f[i] == kTab)) ++i;
    if (i < size && (f[i] == u'-' || f[i] == u'+')) {
        if (f[i] == u'-') buf[n++] = '-';
        ++i;
    }
    constexpr int kMaxChars = 60;  // longer digit runs are cut, not read out of bounds
    int digits = 0;
    auto copyDigits = [&] {
        while (i < size && f[i] >= u'0' && f[i] <= u'9') {
            if (n < kMaxChars) buf[n++] = static_cast<char>(f[i].unicode());
            ++i;
            ++digits;
        }
    };
    copyDigits();
    if (i < size && (f[i] == u'.' || f[i] == u',')) {
        buf[n++] = '.';
        ++i;
        copyDigits();
    }
    if (digits == 0) return false;
    if (i + 1 < size && (f[i] == u'e' || f[i] == u'E')) {
        qsizetype j = i + 1;
        const bool sign = f[j] == u'-' || f[j] == u'+';
        if (sign) ++j;
        if (j < size && f[j] >= u'0' && f[j] <= u'9') {
            buf[n++] = 'e';
            if (sign) buf[n++] = static_cast<char>(f[i + 1].unicode());
            int e = 0;
            while (j < size && f[j] >= u'0' && f[j] <= u'9') {
                if (e++ < 4) buf[n++] = static_cast<char>(f[j].unicode());
                ++j;
            }
        }
    }
    const auto result = std::from_chars(buf, buf + n, out);
    if (result.ec == std::errc::result_out_of_range) return false;
    return result.ec == std::errc();
}

// Splits at the separator; a single trailing separator gives no empty last field.
// Stops after max fields and reports through more whether there were further ones.
int SplitFields(QStringView line, QChar sep, QStringView* fields, int max, bool& more) {
    if (line.endsWith(sep)) line.chop(1);
    more = false;
    int count = 0;
    qsizetype start = 0;
    while (true) {
        const qsizetype end = line.indexOf(sep, start);
        const QStringView field = end < 0 ? line.mid(start) : line.mid(start, end - start);
        if (count == max) {
            more = true;
            return count;
        }
        fields[count++] = field;
        if (end < 0) return count;
        start = end + 1;
    }
}

QStringView StripLineEnd(QStringView line) {
    while (!line.isEmpty() && (line.back() == u'\n' || line.back() == u'\r')) line.chop(1);
    return line;
}
}  // namespace

QString CMeasuredValueArray::FormatDate(QDate date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString CMeasuredValueArray::FormatTime(QTime time) {
    return time.toString(QStringLiteral("HH:mm"));
}

bool CMeasuredValueArray::ParseDateTime(QStringView date, QStringView time, QDateTime& out) {
    date = date.trimmed();
    time = time.trimmed();
    QDate d = ParseFixedDate(date);
    if (!d.isValid()) d = ParseLocaleDate(date.toString());
    QTime t = ParseFixedTime(time);
    if (!t.isValid()) t = ParseLocaleTime(time.toString());
    if (!d.isValid() || !t.isValid()) {
        out = QDateTime();
        return false;
    }
    out = QDateTime(d, t, Qt::UTC);
    return true;
}

bool CMeasuredValueArray::ParseHeader(QStringView line) {
    line = StripLineEnd(line);
    if (line.startsWith(QChar(0xFEFF))) line = line.mid(1);
    const QChar sep = line.contains(kTab) ? QChar(kTab) : QChar(u';');
    const bool units = line.contains(u'[');

    QStringView fields[2 + kMaxColumns];
    bool more = false;
    const int count = SplitFields(line, sep, fields, 2 + kMaxColumns, more);
    if (count < 3 || more) return false;

    QStringList names, unitTexts;
    for (int k = 2; k < count; ++k) {
        const QStringView field = fields[k];
        if (!units) {
            names << field.toString();
            unitTexts << QString();
            continue;
        }
        const qsizetype open = field.indexOf(u'[');
        const qsizetype close = field.indexOf(u']');
        if (open < 0 || close <= 0 || open >= close) return false;
        names << field.left(open).toString();
        unitTexts << field.mid(open + 1, close - open - 1).toString();
    }
    m_separator = sep;
    m_units = units;
    m_dateTitle = fields[0].toString();
    m_timeTitle = fields[1].toString();
    m_columnCount = count - 2;
    m_names = names;
    m_unitTexts = unitTexts;
    return true;
}

bool CMeasuredValueArray::ParseRecord(QStringView line) {
    if (m_records.size() >= kMaxRecords) return false;
    line = StripLineEnd(line);
    QStringView fields[2 + kMaxColumns];
    bool more = false;
    const int count = SplitFields(line, m_separator, fields, 2 + m_columnCount, more);
    if (more || count < 2) return false;
    CMeasuredValue record;
    if (!ParseDateTime(fields[0], fields[1], record.timeStamp)) return false;
    for (int k = 0; k < m_columnCount; ++k) {
        double v = 0.0;
        record.values[k] =
            (k + 2 < count && ReadLeadingNumber(fields[k + 2], v)) ? v : CMeasuredValue::Missing();
    }
    m_records.append(record);
    return true;
}

void CMeasuredValueArray::Clear() {
    *this = CMeasuredValueArray();
}

CMeasuredValueArray::LoadResult CMeasuredValueArray::LoadFile(const QString& path) {
    Clear();
    QFile file(path);
    // A FIFO or device would block the window or never end.
    if (!CRegularFile::OpenForReading(file)) return LoadResult::CannotOpen;
    const LoadResult result = Load(file);
    if (result == LoadResult::Ok && file.error() != QFileDevice::NoError) {
        Clear();
        return LoadResult::Malformed;
    }
    return result;
}

CMeasuredValueArray::LoadResult CMeasuredValueArray::Load(QIODevice& file) {
    Clear();

    std::vector<char> buffer(kMaxLineLength + 2);
    // Reads one line; false at the end, and for a line longer than any real one.
    bool tooLong = false;
    auto readLine = [&](QByteArrayView& out) {
        const qint64 n = file.readLine(buffer.data(), static_cast<qint64>(buffer.size()));
        if (n <= 0) return false;
        out = QByteArrayView(buffer.data(), n);
        if (out.back() != '\n' && !file.atEnd()) {
            tooLong = true;
            return false;
        }
        return true;
    };

    QByteArrayView bytes;
    if (!readLine(bytes)) return LoadResult::Malformed;
    // The program writes single-byte text; a header saved again by an editor as UTF-8 is
    // recognised so that its unit signs survive.
    QString header;
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        header = utf8.decode(bytes);
        if (utf8.hasError()) header = QString::fromLatin1(bytes);
    }
    if (!ParseHeader(header)) return LoadResult::Malformed;

    QString line;
    while (readLine(bytes)) {
        if (m_records.isEmpty() && m_records.capacity() == 0 && bytes.size() > 8) {
            // Records are about equally long: the first one tells how many to expect.
            const qint64 guess = file.size() / bytes.size() + 16;
            m_records.reserve(
                static_cast<qsizetype>(std::min<qint64>(guess + guess / 32, kMaxRecords)));
        }
        line.resize(bytes.size());
        QChar* out = line.data();
        bool blank = true;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            out[i] = QChar(c);
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') blank = false;
        }
        if (blank) continue;
        if (!ParseRecord(line)) return LoadResult::Malformed;
    }
    if (tooLong) return LoadResult::Malformed;
    m_records.squeeze();
    return LoadResult::Ok;
}
