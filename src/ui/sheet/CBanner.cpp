// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CBanner.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "base/CAppPaths.h"
#include "lang/CLanguage.h"

CBanner::CBanner(QWidget* parent) : QWidget(parent), m_picture(Picture(261)) {
    setObjectName(QStringLiteral("Korvalis-Banner"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(58);
}

QSize CBanner::sizeHint() const {
    return {790, 58};
}

QPixmap CBanner::Picture(int number) {
    const QString path =
        CAppPaths::ShareFolder() + QStringLiteral("/lang/images/%1.png").arg(number);
    return QFile::exists(path) ? QPixmap(path) : QPixmap();
}

void CBanner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_picture.isNull()) {
        p.drawPixmap(rect(), m_picture);
        return;
    }
    QLinearGradient g(0, 0, width(), 0);
    g.setColorAt(0.0, QColor(0x0b, 0x4f, 0x6c));
    g.setColorAt(0.6, QColor(0x12, 0x7c, 0x8a));
    g.setColorAt(1.0, QColor(0x3f, 0xa8, 0x8c));
    p.fillRect(rect(), g);
    // A few rising bubbles on the right, the program's only ornament.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.5));
    p.setBrush(QColor(255, 255, 255, 30));
    const int x = width() - 90;
    p.drawEllipse(QPointF(x, 38), 9, 9);
    p.drawEllipse(QPointF(x + 24, 22), 6, 6);
    p.drawEllipse(QPointF(x + 44, 36), 4, 4);
    p.drawEllipse(QPointF(x + 58, 14), 3, 3);

    QFont title = font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    const QPixmap icon = AppIcon().pixmap(40, 40);
    p.drawPixmap(12, (height() - 40) / 2, icon);
    p.drawText(QRect(62, 0, width() - 160, height()), Qt::AlignVCenter | Qt::AlignLeft, Tr(102));
}

QIcon CBanner::AppIcon() {
    const QPixmap picture = Picture(128);
    if (!picture.isNull()) return QIcon(picture);
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        QLinearGradient g(0, 0, 0, s);
        g.setColorAt(0, QColor(0x2f, 0xb0, 0xc0));
        g.setColorAt(1, QColor(0x0b, 0x4f, 0x6c));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.2, s * 0.2);
        // A stylised fish: body and tail.
        QPainterPath fish;
        fish.moveTo(s * 0.18, s * 0.5);
        fish.cubicTo(s * 0.35, s * 0.25, s * 0.62, s * 0.25, s * 0.72, s * 0.5);
        fish.cubicTo(s * 0.62, s * 0.75, s * 0.35, s * 0.75, s * 0.18, s * 0.5);
        fish.moveTo(s * 0.68, s * 0.5);
        fish.lineTo(s * 0.86, s * 0.34);
        fish.lineTo(s * 0.86, s * 0.66);
        fish.closeSubpath();
        p.setBrush(QColor(255, 255, 255, 235));
        p.drawPath(fish);
        p.setBrush(QColor(0x0b, 0x4f, 0x6c));
        p.drawEllipse(QPointF(s * 0.31, s * 0.47), s * 0.035, s * 0.035);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}
