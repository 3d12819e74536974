// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/remote/CFrontKorvalisB.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "lang/CLanguage.h"

namespace {
int g_blinkCounter = 0;

// The controller's eight user-defined characters (bytes 0x80..0x87) are shown as the entry
// of this table that their attribute code selects.
constexpr uint8_t kSubstitution[12] = {0x78, 0x9D, 0xAC, 0xA5, 0xA9, 0x7E, 0x24, 0x20, 0x20, 0x7C, 0x7C, 0x7C};

const QRect kDisplay(QPoint(258, 14), QPoint(395, 61));
const QRect kLamp(QPoint(205, 21), QPoint(216, 33));

QByteArray Substitute(QByteArray line, const QByteArray& attributes)
{
    // Only attribute bytes that are present substitute, and only codes with a table entry.
    const qsizetype count = qMin<qsizetype>(8, attributes.size());
    for (qsizetype k = 0; k < count; ++k) {
        const int code = static_cast<uint8_t>(attributes[k]) & 0x7F;
        if (code >= 12)
            continue;
        line.replace(static_cast<char>(0x80 + k), static_cast<char>(kSubstitution[code]));
    }
    return line;
}

void PlaceCursor(QByteArray& line, int position)
{
    if (position >= 0 && position < line.size())
        line[position] = '_';
}
}  // namespace

CFrontKorvalisB::CFrontKorvalisB(QWidget* parent) : QWidget(parent), m_keys(CKorvalisKeyArray::PanelKeys())
{
    setFixedSize(kWidth + 2 * kMargin, kHeight + 2 * kMargin);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setCursor(Qt::PointingHandCursor);
}

int CFrontKorvalisB::BlinkCounter()
{
    return g_blinkCounter;
}

void CFrontKorvalisB::ResetBlinkCounter()
{
    g_blinkCounter = 0;
}

bool CFrontKorvalisB::SetDisplay(const QByteArray& line1, const QByteArray& line2, const QByteArray& attributes, bool lamp)
{
    if (++g_blinkCounter > 9)
        g_blinkCounter = 0;
    bool changed = false;
    const auto store = [&changed](auto& field, const auto& value) {
        if (field != value) {
            field = value;
            changed = true;
        }
    };
    store(m_line1, line1);
    store(m_line2, line2);
    store(m_attributes, attributes);
    store(m_lamp, lamp);

    // The cursor byte follows the eight attribute bytes; without it there is no cursor.
    if (attributes.size() > 8 && (static_cast<uint8_t>(attributes[8]) & 0x80)) {
        m_cursorOn = true;
        m_cursorPosition = static_cast<uint8_t>(attributes[8]) & 0x7F;
    } else {
        m_cursorOn = false;
        m_cursorPosition = 0;
    }
    if ((!m_cursorOn || (g_blinkCounter != 0 && g_blinkCounter != 5)) && !changed)
        return false;

    m_shown1 = Substitute(line1, attributes);
    m_shown2 = Substitute(line2, attributes);
    if (m_cursorOn && g_blinkCounter > 4) {
        if (m_cursorPosition < 16)
            PlaceCursor(m_shown1, m_cursorPosition);
        else if (m_cursorPosition >= 64 && m_cursorPosition < 80)
            PlaceCursor(m_shown2, m_cursorPosition - 64);
    }
    update();
    return true;
}

QString CFrontKorvalisB::DisplayText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        switch (static_cast<uint8_t>(c)) {
        case 0x00: return text;  // the controller pads its lines with NUL
        case 0x9D: text += QChar(0x2191); break;  // arrow up
        case 0xAC: text += QChar(0x2193); break;  // arrow down
        case 0xA5: text += QChar(0x2192); break;  // arrow right
        case 0xA9: text += QChar(0x00B0); break;  // degree sign
        default: text += QChar(static_cast<uint8_t>(c));
        }
    }
    return text;
}

QString CFrontKorvalisB::ShortcutText(uint8_t code)
{
    switch (code) {
    case 1: return TrArg(20403, {});
    case 2: return TrArg(20404, {});
    case 3: return TrArg(20405, {});
    case 4: return TrArg(20406, {});
    case 5: return QStringLiteral("Esc");
    case 6: return TrArg(20407, {});
    case 7: return QStringLiteral("1");
    case 8: return QStringLiteral("2");
    case 10: return QStringLiteral("3");
    case 9: return QStringLiteral("4");
    case 12: return QStringLiteral("5");
    default: return {};
    }
}

