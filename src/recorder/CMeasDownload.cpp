// SPDX-License-Identifier: GPL-3.0-or-later
#include "recorder/CMeasDownload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <bit>

#include "base/CParameterAccess.h"
#include "base/CRegularFile.h"
#include "base/CUserInteraction.h"
#include "lang/CLanguage.h"
#include "link/CSWMBus.h"
#include "recorder/CMeasDownloadUi.h"
#include "recorder/CMeasuredValueArray.h"

namespace {
// Files are exchanged with the other platform's program: CR LF and single-byte text.
const QByteArray kLineEnd = "\r\n";
// More than any recorder's memory as text.
constexpr qint64 kMaxSideFileBytes = qint64(64) << 20;

QByteArray StripLineEnd(QByteArray line) {
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line;
}
}  // namespace

CMeasDownload::Access CMeasDownload::AccessOf(CParameterAccess& controller) {
    Access a;
    a.read = [&controller](int number) { return controller.ReadParameter(number); };
    a.write = [&controller](int number, double value) { return controller.WriteParameter(number, value); };
    a.lastText = [&controller] { return controller.GetLastText(); };
    a.value = [&controller] { return controller.GetLastValue(); };
    return a;
}

CMeasDownload::CMeasDownload(const std::array<CSensor, 8>& sensors, Access access,
                             CUserInteraction* ui, CMeasDownloadUi* dialogs)
    : m_sensors(sensors), m_access(std::move(access)), m_ui(ui), m_dialogs(dialogs) {}

uint16_t CMeasDownload::ReadState(const Access& access, State& state, qint64& capacity, int& failedNumber) {
    int64_t v[6] = {};
    const int numbers[6] = {780, 781, 1160, 1162, 1163, 1164};
    for (int i = 0; i < 6; ++i) {
        const uint16_t status = access.read(numbers[i]);
        if (status != 0) {
            failedNumber = numbers[i];
            return status;
        }
        v[i] = static_cast<int64_t>(access.value());
    }
    state.interval = static_cast<int>(v[0]);
    state.mask = static_cast<uint8_t>(v[1]);
    state.storedValues = v[2];
    capacity = v[3];
    state.newestTime = QTime(0, 0).addSecs(static_cast<int>(v[4] % 1440) * 60);
    state.newestDate = QDate(2000, 1, 1).addDays(v[5]);
    failedNumber = 0;
    return 0;
}

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

qint64 CMeasDownload::NewestRecordUtc(QDate newestDate, QTime newestTime) {
    return CHistoryBatch::LocalToUtc(QDateTime(newestDate, newestTime, Qt::UTC), 0);
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
    if (!m_dialogs || !m_dialogs->AskOptions(options)) {
        Result cancelled;
        cancelled.outcome = Outcome::Cancelled;
        return cancelled;
    }
    return Run(state, options, givenPath, askToShow);
}

