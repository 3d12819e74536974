// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/CTimeChartView.h"

#include <QChart>
#include <QDateTime>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "chart/CChartGroup.h"
#include "chart/CTimeGridItem.h"
#include "chart/CTraceItem.h"

namespace {
constexpr double kMinute = 60000.0;
constexpr double kHour = 60 * kMinute;
constexpr double kDay = 24 * kHour;
// Pixels between two time labels, about.
constexpr int kLabelSpacing = 130;

QString LabelOf(double ms, const char* format, bool local) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(ms)), local ? Qt::LocalTime : Qt::UTC)
        .toString(QLatin1String(format));
}

// Milliseconds between UTC and local time at a UTC time.
double LocalOffset(double ms) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms), Qt::LocalTime).offsetFromUtc() * 1000.0;
}
}  // namespace

CTimeChartView::CTimeChartView(CChartGroup* group, QWidget* parent)
    : QChartView(parent),
      m_group(group),
      m_chart(new QChart),
      m_trace(new CTraceItem(m_chart)),
      m_timeGrid(new CTimeGridItem(m_chart)),
      m_yAxis(new QValueAxis),
      m_cursor(std::nan("")) {
    setChart(m_chart);
    // A dark desktop gets a dark chart: Qt Charts' light theme would be a white slab in it.
    m_dark = palette().color(QPalette::Window).lightness() < 128;
    if (m_dark) m_chart->setTheme(QChart::ChartThemeDark);
    setRenderHint(QPainter::Antialiasing, false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setRubberBand(QChartView::NoRubberBand);

    m_chart->legend()->hide();
    m_chart->setBackgroundRoundness(0);
    // The strips are short: no frame around each chart, every pixel for the plot.
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    QFont title = m_chart->titleFont();
    title.setBold(true);
    m_chart->setTitleFont(title);

    m_chart->addAxis(m_yAxis, Qt::AlignLeft);
    m_yAxis->setLabelFormat(QStringLiteral("%.5g"));
    // Qt Charts gets no time axis: the time grid item draws it, styled like the value axis,
    // in the room the bottom margin leaves.
    m_timeGrid->SetStyle(m_yAxis->gridLinePen(), m_yAxis->linePen(), m_yAxis->labelsFont(),
                         m_yAxis->labelsBrush());
    m_timeGrid->setZValue(5);  // under the line
    m_chart->setMargins(QMargins(4, 2, 8, 2 + m_timeGrid->LabelHeight()));

    m_trace->setZValue(10);  // over the grid, under the cursor

    m_cursorLine = new QGraphicsLineItem(m_chart);
    QPen pen(QColor(200, 40, 40));
    pen.setStyle(Qt::DashLine);
    m_cursorLine->setPen(pen);
    m_cursorLine->setZValue(100);
    m_cursorLine->hide();
    // The value at the cursor, right in the title's row: beside its own chart, and with any
    // number of charts nothing needs room elsewhere.
    m_cursorValue = new QGraphicsSimpleTextItem(m_chart);
    m_cursorValue->setFont(m_yAxis->labelsFont());
    m_cursorValue->setZValue(100);
    m_cursorValue->hide();

    // The room the group adds left of the value axis would show the view's own background.
    setBackgroundBrush(m_chart->backgroundBrush());

    connect(m_chart, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        NoteNaturalLeft(area);  // new label widths: the group lines up anew
        if (m_recomputing || m_deferred) return;  // they look at the plot area themselves
        const QRectF now = m_chart->plotArea();
        if (static_cast<int>(now.width()) != m_columns || ValueTicksThatFit() != m_ticksThatFit)
            Recompute();
        else if (now != m_placedArea)
            PlaceLine();
    });
}

void CTimeChartView::SetSeries(const QString& name, const QString& unit, CMinMaxSeries series) {
    m_name = name;
    m_unit = unit;
    m_data = std::move(series);
    m_chart->setTitle(name);
    m_yAxis->setTitleText(unit);
    Recompute();
}

void CTimeChartView::ApplyRange(double from, double to) {
    m_from = from;
    m_to = to;
    m_deferred = true;
    UpdateValueAxis();
}

void CTimeChartView::Redraw() {
    m_deferred = false;
    Recompute();
}

void CTimeChartView::SetPen(const QPen& pen) {
    QPen shown = pen;
    // Dark line colours stay readable on the dark theme's background.
    if (m_dark && pen.color().lightness() < 140) shown.setColor(pen.color().lighter(200));
    m_trace->SetPen(shown);
    m_cursorValue->setBrush(shown.color());
}

