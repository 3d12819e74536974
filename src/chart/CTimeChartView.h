// SPDX-License-Identifier: GPL-3.0-or-later
// One chart of a time series: the series' name as title, its unit on the value axis, a
// time axis whose labels follow the zoom. Qt Charts draws the background, title and value
// axis; the time axis is a CTimeGridItem and the line a CTraceItem through the reduced points
// of the visible range (CMinMaxSeries), both recomputed on every zoom, pan and resize. The
// group may add room left of the value axis so that its views' plot areas line up.
// Mouse: wheel zooms at the pointer, a left drag zooms to the marked span, a right or middle
// drag pans, a double click resets; keys: arrows pan, +/- zoom, Home resets.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>

#include "chart/CMinMaxSeries.h"

class CChartGroup;
class CTimeGridItem;
class CTraceItem;
class QChart;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QPen;
class QRubberBand;
class QValueAxis;

class CTimeChartView : public QChartView {
    Q_OBJECT
public:
    explicit CTimeChartView(CChartGroup* group, QWidget* parent = nullptr);

    void SetSeries(const QString& name, const QString& unit, CMinMaxSeries series);
    // New data for the range about to be applied; drawn by the group's Redraw.
    void ReplaceSeries(CMinMaxSeries series) { m_data = std::move(series); }
    void SetPen(const QPen& pen);
    const CMinMaxSeries& Series() const { return m_data; }
    QString Name() const { return m_name; }
    QString Unit() const { return m_unit; }

    // Called by the group: the range to show. The value axis follows at once, the line and
    // the time axis on Redraw(), once the group has lined up the plot areas.
    void ApplyRange(double from, double to);
    void Redraw();
    // Where the plot area would start with no room added: right of the value labels.
    double NaturalLeft() const { return m_naturalLeft; }
    // Adds room left of the value axis so that the plot area starts at x (no further left
    // than its natural place).
    void AlignLeftTo(double x);
    void ShowCursor(double x);
    // The value of the record nearest to the cursor with its unit, "\u2013" where it is
    // missing, empty without a cursor; shown over the chart's top right corner.
    QString CursorText() const;

    // The points the line is drawn through, and for how many pixel columns they were chosen.
    const QList<QPointF>& DrawnPoints() const { return m_points; }
    int PixelColumns() const { return m_columns; }
    const CTraceItem* Trace() const { return m_trace; }
    QValueAxis* ValueAxis() const { return m_yAxis; }
    // The time range shown.
    double From() const { return m_from; }
    double To() const { return m_to; }
    const CTimeGridItem* TimeGrid() const { return m_timeGrid; }
    // The labels of the time axis for a range drawn on the given width.
    // local: x is UTC, labels and their steps are in local time.
    static QList<QPair<double, QString>> TimeTicks(double from, double to, int width, bool local = false);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Recompute();
    void RecomputeOnce();
    void UpdateValueAxis();
    void NoteNaturalLeft(const QRectF& area);
    // A value range widened to round steps; ticks: in, the most allowed (at least 3), out,
    // the number used.
    static void NiceRange(double& lo, double& hi, int& ticks);
    // How many value labels fit the plot's height without being elided (3 to 5).
    int ValueTicksThatFit() const;
    // The line and the time grid in pixels for the current plot area.
    void PlaceLine();
    void PlaceCursor();
    double ValueAtPixel(double px) const;

    CChartGroup* m_group;
    QChart* m_chart;
    CTraceItem* m_trace;
    CTimeGridItem* m_timeGrid;
    QValueAxis* m_yAxis;
    QGraphicsLineItem* m_cursorLine;
    QGraphicsSimpleTextItem* m_cursorValue;
    QRubberBand* m_band = nullptr;
    CMinMaxSeries m_data;
    QString m_name;
    QString m_unit;
    double m_from = 0.0;
    double m_to = 1.0;
    double m_lo = 0.0;  // the value axis' range
    double m_hi = 1.0;
    double m_cursor;
    int m_columns = 0;
    int m_ticksThatFit = 0;
    bool m_recomputing = false;
    bool m_deferred = false;  // range applied, line not yet drawn for it
    double m_naturalLeft = 0.0;
    double m_pad = 0.0;
    QRectF m_placedArea;  // the plot area the line was placed on
    enum class Drag { None, Band, Pan } m_drag = Drag::None;
    QPoint m_dragStart;
    double m_panFrom = 0.0;
    QList<QPointF> m_points;
    QList<QPair<double, QString>> m_ticks;
    bool m_dark = false;  // the palette was dark when the view was made
};