CMeasDownload::Result CMeasDownload::Run(const State& state, const CSaveMeasOptions& options,
                                         const QString& givenPath, bool askToShow) {
    using Icon = CUserInteraction::Icon;
    using Buttons = CUserInteraction::Buttons;
    Result result;
    auto message = [this](int id, Icon icon, Buttons buttons, const QStringList& args = {}) {
        return m_ui ? m_ui->ShowMessage(id, icon, buttons, args) : int(CUserInteraction::IdCancel);
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

    // A device node or FIFO is never replaced by a file; a symbolic link keeps pointing at
    // the file it names.
    const QString target = CRegularFile::SaveTarget(result.path);
    if (target.isEmpty()) {
        message(6202, Icon::Stop, Buttons::Ok, {QDir::toNativeSeparators(result.path)});
        return result;
    }
    const QString sidePath = SideFilePath(result.path);
    if (QFileInfo::exists(sidePath) && !Recover(target, sidePath)) {
        result.outcome = Outcome::Cancelled;
        return result;
    }

    // An existing file: append when its header is the same, or replace it.
    bool append = false;
    QFile old(target);
    if (old.exists()) {
        if (!CRegularFile::OpenForReading(old)) {
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
    QSaveFile out(target);
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
    CHistoryBatch& history = result.history;
    history.source = CHistoryBatch::Source::Download;
    for (const CSensor* s : recorded) history.columns.append({s->title, s->UnitText(s->displayMode), s->type});
    history.Reserve(records);
    const qint64 step = static_cast<qint64>(state.interval) * 60;
    const qint64 firstUtc = NewestRecordUtc(state.newestDate, state.newestTime) - (records - 1) * step;
    std::array<double, 8> values{};

    // Every record read is gone from the controller, so it goes to the side file at once:
    // a process that is killed or loses power leaves it for the next download to offer.
    QFile side(sidePath);
    const bool sideOk = side.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                        side.write(header + kLineEnd) == header.size() + kLineEnd.size() && side.flush();

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
        // A record of the wrong length is not acknowledged, so it stays in the controller.
        if (!DecodeRecord(m_access.lastText(), inputs, raw)) {
            readFailed = true;
            break;
        }
        // The controller may have moved on even when its acknowledgement got lost, so the
        // record is kept unless the controller refused the write outright.
        const uint16_t moved = m_access.write(1167, 0);
        readFailed = moved != 0;
        if (moved == CSWMBus::NotAcknowledged) break;
        for (int j = 0; j < inputs; ++j) {
            values[static_cast<size_t>(j)] = recorded[j]->FormatValue(raw[j], recorded[j]->displayMode, 0.0).toDouble();
            line += ValueText(*recorded[j], raw[j], options).toLatin1() + sepBytes;
            ++done;
            if (m_dialogs && !m_dialogs->ProgressStep(done)) cancelled = true;
        }
        line += kLineEnd;
        history.Append(firstUtc + r * step, values.data());
        if (sideOk) {
            side.write(line);
            side.flush();
        }
        put(line);
        if (writeOk) ++result.records;
        if (readFailed) break;
        time = time.addSecs(static_cast<qint64>(state.interval) * 60);
    }
    if (m_dialogs) m_dialogs->ProgressEnd();

    side.close();
    if (!writeOk || !out.commit()) {
        // The previous version of the file (if any) is untouched; what was read is in the
        // side file for the next attempt.
        if (writeOk) out.cancelWriting();
        message(140, Icon::Stop, Buttons::Ok);
        if (result.records > 0 && sideOk)
            message(6204, Icon::Warning, Buttons::Ok,
                    {QString::number(result.records), QDir::toNativeSeparators(sidePath)});
        else
            QFile::remove(sidePath);
        result.records = 0;
        return result;
    }
    QFile::remove(sidePath);
    if (readFailed) {
        message(142, Icon::Stop, Buttons::Ok);
        message(6203, Icon::Warning, Buttons::Ok,
                {QString::number(result.records), QString::number(records), QDir::toNativeSeparators(target)});
        return result;
    }
    if (cancelled) {
        // The records read are gone from the controller: the user must know where they went.
        message(56000, Icon::Information, Buttons::Ok,
                {QString::number(result.records), QString::number(records), QDir::toNativeSeparators(target)});
        result.outcome = Outcome::Cancelled;
        return result;
    }
    result.outcome = Outcome::Written;
    if (askToShow)
        result.showViewer = message(113, Icon::Question, Buttons::YesNo) == CUserInteraction::IdYes;
    return result;
}

QString CMeasDownload::SideFilePath(const QString& path) {
    return path + QStringLiteral(".part");
}

bool CMeasDownload::Recover(const QString& target, const QString& sidePath) {
    using Icon = CUserInteraction::Icon;
    using Buttons = CUserInteraction::Buttons;
    QFile side(sidePath);
    QByteArray kept;
    if (CRegularFile::OpenForReading(side)) kept = side.read(kMaxSideFileBytes);
    side.close();
    const qsizetype firstEnd = kept.indexOf('\n');
    const QByteArray keptHeader = StripLineEnd(kept.left(firstEnd < 0 ? kept.size() : firstEnd + 1));
    QByteArray lines = firstEnd < 0 ? QByteArray() : kept.mid(firstEnd + 1);
    const qsizetype lastEnd = lines.lastIndexOf('\n');
    lines.truncate(lastEnd + 1);  // a line cut off by the interruption is incomplete
    if (lines.isEmpty()) {
        QFile::remove(sidePath);
        return true;
    }
    const QString count = QString::number(lines.count('\n'));
    const QStringList names = {QDir::toNativeSeparators(target), count, QDir::toNativeSeparators(sidePath)};
    if (!m_ui || m_ui->ShowMessage(6205, Icon::Question, Buttons::YesNo, names) != CUserInteraction::IdYes) {
        if (m_ui) m_ui->ShowMessage(6206, Icon::Information, Buttons::Ok, names);
        return false;
    }
    // The records go behind the file's own when it has the same header; a file that does
    // not exist yet gets the side file's header.
    QFile old(target);
    QByteArray content;
    if (old.exists()) {
        if (!CRegularFile::OpenForReading(old)) {
            m_ui->ShowMessage(140, Icon::Stop, Buttons::Ok);
            return false;
        }
        content = old.readAll();
        const qsizetype end = content.indexOf('\n');
        if (StripLineEnd(content.left(end < 0 ? content.size() : end + 1)) != keptHeader) {
            m_ui->ShowMessage(6207, Icon::Stop, Buttons::Ok, names);
            return false;
        }
        if (!content.isEmpty() && !content.endsWith('\n')) content += kLineEnd;
    } else {
        content = keptHeader + kLineEnd;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(content + lines) != content.size() + lines.size() ||
        !out.commit()) {
        m_ui->ShowMessage(140, Icon::Stop, Buttons::Ok);
        return false;
    }
    QFile::remove(sidePath);
    m_ui->ShowMessage(6208, Icon::Information, Buttons::Ok, names);
    return true;
}
