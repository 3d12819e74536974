// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/measurement/CHistoryDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPen>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/CTimerStop.h"
#include "base/CUserInteraction.h"
#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "lang/CLanguage.h"
#include "recorder/CHistoryExport.h"
#include "recorder/CMeasuredValueArray.h"
#include "ui/services/CFileDialogService.h"

namespace {
constexpr double kMinWidthMs = 10 * 60000.0;
constexpr double kDayMs = 86400000.0;
const QColor kColours[] = {QColor(0x1f, 0x6f, 0xb4), QColor(0xd9, 0x5f, 0x02), QColor(0x1b, 0x9e, 0x77),
                           QColor(0xc0, 0x39, 0x2b), QColor(0x75, 0x70, 0xb3), QColor(0x8c, 0x56, 0x4b),
                           QColor(0xe7, 0x29, 0x8a), QColor(0x33, 0x33, 0x33)};
// The strips share the window's height: more columns than this would leave no chart readable.
constexpr int kMaxCharts = 8;

using Icon = CUserInteraction::Icon;
using Buttons = CUserInteraction::Buttons;
}  // namespace

CHistoryDialog::CHistoryDialog(QWidget* parent, quint32 serial, CUserInteraction* ui)
    : QDialog(parent), m_ui(ui) {
    setObjectName(QStringLiteral("history"));
    setWindowTitle(Tr(53000));
    setSizeGripEnabled(true);

    m_controller = new QComboBox(this);
    m_controller->setObjectName(QStringLiteral("controller"));
    for (quint32 s : CMeasHistory::KnownSerials()) m_controller->addItem(Tr(53011).arg(s), s);
    m_span = new QComboBox(this);
    m_span->setObjectName(QStringLiteral("span"));
    for (int id : {53003, 53004, 53005, 53006, 53007, 53008}) m_span->addItem(Tr(id));
    m_span->setCurrentIndex(All);
    m_from = new QDateEdit(this);
    m_to = new QDateEdit(this);
    for (QDateEdit* e : {m_from, m_to}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(Tr(53001), this));
    top->addWidget(m_controller);
    top->addSpacing(16);
    top->addWidget(new QLabel(Tr(53002), this));
    top->addWidget(m_span);
    top->addWidget(new QLabel(Tr(53009), this));
    top->addWidget(m_from);
    top->addWidget(new QLabel(Tr(53010), this));
    top->addWidget(m_to);
    top->addStretch(1);

    m_chartArea = new QWidget(this);
    m_strips = new QVBoxLayout(m_chartArea);
    m_strips->setContentsMargins(0, 0, 0, 0);
    m_strips->setSpacing(0);
    m_empty = new QLabel(m_chartArea);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_strips->addWidget(m_empty);
    m_chartArea->installEventFilter(this);

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("readout"));
    auto* exportButton = new QPushButton(Tr(53022), this);
    exportButton->setObjectName(QStringLiteral("export"));
    exportButton->setToolTip(Tr(53023));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(Tr(53026));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(exportButton, &QPushButton::clicked, this, &CHistoryDialog::AskAndExport);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_readout, 1);
    bottom->addWidget(exportButton);
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_chartArea, 1);
    layout->addLayout(bottom);
    resize(1100, 820);

    connect(m_controller, &QComboBox::activated, this,
            [this](int index) { SelectController(m_controller->itemData(index).toUInt()); });
    connect(m_span, &QComboBox::activated, this, [this](int index) { ShowSpan(static_cast<Span>(index)); });
    auto datesChanged = [this] {
        m_span->setCurrentIndex(Dates);
        ShowDates(m_from->date(), m_to->date());
    };
    connect(m_from, &QDateEdit::editingFinished, this, datesChanged);
    connect(m_to, &QDateEdit::editingFinished, this, datesChanged);

    const int at = serial ? m_controller->findData(serial) : 0;
    if (m_controller->count() > 0) {
        m_controller->setCurrentIndex(std::max(0, at));
        SelectController(m_controller->currentData().toUInt());
    } else {
        m_empty->setText(Tr(53013));
    }
    ShowReadout(std::nan(""));
}

CHistoryDialog::~CHistoryDialog() = default;

bool CHistoryDialog::eventFilter(QObject* watched, QEvent* event) {
    // The pixel columns changed: Feed reads again only when the level does.
    if (watched == m_chartArea && event->type() == QEvent::Resize && !m_charts.isEmpty())
        Feed(m_group->From(), m_group->To());
    return QDialog::eventFilter(watched, event);
}