void CTimeChartView::NoteNaturalLeft(const QRectF& area) {
    if (!(area.width() > 0)) return;
    const double natural = area.left() - m_pad;
    if (natural == m_naturalLeft) return;
    m_naturalLeft = natural;
    m_group->RequestAlign();
}

void CTimeChartView::AlignLeftTo(double x) {
    const double pad = std::max(0.0, x - m_naturalLeft);
    if (pad == m_pad) return;
    // The chart's own margins take whole pixels only; the layout's take any width.
    m_pad = pad;
    m_chart->layout()->setContentsMargins(pad, 0, 0, 0);
    m_chart->layout()->activate();
}

void CTimeChartView::Recompute() {
    // New value labels can move the plot area, and with it the group's common left edge,
    // while it is being filled: go round again until the line fits the area it is on.
    if (m_recomputing) return;
    m_recomputing = true;
    for (int round = 0; round < 3; ++round) {
        RecomputeOnce();
        const QRectF area = m_chart->plotArea();
        if (area == m_placedArea && static_cast<int>(area.width()) == m_columns &&
            ValueTicksThatFit() == m_ticksThatFit)
            break;
    }
    m_recomputing = false;
}

void CTimeChartView::UpdateValueAxis() {
    double lo = 0.0, hi = 1.0;
    if (m_data.ValueRange(m_from, m_to, lo, hi)) {
        const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(std::abs(hi) * 0.05, 0.5);
        lo -= pad;
        hi += pad;
    }
    m_ticksThatFit = ValueTicksThatFit();
    int ticks = m_ticksThatFit;
    NiceRange(lo, hi, ticks);
    if (m_yAxis->tickCount() != ticks) m_yAxis->setTickCount(ticks);
    m_yAxis->setRange(lo, hi);
    m_lo = lo;
    m_hi = hi;
    // The labels' width decides where the plot area starts: have it settled now.
    m_chart->layout()->activate();
}

void CTimeChartView::RecomputeOnce() {
    UpdateValueAxis();
    m_columns = std::max(1, static_cast<int>(m_chart->plotArea().width()));
    m_data.Reduce(m_from, m_to, m_columns, m_points);
    m_ticks = TimeTicks(m_from, m_to, m_columns, m_group->LocalTime());
    PlaceLine();
}

void CTimeChartView::PlaceLine() {
    const QRectF area = m_chart->plotArea();
    m_placedArea = area;
    QList<QPolygonF> pieces;
    if (area.width() > 0 && area.height() > 0 && m_to > m_from && m_hi > m_lo) {
        const double sx = area.width() / (m_to - m_from);
        const double sy = area.height() / (m_hi - m_lo);
        QPolygonF piece;
        for (const QPointF& p : m_points) {
            if (std::isnan(p.y())) {
                if (!piece.isEmpty()) pieces.append(std::move(piece));
                piece = QPolygonF();
                continue;
            }
            piece.append(QPointF(area.left() + (p.x() - m_from) * sx,
                                 area.bottom() - (p.y() - m_lo) * sy));
        }
        if (!piece.isEmpty()) pieces.append(std::move(piece));
        // The neighbours outside the range can lie millions of pixels away: cut the end
        // segments at the plot's edges, where they leave it. A neighbour with a gap between
        // it and the range is not drawn at all.
        auto cut = [](QPointF& outside, const QPointF& inside, double edge) {
            if (inside.x() == outside.x()) return;
            const double f = (edge - inside.x()) / (outside.x() - inside.x());
            outside = QPointF(edge, inside.y() + f * (outside.y() - inside.y()));
        };
        if (!pieces.isEmpty() && pieces.first().first().x() < area.left()) {
            QPolygonF& first = pieces.first();
            if (first.size() == 1)
                pieces.removeFirst();
            else
                cut(first[0], first[1], area.left());
        }
        if (!pieces.isEmpty() && pieces.last().last().x() > area.right()) {
            QPolygonF& last = pieces.last();
            const qsizetype n = last.size();
            if (n == 1)
                pieces.removeLast();
            else
                cut(last[n - 1], last[n - 2], area.right());
        }
    }
    // Like Qt Charts' own series: a line on the plot's border stays visible.
    m_trace->SetLine(area.adjusted(-1, -1, 1, 1), std::move(pieces));

    QList<QPair<double, QString>> ticks;
    if (area.width() > 0 && m_to > m_from)
        for (const auto& [t, label] : m_ticks)
            ticks.append({area.left() + (t - m_from) / (m_to - m_from) * area.width(), label});
    const QRectF room = m_chart->rect();
    m_timeGrid->SetTicks(area, std::move(ticks), room.left(), room.right());
    PlaceCursor();
}

