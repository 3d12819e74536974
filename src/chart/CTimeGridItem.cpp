// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/CTimeGridItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kTickLength = 5.0;
constexpr double kLabelGap = 2.0;
}  // namespace

CTimeGridItem::CTimeGridItem(QGraphicsItem* parent) : QGraphicsItem(parent) {
    setAcceptedMouseButtons(Qt::NoButton);
}

void CTimeGridItem::SetStyle(const QPen& grid, const QPen& tick, const QFont& font,
                             const QBrush& text) {
    m_grid = grid;
    m_tick = tick;
    m_font = font;
    m_text = text;
    SetTicks(m_area, m_ticks);
}

int CTimeGridItem::LabelHeight() const {
    return static_cast<int>(std::ceil(kTickLength + kLabelGap + QFontMetricsF(m_font).height()));
}

void CTimeGridItem::SetTicks(const QRectF& area, QList<QPair<double, QString>> ticks) {
    const QFontMetricsF metrics(m_font);
    double left = area.left(), right = area.right();
    for (const auto& [x, label] : ticks) {
        const double half = metrics.horizontalAdvance(label) / 2.0 + 1.0;
        left = std::min(left, x - half);
        right = std::max(right, x + half);
    }
    const QRectF bounds(left, area.top(), right - left, area.height() + LabelHeight());
    if (bounds != m_bounds) prepareGeometryChange();
    m_bounds = bounds;
    m_area = area;
    m_ticks = std::move(ticks);
    update();
}

QRectF CTimeGridItem::boundingRect() const {
    return m_bounds;
}

void CTimeGridItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (m_area.isEmpty()) return;
    painter->save();
    painter->setPen(m_grid);
    painter->drawLine(m_area.topLeft(), m_area.bottomLeft());
    painter->drawLine(m_area.topRight(), m_area.bottomRight());
    for (const auto& tick : m_ticks)
        painter->drawLine(QPointF(tick.first, m_area.top()), QPointF(tick.first, m_area.bottom()));
    painter->setPen(m_tick);
    for (const auto& tick : m_ticks)
        painter->drawLine(QPointF(tick.first, m_area.bottom()),
                          QPointF(tick.first, m_area.bottom() + kTickLength));
    painter->setFont(m_font);
    painter->setPen(QPen(m_text, 1.0));
    const QFontMetricsF metrics(m_font);
    const double baseline = m_area.bottom() + kTickLength + kLabelGap + metrics.ascent();
    for (const auto& [x, label] : m_ticks)
        painter->drawText(QPointF(x - metrics.horizontalAdvance(label) / 2.0, baseline), label);
    painter->restore();
}
