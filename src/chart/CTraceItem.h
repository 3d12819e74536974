// SPDX-License-Identifier: GPL-3.0-or-later
// The line of a time chart, drawn straight onto the chart's plot area as a polyline in
// pixel coordinates. A QLineSeries would build a stroked outline of the whole line (used
// only for hit tests, which the charts never make) on every change of points, axes or
// geometry, and that outline cost more than everything else of a redraw together.
#pragma once

#include <QGraphicsItem>
#include <QList>
#include <QPen>
#include <QPolygonF>

class CTraceItem : public QGraphicsItem {
public:
    explicit CTraceItem(QGraphicsItem* parent = nullptr);

    // Drawn cosmetic: one pixel wide whatever the pen's width says, at any scale.
    void SetPen(const QPen& pen);
    QPen Pen() const { return m_pen; }
    // The pieces of the line (a gap in the data lies between two) and the rectangle they are
    // clipped to, all in the parent's coordinates. A piece of one point is drawn as a dot.
    void SetLine(const QRectF& clip, QList<QPolygonF> pieces);
    const QList<QPolygonF>& Pieces() const { return m_pieces; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

private:
    QPen m_pen;
    QRectF m_clip;
    QList<QPolygonF> m_pieces;
};