void CTimeChartView::NiceRange(double& lo, double& hi, int& ticks) {
    const int intervals = std::max(2, ticks - 1);
    const double span = hi - lo;
    if (!(span > 0.0) || !std::isfinite(span)) return;
    // The finest round step (1, 2, 2.5 or 5 times a power of ten) for which the range widened
    // to whole steps needs no more intervals than allowed. Ends at a step of twice the span
    // at the latest, which needs two.
    for (double magnitude = std::pow(10.0, std::floor(std::log10(span / intervals)));;
         magnitude *= 10.0)
        for (double f : {1.0, 2.0, 2.5, 5.0}) {
            const double step = f * magnitude;
            const double a = std::floor(lo / step) * step;
            const double b = std::ceil(hi / step) * step;
            const int n = static_cast<int>(std::lround((b - a) / step));
            if (n <= intervals) {
                lo = a;
                hi = b;
                ticks = n + 1;
                return;
            }
        }
}

int CTimeChartView::ValueTicksThatFit() const {
    // Qt Charts elides a value label that gets less height than about this.
    const double perLabel = QFontMetricsF(m_yAxis->labelsFont()).height() + 9.0;
    return std::clamp(static_cast<int>(m_chart->plotArea().height() / perLabel) + 1, 3, 5);
}

QList<QPair<double, QString>> CTimeChartView::TimeTicks(double from, double to, int width, bool local) {
    QList<QPair<double, QString>> ticks;
    if (!(to > from) || width <= 0) return ticks;
    const double wanted = std::max(2, width / kLabelSpacing);
    const double raw = (to - from) / wanted;

    static const double kSteps[] = {kMinute,      2 * kMinute,  5 * kMinute, 10 * kMinute,
                                    15 * kMinute, 30 * kMinute, kHour,       2 * kHour,
                                    3 * kHour,    6 * kHour,    12 * kHour,  kDay,
                                    2 * kDay,     7 * kDay,     14 * kDay};
    for (double step : kSteps) {
        if (step < raw) continue;
        const char* format = step < kDay ? "MM-dd HH:mm" : "yyyy-MM-dd";
        // Steps are counted on the wall clock; each tick goes back to UTC with the offset in
        // force there, so that midnight stays midnight across a daylight-saving change.
        const double shift = local ? LocalOffset(from) : 0.0;
        for (double wall = std::ceil((from + shift) / step) * step;; wall += step) {
            const double t = local ? wall - LocalOffset(wall - shift) : wall;
            if (t > to) break;
            if (t >= from) ticks.append({t, LabelOf(t, format, local)});
        }
        return ticks;
    }
    // Longer ranges step in calendar months (1, 3, 6 or 12 of them).
    int months = 1;
    for (int m : {1, 3, 6, 12}) {
        months = m;
        if (m * 30.44 * kDay >= raw) break;
    }
    if (months == 12 && 12 * 30.44 * kDay < raw)
        months = static_cast<int>(std::ceil(raw / (30.44 * kDay) / 12.0)) * 12;
    const Qt::TimeSpec spec = local ? Qt::LocalTime : Qt::UTC;
    const QDate first = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(from), spec).date();
    QDate d(first.year(), 1, 1);
    while (d.isValid()) {
        const double t = static_cast<double>(QDateTime(d, QTime(0, 0), spec).toMSecsSinceEpoch());
        if (t > to) break;
        if (t >= from) ticks.append({t, LabelOf(t, months >= 12 ? "yyyy" : "yyyy-MM", local)});
        d = d.addMonths(months);
    }
    return ticks;
}


void CTimeChartView::ShowCursor(double x) {
    m_cursor = x;
    PlaceCursor();
}

void CTimeChartView::PlaceCursor() {
    const QRectF area = m_chart->plotArea();
    if (std::isnan(m_cursor) || m_cursor < m_from || m_cursor > m_to || area.width() <= 0) {
        m_cursorLine->hide();
        m_cursorValue->hide();
        return;
    }
    const double px = area.left() + (m_cursor - m_from) / (m_to - m_from) * area.width();
    m_cursorLine->setLine(px, area.top(), px, area.bottom());
    m_cursorLine->show();
    m_cursorValue->setText(CursorText());
    const QRectF text = m_cursorValue->boundingRect();
    m_cursorValue->setPos(area.right() - text.width(),
                          std::max(0.0, (area.top() - text.height()) / 2.0));
    m_cursorValue->show();
}

