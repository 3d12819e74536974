// SPDX-License-Identifier: GPL-3.0-or-later
// The banner across the top of the main window (picture 261 when the image folder has
// one, else drawn), and the program's icon (128).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

class CBanner : public QWidget {
    Q_OBJECT
public:
    explicit CBanner(QWidget* parent = nullptr);
    QSize sizeHint() const override;

    static QIcon AppIcon();
    // A numbered picture from the catalogue's image folder (PNG), null when missing.
    static QPixmap Picture(int number);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
