// SPDX-License-Identifier: GPL-3.0-or-later
// The front-panel picture: keys, lamp and the two-line display, mirrored from the controller.
#pragma once

#include <QByteArray>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "pages/remote/CKorvalisKeyArray.h"

class CFrontKorvalisB : public QWidget {
    Q_OBJECT
public:
    explicit CFrontKorvalisB(QWidget* parent = nullptr);

    // Stores what changed, applies the character substitution and the blinking cursor.
    // Returns true when a repaint was requested.
    bool SetDisplay(const QByteArray& line1, const QByteArray& line2, const QByteArray& attributes, bool lamp);

    const QByteArray& ShownLine1() const { return m_shown1; }
    const QByteArray& ShownLine2() const { return m_shown2; }
    bool CursorOn() const { return m_cursorOn; }
    int CursorPosition() const { return m_cursorPosition; }
    bool LampOn() const { return m_lamp; }
    const CKorvalisKeyArray& Keys() const { return m_keys; }

    // Display bytes as text: the four special symbols of the substitution table get glyphs
    // of their own, other bytes read as ISO-8859-1.
    static QString DisplayText(const QByteArray& bytes);
    // The blink phase shared by every panel picture (0..9, one step per refresh).
    static int BlinkCounter();
    static void ResetBlinkCounter();

    // Where the key pictures are drawn; the keys' own coordinates are in this frame.
    static constexpr int kWidth = 532;
    static constexpr int kHeight = 80;
    // The panel's rim around that frame, so the outer keys do not touch the edge.
    static constexpr int kMargin = 8;
    // Widget coordinates -> the keys' frame.
    static QPoint ToPicture(const QPoint& widgetPoint) { return widgetPoint - QPoint(kMargin, kMargin); }

    // Called with the code of a clicked key.
    std::function<void(uint8_t code)> onKeyPressed;
    // The keyboard shortcut shown in a key's tooltip.
    static QString ShortcutText(uint8_t code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    CKorvalisKeyArray m_keys;
    QByteArray m_line1, m_line2, m_attributes;
    QByteArray m_shown1, m_shown2;
    bool m_lamp = false;
    bool m_cursorOn = false;
    uint8_t m_cursorPosition = 0;
};
