// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CSettingsComparison.h"

#include <QHash>
#include <algorithm>
#include <cmath>

#include "base/CCsvField.h"
#include "lang/CLanguage.h"

namespace {
using State = CSettingsComparison::State;

int VersionOf(const CParameterArray& list) {
    const int i = list.IndexOfNumber(0);
    if (i < 0) return -1;
    const double v = list[i].Value;
    return std::isfinite(v) && std::fabs(v) < 2147483647.0 ? static_cast<int>(v) : -1;
}

// A text ends at its first zero byte: the controller answers an empty text as that byte
// alone, which is the same text as the list's "".
QByteArray TextBeforeZero(const CParameter& p) {
    const QByteArray bytes = p.TextBytes();
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

bool SameValue(const CParameter& a, const CParameter& b) {
    if (a.Kind != b.Kind) return false;
    return a.Kind == CParameter::TextKind ? TextBeforeZero(a) == TextBeforeZero(b)
                                          : a.FileValue() == b.FileValue();
}

bool IsIdentificationNumber(const CParameter& p) {
    return p.Number == 0 || p.Number == 2 || p.Number == 6 || p.IsIdentification();
}

QByteArray CsvField(const QString& text) {
    return CCsvField::Text(text, true).toUtf8();
}
}  // namespace

bool CSettingsComparison::IsLeftOut(const CParameterArray& file, uint16_t number,
                                    int deviceVersion) {
    const int fileVersion = VersionOf(file);
    if (fileVersion < 0 || deviceVersion < 0) return false;
    return CParameterArray::IsLeftOutBetween(number, fileVersion, deviceVersion);
}

CSettingsComparison CSettingsComparison::Compare(const CParameterArray& reference,
                                                 const CParameterArray& file,
                                                 const Context& context,
                                                 const QSet<uint16_t>& unread) {
    CSettingsComparison out;
    out.m_context = context;
    out.m_fileVersion = VersionOf(file);
    out.m_referenceVersion = VersionOf(reference);
    if (context.againstController && (out.m_referenceVersion < 0 || unread.contains(0)))
        out.m_referenceVersion = context.knownDeviceVersion;

    QHash<uint16_t, int> firstOf;
    firstOf.reserve(reference.Count());
    for (int i = reference.Count() - 1; i >= 0; --i) firstOf.insert(reference[i].Number, i);

    // What a write would send: the file's values after the version rules.
    CParameterArray sent = file;
    const bool rules =
        context.againstController && out.m_fileVersion >= 0 && out.m_referenceVersion >= 0;
    if (rules && file.RescalesAcross400(out.m_fileVersion, out.m_referenceVersion))
        sent.RescalePhValues(out.m_fileVersion < 400, context.sensorTypes);

    const bool sms = file.IsSmsModuleList();
    QSet<uint16_t> seen;
    out.m_rows.reserve(file.Count());
    for (int i = 0; i < file.Count(); ++i) {
        Row row;
        row.index = i;
        row.stored = file[i];
        row.file = sent[i];
        row.rescaled = !SameValue(row.stored, row.file);
        row.group = CParameterMeaning::GroupOf(row.stored.Number, sms);
        const auto found = firstOf.constFind(row.stored.Number);
        if (found != firstOf.cend())
            row.reference = reference[*found];
        else
            row.reference.Number = row.stored.Number;
        seen.insert(row.stored.Number);

        if (IsIdentificationNumber(row.stored))
            row.state = found == firstOf.cend() && !context.againstController
                            ? State::OnlyInFile
                            : State::Identification;
        else if (rules && CParameterArray::IsLeftOutBetween(row.stored.Number, out.m_fileVersion,
                                                            out.m_referenceVersion))
            row.state = State::LeftOut;
        else if (context.againstController && unread.contains(row.stored.Number))
            row.state = State::Unread;
        else if (found == firstOf.cend())
            row.state = context.againstController ? State::Unread : State::OnlyInFile;
        else
            row.state = SameValue(row.reference, row.file) ? State::Equal : State::Differs;
        row.checked = context.againstController && row.Writable();
        out.m_rows.append(row);
    }
    if (!context.againstController) {
        for (const CParameter& p : reference) {
            if (seen.contains(p.Number)) continue;
            seen.insert(p.Number);
            Row row;
            row.reference = p;
            row.state = State::OnlyInReference;
            row.group = CParameterMeaning::GroupOf(p.Number, sms || reference.IsSmsModuleList());
            out.m_rows.append(row);
        }
    }
    return out;
}

int CSettingsComparison::Count(State state) const {
    return static_cast<int>(std::count_if(m_rows.cbegin(), m_rows.cend(),
                                          [state](const Row& r) { return r.state == state; }));
}

int CSettingsComparison::Writable() const {
    if (!m_context.againstController) return 0;
    return static_cast<int>(
        std::count_if(m_rows.cbegin(), m_rows.cend(), [](const Row& r) { return r.Writable(); }));
}

int CSettingsComparison::Checked() const {
    return static_cast<int>(std::count_if(m_rows.cbegin(), m_rows.cend(),
                                          [](const Row& r) { return r.Writable() && r.checked; }));
}

bool CSettingsComparison::IsReported(const Row& r) {
    return r.state != State::Equal &&
           !(r.state == State::Identification && SameValue(r.reference, r.stored));
}

bool CSettingsComparison::IsEqual() const {
    return std::none_of(m_rows.cbegin(), m_rows.cend(),
                        [](const Row& r) { return IsReported(r) && r.state != State::LeftOut; });
}

CParameterArray CSettingsComparison::CheckedList() const {
    CParameterArray out;
    for (const Row& r : m_rows) {
        if (r.index < 0) continue;
        if (r.stored.Number == 0) {
            // Named so that it is never sent, whatever the file called it.
            CParameter version = r.stored;
            version.Name = QStringLiteral("CODE_SOFTWAREVERSION");
            out.Add(version);
        } else if (r.Writable() && r.checked) {
            out.Add(r.stored);
        }
    }
    return out;
}

QString CSettingsComparison::RawText(const CParameter& p) {
    if (p.Kind != CParameter::TextKind) return QString::number(p.FileValue());
    // Device texts may hold control bytes; escaped, they cannot cut a line or a report short.
    QString out(QLatin1Char('"'));
    for (char c : p.TextBytes()) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == '\\')
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        else
            out += QChar(b);
    }
    return out + QLatin1Char('"');
}