int CHistoryDialog::PixelColumns() const {
    // The plot areas, about: the value axis takes some 70 pixels. Before the first show the
    // chart area has no size yet, the window has.
    return std::max(200, m_chartArea->isVisible() ? m_chartArea->width() - 70 : width() - 120);
}

bool CHistoryDialog::OpenHistory(CMeasHistory& history, quint32 serial, CUserInteraction* ui) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CMeasHistory::OpenResult r = history.Open(CMeasHistory::PathFor(serial));
    QApplication::restoreOverrideCursor();
    if (r == CMeasHistory::OpenResult::Failed) {
        if (ui) ui->ShowMessage(53014, Icon::Stop, Buttons::Ok, {QString::number(serial), history.LastError()});
        return false;
    }
    if (r == CMeasHistory::OpenResult::Replaced && ui)
        ui->ShowMessage(53015, Icon::Warning, Buttons::Ok,
                        {QString::number(serial), QDir::toNativeSeparators(history.DamagedCopy())});
    return true;
}

bool CHistoryDialog::SelectController(quint32 serial) {
    m_serial = serial;
    if (!OpenHistory(m_history, serial, m_ui)) {
        m_summary = {};
        m_columns.clear();
        BuildCharts();
        return false;
    }
    m_summary = m_history.Summarise();
    m_columns = m_history.Columns();
    BuildCharts();
    return true;
}

void CHistoryDialog::BuildCharts() {
    qDeleteAll(m_charts);
    m_charts.clear();
    delete m_group;
    m_group = new CChartGroup(this);
    m_group->SetLocalTime(true);
    m_level = -1;
    connect(m_group, &CChartGroup::cursorChanged, this, &CHistoryDialog::ShowReadout);
    const bool any = m_summary.count > 0;
    m_empty->setVisible(!any);
    m_empty->setText(Tr(53012));
    if (!any) return;

    const int count = std::min<int>(kMaxCharts, m_columns.size());
    for (int k = 0; k < count; ++k) {
        auto* view = new CTimeChartView(m_group, m_chartArea);
        view->setObjectName(QStringLiteral("1234"));
        view->SetSeries(m_columns[k].name, m_columns[k].unit, CMinMaxSeries());
        view->SetPen(QPen(kColours[k]));
        view->setMinimumHeight(90);
        m_strips->addWidget(view, 1);
        m_group->AddView(view);
        m_charts.append(view);
    }
    m_group->SetRangeHook([this](double from, double to) { Feed(from, to); });
    const QDate first = QDateTime::fromSecsSinceEpoch(m_summary.first, Qt::LocalTime).date();
    const QDate last = QDateTime::fromSecsSinceEpoch(m_summary.last, Qt::LocalTime).date();
    for (QDateEdit* e : {m_from, m_to}) e->setDateRange(first, last);
    m_from->setDate(first);
    m_to->setDate(last);
    m_group->SetFullRange(m_summary.first * 1000.0, m_summary.last * 1000.0, kMinWidthMs);
    ShowSpan(static_cast<Span>(m_span->currentIndex()));
}

void CHistoryDialog::Feed(double from, double to) {
    const int level = CMeasHistory::LevelFor((to - from) / 1000.0 / PixelColumns());
    if (level == m_level && from >= m_loadedFrom && to <= m_loadedTo) return;
    const double width = to - from;
    m_loadedFrom = std::max(m_group->FullFrom(), from - width);
    m_loadedTo = std::min(m_group->FullTo(), to + width);
    m_level = level;
    ++m_loads;
    QVector<int> ids;
    for (qsizetype k = 0; k < m_charts.size(); ++k) ids.append(m_columns[k].id);
    QVector<CMeasHistory::Trace> traces;
    if (!m_history.Traces(static_cast<qint64>(std::floor(m_loadedFrom / 1000)),
                          static_cast<qint64>(std::ceil(m_loadedTo / 1000)), level, ids, traces))
        traces = QVector<CMeasHistory::Trace>(ids.size());
    for (qsizetype k = 0; k < m_charts.size(); ++k) {
        auto x = std::make_shared<const std::vector<double>>(std::move(traces[k].x));
        m_charts[k]->ReplaceSeries(CMinMaxSeries(std::move(x), std::move(traces[k].y)));
    }
}

