// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/CTraceItem.h"

#include <QPainter>

CTraceItem::CTraceItem(QGraphicsItem* parent) : QGraphicsItem(parent) {
    setFlag(ItemHasNoContents, false);
    setAcceptedMouseButtons(Qt::NoButton);
    SetPen(QPen(Qt::black));
}

void CTraceItem::SetPen(const QPen& pen) {
    m_pen = pen;
    m_pen.setWidth(1);
    m_pen.setCosmetic(true);
    update();
}

void CTraceItem::SetLine(const QRectF& clip, QList<QPolygonF> pieces) {
    if (clip != m_clip) prepareGeometryChange();
    m_clip = clip;
    m_pieces = std::move(pieces);
    update();
}

QRectF CTraceItem::boundingRect() const {
    return m_clip;
}

void CTraceItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (m_pieces.isEmpty()) return;
    painter->save();
    painter->setClipRect(m_clip, Qt::IntersectClip);
    painter->setPen(m_pen);
    for (const QPolygonF& piece : m_pieces) {
        if (piece.size() == 1)
            painter->drawPoint(piece.first());
        else
            painter->drawPolyline(piece);
    }
    painter->restore();
}
