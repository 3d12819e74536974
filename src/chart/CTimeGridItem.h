// SPDX-License-Identifier: GPL-3.0-or-later
// The time axis' grid lines, tick marks and labels, painted in one go. As a Qt Charts
// category axis, the labels cost a rich-text layout each and every change of them a new
// layout of the whole chart, on every zoom and pan.
#pragma once

#include <QBrush>
#include <QFont>
#include <QGraphicsItem>
#include <QList>
#include <QPair>
#include <QPen>
#include <QString>

class CTimeGridItem : public QGraphicsItem {
public:
    explicit CTimeGridItem(QGraphicsItem* parent = nullptr);

    void SetStyle(const QPen& grid, const QPen& tick, const QFont& font, const QBrush& text);
    // Room the labels take under the plot area.
    int LabelHeight() const;
    // Ticks as pixel positions along the plot area (parent's coordinates) and their labels;
    // a label near an end is moved sideways to stay within left..right.
    void SetTicks(const QRectF& area, QList<QPair<double, QString>> ticks, double left,
                  double right);
    const QList<QPair<double, QString>>& Ticks() const { return m_ticks; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

private:
    QPen m_grid;
    QPen m_tick;
    QFont m_font;
    QBrush m_text;
    QRectF m_area;
    double m_left = 0.0;
    double m_right = 0.0;
    QRectF m_bounds;
    QList<QPair<double, QString>> m_ticks;
};