void CHistoryDialog::ShowSpan(Span span) {
    if (m_span->currentIndex() != span) m_span->setCurrentIndex(span);
    if (m_charts.isEmpty()) return;
    const double last = m_group->FullTo();
    switch (span) {
        case Day: m_group->SetRange(last - kDayMs, last); break;
        case Week: m_group->SetRange(last - 7 * kDayMs, last); break;
        case Month: m_group->SetRange(last - 30 * kDayMs, last); break;
        case Year: m_group->SetRange(last - 365 * kDayMs, last); break;
        case All: m_group->Reset(); break;
        case Dates: ShowDates(m_from->date(), m_to->date()); break;
    }
}

void CHistoryDialog::ShowDates(QDate from, QDate to) {
    if (m_charts.isEmpty() || !from.isValid() || !to.isValid()) return;
    if (to < from) std::swap(from, to);
    const double a = QDateTime(from, QTime(0, 0), Qt::LocalTime).toMSecsSinceEpoch();
    const double b = QDateTime(to.addDays(1), QTime(0, 0), Qt::LocalTime).toMSecsSinceEpoch();
    m_group->SetRange(a, b);
}

void CHistoryDialog::ShowReadout(double x) {
    if (std::isnan(x)) {
        m_readout->setText(m_summary.count > 0 ? Tr(53029) : QString());
        return;
    }
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x), Qt::LocalTime);
    m_readout->setText(CMeasuredValueArray::FormatDate(at.date()) + QLatin1Char(' ') +
                       CMeasuredValueArray::FormatTime(at.time()));
}

bool CHistoryDialog::ExportRange(const QString& path, QString* error) const {
    if (!m_group || m_charts.isEmpty()) return false;
    const auto format = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? CHistoryExport::Format::Csv
                                                                                    : CHistoryExport::Format::MeasuredValues;
    return CHistoryExport::WriteFile(m_history, static_cast<qint64>(std::floor(m_group->From() / 1000)),
                                     static_cast<qint64>(std::ceil(m_group->To() / 1000)), format,
                                     CSaveMeasOptions(), path, nullptr, error);
}

void CHistoryDialog::AskAndExport() {
    const QString path = CFileDialogService::GetSaveFileName(Tr(53023), QString(), Tr(53024), this);
    if (path.isEmpty()) return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = ExportRange(path, &error);
    QApplication::restoreOverrideCursor();
    if (!ok && m_ui) m_ui->ShowMessage(53025, Icon::Stop, Buttons::Ok, {error});
}

void CHistoryDialog::ShowModal(QWidget* parent, quint32 serial, CUserInteraction* ui) {
    CTimerStop stop;
    if (CMeasHistory::KnownSerials().isEmpty()) {
        if (ui) ui->ShowMessage(53013, Icon::Information, Buttons::Ok);
        return;
    }
    CHistoryDialog dialog(parent, serial, ui);
    dialog.exec();
}

void CHistoryDialog::ImportFiles(quint32 serial, const QStringList& paths, CUserInteraction* ui) {
    if (paths.isEmpty()) return;
    CTimerStop stop;
    CMeasHistory history;
    if (!OpenHistory(history, serial, ui)) return;
    qint64 added = 0, known = 0;
    int files = 0;
    for (const QString& path : paths) {
        CMeasuredValueArray array;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool loaded = array.LoadFile(path) == CMeasuredValueArray::LoadResult::Ok;
        const CMeasHistory::AddResult a =
            loaded ? history.Add(CHistoryBatch::FromFile(array, QFileInfo(path).fileName())) : CMeasHistory::AddResult{};
        QApplication::restoreOverrideCursor();
        if (!loaded) {
            if (ui) ui->ShowMessage(53020, Icon::Stop, Buttons::Ok, {QDir::toNativeSeparators(path)});
            continue;
        }
        if (!a.ok) {
            if (ui) ui->ShowMessage(53021, Icon::Stop, Buttons::Ok, {QString::number(serial), history.LastError()});
            return;
        }
        ++files;
        added += a.added;
        known += a.known;
    }
    if (files > 0 && ui)
        ui->ShowMessage(53019, Icon::Information, Buttons::Ok,
                        {QString::number(files), QString::number(serial), QString::number(added), QString::number(known)});
}
