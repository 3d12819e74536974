// SPDX-License-Identifier: GPL-3.0-or-later
// The line of a time chart, drawn straight onto the chart's plot area as a polyline in
// pixel coordinates. A QLineSeries would build a stroked outline of the whole line (used
// only for hit tests, which the charts never make) on every change of points, axes or
// geometry, and that outline cost more than everything else of a redraw together.
#pragma once

#include <QGraphicsItem>
#include <QPen>
#include <QPolygonF>

class CTraceItem : public QGraphicsItem {
public:
    explicit CTraceItem(QGraphicsItem* parent = nullptr);

    // Drawn cosmetic: one pixel wide whatever the pen's width says, at any scale.
    void SetPen(const QPen& pen);
    QPen Pen() const { return m_pen; }
    // The polyline and the rectangle it is clipped to, both in the parent's coordinates.
    void SetLine(const QRectF& clip, QPolygonF line);
    const QPolygonF& Line() const { return m_line; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

private:
    QPen m_pen;
    QRectF m_clip;
    QPolygonF m_line;
};
