// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CLevelPicture.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

CLevelPicture::CLevelPicture(int controlId, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(controlId));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(96, 96);
}

int CLevelPicture::PictureNumber(int index) {
    index = std::clamp(index, 0, kPhases - 1);
    if (index <= 12) return 148 + index;
    if (index == 13) return 176;
    if (index <= 27) return 162 + (index - 14);
    return 161;
}

int CLevelPicture::PhaseForLevel(int level) {
    return std::clamp(level, 0, 100) * 14 / 100;
}

void CLevelPicture::SetPhase(int index) {
    index = std::clamp(index, 0, kPhases - 1);
    if (index == m_phase) return;
    m_phase = index;
    update();
}

QImage CLevelPicture::Render(int index, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Paint(p, QRectF(0, 0, size, size), index);
    return image;
}

void CLevelPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Paint(p, QRectF(rect()), m_phase);
}

void CLevelPicture::Paint(QPainter& p, const QRectF& area, int index) {
    index = std::clamp(index, 0, kPhases - 1);
    p.setRenderHint(QPainter::Antialiasing);

    // Night sky in a rounded frame.
    const QRectF frame = area.adjusted(1, 1, -1, -1);
    QRadialGradient sky(frame.center(), frame.width() * 0.75);
    sky.setColorAt(0, QColor(0x1d, 0x2b, 0x4a));
    sky.setColorAt(1, QColor(0x0b, 0x12, 0x24));
    p.setPen(QPen(QColor(0x33, 0x44, 0x66), 1));
    p.setBrush(sky);
    const qreal corner = frame.width() * 0.1;
    p.drawRoundedRect(frame, corner, corner);

    const qreal r = frame.width() * 0.34;
    const QPointF c = frame.center();
    const QRectF disc(c.x() - r, c.y() - r, 2 * r, 2 * r);

    // The unlit disc stays faintly visible.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x44, 0x5c));
    p.drawEllipse(disc);

    // Lit share: 0 at phase 0, 1 at phase 14, back to nearly 0 at phase 28.
    const bool waxing = index <= 14;
    const double share = waxing ? index / 14.0 : (28 - index + 1) / 15.0;
    if (share > 0.0) {
        // The terminator is an ellipse whose half-width runs from r (dark) through 0 (half)
        // to r (full); the lit side is the right one while waxing, the left one while waning.
        const qreal k = r * std::abs(1.0 - 2.0 * share);
        QPainterPath lit;
        const qreal side = waxing ? 1.0 : -1.0;
        lit.moveTo(c.x(), c.y() - r);
        // Outer limb on the lit side.
        lit.arcTo(disc, 90, -180 * side);
        // Back along the terminator.
        const QRectF term(c.x() - k, c.y() - r, 2 * k, 2 * r);
        lit.arcTo(term, -90, share < 0.5 ? 180 * side : -180 * side);
        lit.closeSubpath();
        QRadialGradient glow(c, r);
        glow.setColorAt(0, QColor(0xfb, 0xf6, 0xe0));
        glow.setColorAt(1, QColor(0xe8, 0xdc, 0xb0));
        p.setBrush(glow);
        p.drawPath(lit);
    }

    // A few stars.
    p.setBrush(QColor(255, 255, 255, 170));
    const qreal s = frame.width();
    for (const QPointF& star :
         {QPointF(0.16, 0.18), QPointF(0.84, 0.2), QPointF(0.2, 0.82), QPointF(0.78, 0.86)})
        p.drawEllipse(QPointF(frame.left() + star.x() * s, frame.top() + star.y() * s), s * 0.012,
                      s * 0.012);
}
