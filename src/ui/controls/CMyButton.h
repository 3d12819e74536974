// SPDX-License-Identifier: GPL-3.0-or-later
// A push button with its own text and background colours, or a transparent background.
// Defaults are the system's button colours.
#pragma once

#include <QColor>
#include <QPushButton>

class CMyButton : public QPushButton {
    Q_OBJECT
public:
    explicit CMyButton(const QString& text = {}, QWidget* parent = nullptr);

    void SetTextColour(const QColor& colour);
    void SetBackgroundColour(const QColor& colour);
    void SetTransparent(bool transparent);
    QColor TextColour() const { return m_text; }
    QColor BackgroundColour() const { return m_background; }
    bool IsTransparent() const { return m_transparent; }

private:
    void Apply();

    QColor m_text;
    QColor m_background;
    bool m_transparent = false;
};
