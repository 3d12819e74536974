// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CSystemIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const QColor kDeep(0x0b, 0x4f, 0x6c);
const QColor kTeal(0x12, 0x7c, 0x8a);
const QColor kGreen(0x3f, 0xa8, 0x8c);
const QColor kScreen(0xc8, 0xf0, 0xe0);

QPixmap Canvas() {
    QPixmap pm(CSystemIcons::kSize, CSystemIcons::kSize);
    pm.fill(Qt::transparent);
    return pm;
}

// A housing with the two-line display and keys; width and sockets tell the models apart.
QPixmap ControllerPicture(CSystemIcons::Group group) {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = group == CSystemIcons::GroupF ? QRectF(6.5, 5.5, 19, 22)
                        : group == CSystemIcons::GroupBD ? QRectF(1.5, 4.5, 29, 24)
                                                         : QRectF(3.5, 5.5, 25, 22);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, kTeal);
    g.setColorAt(1, kDeep);
    p.setPen(QPen(kDeep.darker(130), 1));
    p.setBrush(g);
    p.drawRoundedRect(body, 3, 3);
    // Display with its two lines.
    const QRectF screen(body.left() + 3, body.top() + 3, body.width() - 6, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(kScreen);
    p.drawRoundedRect(screen, 1, 1);
    p.setPen(QPen(kDeep, 1));
    p.drawLine(QPointF(screen.left() + 2, screen.top() + 2.5), QPointF(screen.right() - 4, screen.top() + 2.5));
    p.drawLine(QPointF(screen.left() + 2, screen.top() + 4.5), QPointF(screen.right() - 7, screen.top() + 4.5));
    // Keys.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const int keys = group == CSystemIcons::GroupF ? 2 : 4;
    const double step = (body.width() - 6) / keys;
    for (int k = 0; k < keys; ++k)
        p.drawEllipse(QPointF(body.left() + 3 + step * (k + 0.5), body.top() + 14), 1.6, 1.6);
    // Sensor sockets along the bottom: the models with built-in inputs show theirs.
    const int sockets = group == CSystemIcons::GroupBD ? 4 : group == CSystemIcons::GroupF ? 1 : 0;
    p.setBrush(kGreen);
    for (int s = 0; s < sockets; ++s)
        p.drawRect(QRectF(body.left() + 4 + s * 6, body.bottom() - 5, 4, 3));
    if (sockets == 0) {
        p.setBrush(kGreen);
        p.drawRect(QRectF(body.left() + 3, body.bottom() - 4, body.width() - 6, 1.5));
    }
    return pm;
}

// A plug-in board with its connector pins.
QPixmap ModulePicture() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF board(5.5, 6.5, 21, 16);
    p.setPen(QPen(kDeep.darker(130), 1));
    p.setBrush(kGreen);
    p.drawRoundedRect(board, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(kDeep);
    p.drawRect(QRectF(10, 10, 8, 7));  // the chip
    p.setBrush(kScreen);
    p.drawEllipse(QPointF(22, 11), 1.5, 1.5);
    p.setBrush(QColor(0xd8, 0xb0, 0x40));
    for (int i = 0; i < 6; ++i) p.drawRect(QRectF(7.5 + i * 3, 23, 1.6, 4));
    return pm;
}
}  // namespace

CSystemIcons::Group CSystemIcons::GroupOf(int productCode) {
    switch (productCode) {
        case 3:  // B
        case 4:  // D
            return GroupBD;
        case 7:  // F
            return GroupF;
        default:
            return GroupOther;
    }
}

QIcon CSystemIcons::Controller(Group group) {
    static QIcon icons[3];
    QIcon& icon = icons[group];
    if (icon.isNull()) icon = QIcon(ControllerPicture(group));
    return icon;
}

QIcon CSystemIcons::Module() {
    static QIcon icon;
    if (icon.isNull()) icon = QIcon(ModulePicture());
    return icon;
}
