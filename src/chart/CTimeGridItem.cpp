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
    SetTicks(m_area, m_ticks, m_left, m_right);
}

int CTimeGridItem::LabelHeight() const {
    return static_cast<int>(std::ceil(kTickLength + kLabelGap + QFontMetricsF(m_font).height()));
}

void CTimeGridItem::SetTicks(const QRectF& area, QList<QPair<double, QString>> ticks,
                             double left, double right) {
    const QFontMetricsF metrics(m_font);
    double lo = area.left(), hi = area.right();
    for (const auto& [x, label] : ticks) {
        const double half = metrics.horizontalAdvance(label) / 2.0 + 1.0;
        lo = std::min(lo, x - half);
        hi = std::max(hi, x + half);
    }
    lo = std::max(lo, left);
    hi = std::max(lo, std::min(hi, right));
    const QRectF bounds(lo, area.top(), hi - lo, area.height() + LabelHeight());
    if (bounds != m_bounds) prepareGeometryChange();
    m_bounds = bounds;
    m_area = area;
    m_left = left;
    m_right = right;
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
    for (const auto& [x, label] : m_ticks) {
        const double width = metrics.horizontalAdvance(label);
        const double at = std::max(m_left, std::min(x - width / 2.0, m_right - width));
        painter->drawText(QPointF(at, baseline), label);
    }
    painter->restore();
}
