// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CMeasDownload.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <bit>

#include "app/CKorvalisControlApp.h"
#include "app/CUserInteraction.h"
#include "lang/CLanguage.h"
#include "params/CMeasDownloadUi.h"
#include "params/CMeasuredValueArray.h"

namespace {
// Files are exchanged with the other platform's program: CR LF and single-byte text.
const QByteArray kLineEnd = "\r\n";

QByteArray StripLineEnd(QByteArray line) {
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line;
}
}  // namespace

CMeasDownload::Access CMeasDownload::AppAccess() {
    Access a;
    a.read = [](int number) { return CKorvalisControlApp::Instance().ReadParameter(number); };
    a.write = [](int number, double value) {
        return CKorvalisControlApp::Instance().WriteParameter(number, value);
    };
    a.lastText = [] { return CKorvalisControlApp::Instance().GetLastText(); };
    return a;
}

CMeasDownload::CMeasDownload(const std::array<CSensor, 8>& sensors, Access access,
                             CUserInteraction* ui, CMeasDownloadUi* dialogs)
    : m_sensors(sensors), m_access(std::move(access)), m_ui(ui), m_dialogs(dialogs) {}

int CMeasDownload::RecordedInputs(uint8_t mask) {
    return std::popcount(mask);
}

bool CMeasDownload::RecordCount(qint64 storedValues, int inputs, qint64& records) {
    records = 0;
    if (inputs <= 0 || storedValues < 0 || storedValues % inputs != 0) return false;
    records = storedValues / inputs;
    return true;
}

QString CMeasDownload::BuildHeader(const std::array<CSensor, 8>& sensors, uint8_t mask,
                                   const CSaveMeasOptions& options) {
    const QChar sep = options.Separator();
    QString header = Tr(139) + sep + Tr(138) + sep;
    for (int i = 0; i < 8; ++i) {
        if (!(mask & (1u << i))) continue;
        const CSensor& s = sensors[static_cast<size_t>(i)];
        header += s.title;
        if (options.unitsInHeader)
            header += QLatin1Char('[') + s.UnitText(s.displayMode) + QLatin1Char(']');
        header += sep;
    }
    return header;
}

QDateTime CMeasDownload::FirstRecordTime(QDate newestDate, QTime newestTime, qint64 records,
                                         int intervalMinutes) {
    const QDateTime newest(newestDate, newestTime, Qt::UTC);
    if (records <= 1) return newest;
    return newest.addSecs(-(records - 1) * intervalMinutes * 60);
}

QString CMeasDownload::ValueText(const CSensor& sensor, int16_t raw,
                                 const CSaveMeasOptions& options) {
    // The input's own display mode and no density correction, as the controller stores it.
    QString text = sensor.FormatValue(raw, sensor.displayMode, 0.0);
    if (options.CommaDecimals()) text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

bool CMeasDownload::DecodeRecord(const QByteArray& text, int inputs, QVector<int16_t>& raw) {
    raw.clear();
    if (inputs <= 0 || text.size() != 2 * inputs) return false;
    for (int j = 0; j < inputs; ++j) {
        const auto lo = static_cast<uint8_t>(text[2 * j]);
        const auto hi = static_cast<uint8_t>(text[2 * j + 1]);
        raw.append(static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8))));
    }
    return true;
}

CMeasDownload::Result CMeasDownload::Run(const State& state, const QString& givenPath,
                                         bool askToShow) {
    CSaveMeasOptions options;
    if (!m_dialogs || !m_dialogs->AskOptions(options)) return {Outcome::Cancelled};
    return Run(state, options, givenPath, askToShow);
}