QString CSettingsComparison::DisplayText(const CParameter& p, bool referenceSide) const {
    if (p.Kind == CParameter::TextKind) return {};
    return CParameterMeaning::DisplayText(p.Number, p.FileValue(), m_context.sensorTypes,
                                          referenceSide ? m_referenceVersion : m_fileVersion);
}

QString CSettingsComparison::StateText(State state) {
    switch (state) {
        case State::Equal:
            return Tr(51010);
        case State::Differs:
            return Tr(51011);
        case State::Unread:
            return Tr(51012);
        case State::Identification:
            return Tr(51013);
        case State::LeftOut:
            return Tr(51014);
        case State::OnlyInFile:
            return Tr(51015);
        case State::OnlyInReference:
            return Tr(51016);
    }
    return {};
}

QByteArray CSettingsComparison::Report(ReportFormat format, const QString& referenceTitle,
                                       const QString& fileTitle) const {
    QList<const Row*> rows;
    for (const Row& r : m_rows)
        if (IsReported(r)) rows.append(&r);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row* a, const Row* b) { return a->group < b->group; });

    const auto valueText = [this](const CParameter& p, bool present, bool referenceSide) {
        if (!present) return QStringLiteral("-");
        const QString shown = DisplayText(p, referenceSide);
        return shown.isEmpty() ? RawText(p)
                               : RawText(p) + QStringLiteral(" (") + shown + QLatin1Char(')');
    };
    QByteArray out;
    if (format == ReportFormat::Csv) {
        out += CsvField(Tr(51030)) + ',' + CsvField(Tr(51031)) + ',' + CsvField(Tr(51032)) + ',' +
               CsvField(Tr(51033)) + ',' + CsvField(referenceTitle) + ',' + CsvField(fileTitle) +
               "\r\n";
        for (const Row* r : rows) {
            const bool hasReference = r->state != State::OnlyInFile && r->state != State::LeftOut;
            out += CsvField(CParameterMeaning::GroupTitle(r->group)) + ',' +
                   QByteArray::number(r->Number()) + ',' + CsvField(r->Name()) + ',' +
                   CsvField(StateText(r->state)) + ',' +
                   CsvField(valueText(r->reference, hasReference, true)) + ',' +
                   CsvField(valueText(r->file, r->index >= 0, false)) + "\r\n";
        }
        return out;
    }
    out += (Tr(51034).arg(referenceTitle, fileTitle) + QLatin1Char('\n')).toUtf8();
    int group = -1;
    for (const Row* r : rows) {
        if (r->group != group) {
            group = r->group;
            out += ('\n' + CParameterMeaning::GroupTitle(r->group) + QLatin1Char('\n')).toUtf8();
        }
        const bool hasReference = r->state != State::OnlyInFile && r->state != State::LeftOut;
        out += QStringLiteral("  %1 %2: %3 -> %4 [%5]\n")
                   .arg(r->Number(), 5)
                   .arg(r->Name(), valueText(r->reference, hasReference, true),
                        valueText(r->file, r->index >= 0, false), StateText(r->state))
                   .toUtf8();
    }
    if (rows.isEmpty()) out += (Tr(51035) + QLatin1Char('\n')).toUtf8();
    return out;
}