QString CTimeChartView::CursorText() const {
    // The record nearest in time, the later of two as near; a missing value shows as such.
    const qsizetype n = m_data.Size();
    if (std::isnan(m_cursor) || n == 0) return QString();
    qsizetype lo = 0, hi = n;  // first record at or after the cursor
    while (lo < hi) {
        const qsizetype mid = (lo + hi) / 2;
        if (m_data.X(mid) < m_cursor)
            lo = mid + 1;
        else
            hi = mid;
    }
    qsizetype i = std::min(lo, n - 1);
    if (i > 0 && m_cursor - m_data.X(i - 1) < m_data.X(i) - m_cursor) --i;
    const double v = m_data.Y(i);
    if (std::isnan(v)) return QStringLiteral("\u2013");
    QString text = QString::number(v, 'g', 6);
    if (!m_unit.isEmpty()) text += QLatin1Char(' ') + m_unit;
    return text;
}

double CTimeChartView::ValueAtPixel(double px) const {
    const QRectF area = m_chart->plotArea();
    const double sceneX = mapToScene(QPoint(static_cast<int>(px), 0)).x();
    if (area.width() <= 0) return m_from;
    return m_from + (sceneX - area.left()) / area.width() * (m_to - m_from);
}

void CTimeChartView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0.0)
        m_group->ZoomAt(ValueAtPixel(event->position().x()), std::pow(0.8, notches));
    event->accept();
}

void CTimeChartView::mousePressEvent(QMouseEvent* event) {
    m_dragStart = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_drag = Drag::Band;
        if (!m_band) m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
        const QRectF area = m_chart->plotArea();
        m_band->setGeometry(QRect(m_dragStart.x(), static_cast<int>(area.top()), 1,
                                  static_cast<int>(area.height())));
        m_band->show();
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        m_drag = Drag::Pan;
        m_panFrom = m_group->From();
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void CTimeChartView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QRectF area = m_chart->plotArea();
    if (m_drag == Drag::Band && m_band) {
        const int left = std::min(pos.x(), m_dragStart.x());
        m_band->setGeometry(QRect(left, static_cast<int>(area.top()),
                                  std::abs(pos.x() - m_dragStart.x()) + 1,
                                  static_cast<int>(area.height())));
    } else if (m_drag == Drag::Pan && area.width() > 0) {
        const double perPixel = (m_group->To() - m_group->From()) / area.width();
        const double target = m_panFrom - (pos.x() - m_dragStart.x()) * perPixel;
        m_group->PanBy(target - m_group->From());
    }
    const QPointF scene = mapToScene(pos);
    m_group->SetCursor(area.contains(scene) ? ValueAtPixel(pos.x()) : std::nan(""));
    event->accept();
}

void CTimeChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag == Drag::Band && m_band) {
        m_band->hide();
        const int x = event->position().toPoint().x();
        if (std::abs(x - m_dragStart.x()) >= 5) {
            const double a = ValueAtPixel(m_dragStart.x());
            const double b = ValueAtPixel(x);
            m_group->SetRange(std::min(a, b), std::max(a, b));
        }
    }
    if (m_drag == Drag::Pan) unsetCursor();
    m_drag = Drag::None;
    event->accept();
}

void CTimeChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    m_group->Reset();
    event->accept();
}

void CTimeChartView::leaveEvent(QEvent* event) {
    m_group->SetCursor(std::nan(""));
    QChartView::leaveEvent(event);
}

void CTimeChartView::keyPressEvent(QKeyEvent* event) {
    const double width = m_group->To() - m_group->From();
    const double centre = (m_group->To() + m_group->From()) / 2.0;
    switch (event->key()) {
        case Qt::Key_Left:
            m_group->PanBy(-width / 10.0);
            break;
        case Qt::Key_Right:
            m_group->PanBy(width / 10.0);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            m_group->ZoomAt(centre, 0.8);
            break;
        case Qt::Key_Minus:
            m_group->ZoomAt(centre, 1.25);
            break;
        case Qt::Key_Home:
            m_group->Reset();
            break;
        default:
            QChartView::keyPressEvent(event);
            return;
    }
    event->accept();
}