bool CFrontKorvalisB::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QPoint p = ToPicture(help->pos());
        const uint8_t code = m_keys.FindKey(p.x(), p.y());
        if (code != 0)
            QToolTip::showText(help->globalPos(), TrArg(20402, {ShortcutText(code)}), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CFrontKorvalisB::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(e);
    const QPoint p = ToPicture(e->position().toPoint());
    const uint8_t code = m_keys.FindKey(p.x(), p.y());
    if (code != 0 && onKeyPressed)
        onKeyPressed(code);
}

void CFrontKorvalisB::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kMargin, kMargin);

    // Panel body.
    QLinearGradient body(0, -kMargin, 0, kHeight + kMargin);
    body.setColorAt(0.0, QColor(0x4a, 0x4f, 0x57));
    body.setColorAt(1.0, QColor(0x2b, 0x2f, 0x35));
    p.setPen(QPen(QColor(0x1b, 0x1e, 0x22), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-kMargin + 0.5, -kMargin + 0.5, kWidth + 2 * kMargin - 1, kHeight + 2 * kMargin - 1), 12, 12);

    // Keys: round caps with their symbol.
    QFont keyFont = font();
    keyFont.setPixelSize(11);
    keyFont.setBold(true);
    p.setFont(keyFont);
    for (const CKorvalisKey& key : m_keys) {
        const QRectF cap(key.x - 12, key.y - 12, 24, 24);
        QRadialGradient g(cap.center() - QPointF(4, 4), 16);
        g.setColorAt(0.0, QColor(0xe8, 0xea, 0xed));
        g.setColorAt(1.0, QColor(0xa9, 0xad, 0xb3));
        p.setPen(QPen(QColor(0x15, 0x17, 0x1a), 1.2));
        p.setBrush(g);
        p.drawEllipse(cap);
        p.setPen(QColor(0x22, 0x25, 0x29));
        p.setBrush(QColor(0x22, 0x25, 0x29));
        const QPointF c = cap.center();
        const auto triangle = [&p, c](qreal dx, qreal dy) {
            // A small arrow head pointing in (dx, dy).
            const QPointF tip = c + QPointF(dx, dy) * 6;
            const QPointF side(-dy * 5, dx * 5);
            const QPointF base = c - QPointF(dx, dy) * 3;
            p.drawPolygon(QPolygonF({tip, base + side, base - side}));
        };
        switch (key.code) {
        case 1: triangle(-1, 0); break;
        case 2: triangle(1, 0); break;
        case 3: triangle(0, -1); break;
        case 4: triangle(0, 1); break;
        default: p.drawText(cap, Qt::AlignCenter, key.code == 6 ? QStringLiteral("OK") : ShortcutText(key.code));
        }
    }

    // Lamp: red when lit, a dark lens otherwise.
    p.setPen(QPen(QColor(0x15, 0x17, 0x1a), 1));
    p.setBrush(m_lamp ? QColor(0xff, 0x20, 0x20) : QColor(0x5a, 0x1c, 0x1c));
    p.drawEllipse(QRectF(kLamp).adjusted(0, 0, 1, 1));

    // Display: white fixed-pitch text on blue with rounded corners.
    const QRectF display = QRectF(kDisplay).adjusted(0, 0, 1, 1);
    p.setPen(QPen(QColor(0x00, 0x00, 0xff), 1));
    p.setBrush(QColor(0x00, 0x00, 0xff));
    p.drawRoundedRect(display, 4, 4);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(14);
    p.setFont(mono);
    p.setPen(Qt::white);
    p.setClipRect(display);
    const QFontMetricsF fm(mono);
    const qreal h = display.height();
    const auto line = [&](const QByteArray& bytes, qreal baseline) {
        const QString text = DisplayText(bytes);
        const qreal x = display.center().x() - fm.horizontalAdvance(text) / 2.0;
        p.drawText(QPointF(x, baseline), text);
    };
    // Each line's baseline sits a little below its quarter mark so the text centres in its half.
    line(m_shown1, display.top() + h / 4 + fm.ascent() / 2 - 1);
    line(m_shown2, display.top() + 3 * h / 4 + fm.ascent() / 2 - 1);
}
