// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/CMyButton.h"

#include <QPalette>

CMyButton::CMyButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent),
      m_text(palette().color(QPalette::ButtonText)),
      m_background(palette().color(QPalette::Button)) {}

void CMyButton::SetTextColour(const QColor& colour) {
    m_text = colour;
    Apply();
}

void CMyButton::SetBackgroundColour(const QColor& colour) {
    m_background = colour;
    Apply();
}

void CMyButton::SetTransparent(bool transparent) {
    m_transparent = transparent;
    Apply();
}

void CMyButton::Apply() {
    QPalette p = palette();
    p.setColor(QPalette::ButtonText, m_text);
    p.setColor(QPalette::Button, m_background);
    setPalette(p);
    setFlat(m_transparent);
    setAutoFillBackground(!m_transparent);
}