CMeasDownload::Result CMeasDownload::Run(const State& state, const CSaveMeasOptions& options,
                                         const QString& givenPath, bool askToShow) {
    using Icon = CUserInteraction::Icon;
    using Buttons = CUserInteraction::Buttons;
    Result result;
    auto message = [this](int id, Icon icon, Buttons buttons) {
        return m_ui ? m_ui->ShowMessage(id, icon, buttons) : int(CUserInteraction::IdCancel);
    };

    const QByteArray header = BuildHeader(m_sensors, state.mask, options).toLatin1();
    const int inputs = RecordedInputs(state.mask);
    qint64 records = 0;
    if (!RecordCount(state.storedValues, inputs, records)) {
        message(141, Icon::Stop, Buttons::Ok);
        return result;
    }

    result.path = givenPath.isEmpty() && m_dialogs ? m_dialogs->AskFileName() : givenPath;
    if (result.path.isEmpty()) {
        result.outcome = Outcome::Cancelled;
        return result;
    }

    // An existing file: append when its header is the same, or replace it.
    bool append = false;
    QFile old(result.path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            message(140, Icon::Stop, Buttons::Ok);
            return result;
        }
        const QByteArray firstLine =
            StripLineEnd(old.readLine(CMeasuredValueArray::kMaxLineLength + 2));
        const int answer = message(116, Icon::Question, Buttons::YesNoCancel);
        if (answer != CUserInteraction::IdYes && answer != CUserInteraction::IdNo) {
            result.outcome = Outcome::Cancelled;
            return result;
        }
        if (answer == CUserInteraction::IdYes) {
            if (firstLine != header) {
                message(117, Icon::Stop, Buttons::Ok);
                return result;
            }
            append = true;
        }
    }

    // The new version is written beside the old one and replaces it only when complete, so
    // a full disk or a crash never leaves a damaged file; appending copies the old lines.
    QSaveFile out(result.path);
    bool writeOk = out.open(QIODevice::WriteOnly);
    auto put = [&](const QByteArray& bytes) {
        if (writeOk && out.write(bytes) != bytes.size()) writeOk = false;
    };
    if (writeOk && append) {
        old.seek(0);
        QByteArray last;
        while (writeOk && !old.atEnd()) {
            const QByteArray chunk = old.read(1 << 20);
            if (chunk.isEmpty()) break;
            put(chunk);
            last = chunk;
        }
        if (old.error() != QFileDevice::NoError) writeOk = false;
        if (!last.isEmpty() && !last.endsWith('\n')) put(kLineEnd);
    } else {
        put(header + kLineEnd);
    }
    old.close();
    if (!writeOk) {
        out.cancelWriting();
        message(140, Icon::Stop, Buttons::Ok);
        return result;
    }

    const QChar sep = options.Separator();
    const QByteArray sepBytes = QByteArray(1, sep.toLatin1());
    QVector<const CSensor*> recorded;
    for (int i = 0; i < 8; ++i)
        if (state.mask & (1u << i)) recorded.append(&m_sensors[static_cast<size_t>(i)]);

    QDateTime time = FirstRecordTime(state.newestDate, state.newestTime, records, state.interval);
    if (m_dialogs) m_dialogs->ProgressBegin(143, state.storedValues);
    qint64 done = 0;
    bool readFailed = false;
    bool cancelled = false;
    QVector<int16_t> raw;
    for (qint64 r = 0; r < records && writeOk && !cancelled; ++r) {
        QByteArray line = CMeasuredValueArray::FormatDate(time.date()).toLatin1() + sepBytes +
                          CMeasuredValueArray::FormatTime(time.time()).toLatin1() + sepBytes;
        if (m_access.read(1166) != 0) {
            readFailed = true;
            break;
        }
        const QByteArray text = m_access.lastText();
        if (m_access.write(1167, 0) != 0 || !DecodeRecord(text, inputs, raw)) {
            readFailed = true;
            break;
        }
        for (int j = 0; j < inputs; ++j) {
            line += ValueText(*recorded[j], raw[j], options).toLatin1() + sepBytes;
            ++done;
            if (m_dialogs && !m_dialogs->ProgressStep(done)) cancelled = true;
        }
        put(line + kLineEnd);
        if (writeOk) ++result.records;
        time = time.addSecs(static_cast<qint64>(state.interval) * 60);
    }
    if (m_dialogs) m_dialogs->ProgressEnd();

    if (!writeOk || !out.commit()) {
        // The previous version of the file (if any) is untouched; the records stay in the
        // controller for another attempt.
        if (writeOk) out.cancelWriting();
        result.records = 0;
        message(140, Icon::Stop, Buttons::Ok);
        return result;
    }
    if (readFailed) {
        message(142, Icon::Stop, Buttons::Ok);
        return result;
    }
    if (cancelled) {
        result.outcome = Outcome::Cancelled;
        return result;
    }
    result.outcome = Outcome::Written;
    if (askToShow)
        result.showViewer = message(113, Icon::Question, Buttons::YesNo) == CUserInteraction::IdYes;
    return result;
}
