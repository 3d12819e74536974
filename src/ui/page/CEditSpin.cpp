// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CEditSpin.h"

#include <QLineEdit>
#include <QLocale>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

#include "lang/CLanguage.h"
#include "ui/page/PageConversions.h"

namespace {
int DecimalsOf(double factor) {
    int decimals = 0;
    double f = factor;
    while (f > 1.5 && decimals < 6) {
        f /= 10.0;
        ++decimals;
    }
    return decimals;
}
}  // namespace

CEditSpin::CEditSpin(int editId, double factor, double minimum, double maximum, QWidget* parent)
    : QDoubleSpinBox(parent),
      m_editId(editId),
      m_factor(factor > 0 ? factor : 1.0),
      m_ownMaximum(maximum),
      m_ownMinimum(minimum) {
    const QString name = QString::number(editId);
    setObjectName(name);
    lineEdit()->setObjectName(name);
    setDecimals(DecimalsOf(m_factor));
    setSingleStep(1.0 / m_factor);
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
    setAccelerated(true);
    setAlignment(Qt::AlignRight);
    connect(this, &QDoubleSpinBox::valueChanged, this, &CEditSpin::OnValueChanged);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (m_quiet == 0) Q_EMIT textTyped();
    });
}

void CEditSpin::CommitTypedText() {
    ++m_quiet;
    interpretText();
    --m_quiet;
}

int64_t CEditSpin::Position() const {
    return PageConversions::DisplayToDevice(value(), m_factor);
}

void CEditSpin::SetPosition(int64_t position) {
    SetValueQuietly(static_cast<double>(position) / m_factor);
}

void CEditSpin::SetValueQuietly(double v) {
    const bool outside = std::isfinite(v) && (v < m_ownMinimum || v > m_ownMaximum);
    ++m_quiet;
    if (outside)
        setRange(std::min(m_ownMinimum, v), std::max(m_ownMaximum, v));
    else if (m_held)
        setRange(m_ownMinimum, m_ownMaximum);
    setValue(v);
    MarkOutOfRange(outside);
    --m_quiet;
    // The quiet path still moves coupled limits.
    if (m_upper) m_upper->setMinimum(std::max(m_upper->m_ownMinimum, value()));
    if (m_lower) m_lower->setMaximum(std::min(m_lower->m_ownMaximum, value()));
}

void CEditSpin::CoupleBelow(CEditSpin* upper) {
    if (!upper) return;
    m_upper = upper;
    upper->m_lower = this;
    setMaximum(std::min(m_ownMaximum, upper->value()));
    upper->setMinimum(std::max(upper->m_ownMinimum, value()));
}

namespace {
bool ParseNumber(const QLocale& locale, QString text, int decimals, double& out) {
    text = text.trimmed();
    bool ok = false;
    out = locale.toDouble(text, &ok);
    if (!ok) out = text.toDouble(&ok);
    if (!ok) return false;
    // No more decimals than the field shows.
    const qsizetype sep =
        std::max(text.lastIndexOf(locale.decimalPoint()), text.lastIndexOf(QLatin1Char('.')));
    return sep < 0 || text.size() - sep - 1 <= decimals;
}
}  // namespace

QValidator::State CEditSpin::validate(QString& text, int& pos) const {
    const QValidator::State state = QDoubleSpinBox::validate(text, pos);
    if (state != QValidator::Invalid) return state;
    double v = 0;
    return ParseNumber(locale(), text, decimals(), v) ? QValidator::Intermediate
                                                      : QValidator::Invalid;
}

void CEditSpin::fixup(QString& text) const {
    double v = 0;
    if (ParseNumber(locale(), text, decimals(), v))
        text = textFromValue(m_held && v == value() ? v
                                                    : std::clamp(v, TypedMinimum(), TypedMaximum()));
    else
        QDoubleSpinBox::fixup(text);
}

double CEditSpin::valueFromText(const QString& text) const {
    double v = 0;
    if (ParseNumber(locale(), text, decimals(), v))
        return m_held && v == value() ? v : std::clamp(v, TypedMinimum(), TypedMaximum());
    return QDoubleSpinBox::valueFromText(text);
}

void CEditSpin::SetSpinRange(double minimum, double maximum) {
    m_hasSpinRange = true;
    m_spinMinimum = minimum;
    m_spinMaximum = maximum;
}

void CEditSpin::stepBy(int steps) {
    // The first step from a value outside the range brings it to the nearest limit.
    if (m_held) {
        ReleaseOutOfRange();
        return;
    }
    if (!m_hasSpinRange) {
        QDoubleSpinBox::stepBy(steps);
        return;
    }
    interpretText();
    const double lo = std::max(m_spinMinimum, minimum());
    const double hi = std::min(m_spinMaximum, maximum());
    // A typed value outside the spin range never moves further out.
    if ((steps < 0 && value() <= lo) || (steps > 0 && value() >= hi)) return;
    setValue(std::clamp(value() + steps * singleStep(), lo, std::max(lo, hi)));
    selectAll();
}

QAbstractSpinBox::StepEnabled CEditSpin::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    if (m_held) return StepUpEnabled | StepDownEnabled;
    if (!m_hasSpinRange) return QDoubleSpinBox::stepEnabled();
    StepEnabled e = StepNone;
    if (value() < std::min(m_spinMaximum, maximum())) e |= StepUpEnabled;
    if (value() > std::max(m_spinMinimum, minimum())) e |= StepDownEnabled;
    return e;
}

void CEditSpin::focusOutEvent(QFocusEvent* event) {
    // Commits and clamps whatever was typed before the focus moves on.
    interpretText();
    QDoubleSpinBox::focusOutEvent(event);
}

void CEditSpin::OnValueChanged(double v) {
    if (m_upper) {
        ++m_upper->m_quiet;
        m_upper->setMinimum(std::max(m_upper->m_ownMinimum, v));
        --m_upper->m_quiet;
    }
    if (m_lower) {
        ++m_lower->m_quiet;
        m_lower->setMaximum(std::min(m_lower->m_ownMaximum, v));
        --m_lower->m_quiet;
    }
    if (m_quiet != 0) return;
    if (m_held) {
        ReleaseOutOfRange();
        return;
    }
    Q_EMIT valueEdited(v);
}

void CEditSpin::ReleaseOutOfRange() {
    ++m_quiet;
    setRange(m_ownMinimum, m_ownMaximum);
    MarkOutOfRange(false);
    --m_quiet;
    Q_EMIT valueEdited(value());
}

void CEditSpin::MarkOutOfRange(bool on) {
    if (!on && !m_held) return;
    if (on) {
        if (!m_held) m_ownToolTip = toolTip();
        const QString note = Tr(50003).arg(textFromValue(value()), textFromValue(m_ownMinimum),
                                           textFromValue(m_ownMaximum));
        // The field help's tooltip is rich text, where a plain line break would run the note
        // on after its last line.
        if (m_ownToolTip.isEmpty())
            setToolTip(note);
        else if (Qt::mightBeRichText(m_ownToolTip))
            setToolTip(m_ownToolTip + QStringLiteral("<br>") + note.toHtmlEscaped());
        else
            setToolTip(m_ownToolTip + QLatin1Char('\n') + note);
        QPalette marked = palette();
        marked.setColor(QPalette::Text, QColor(176, 0, 0));
        marked.setColor(QPalette::Base, QColor(255, 236, 236));
        setPalette(marked);
    } else {
        setToolTip(m_ownToolTip);
        setPalette(QPalette());
    }
    m_held = on;
}

void CEditSpin::SetOwnRange(double minimum, double maximum) {
    m_ownMinimum = minimum;
    m_ownMaximum = maximum;
    // A value held outside the range stays held; the new limits widen around it.
    if (m_held) {
        ++m_quiet;
        const double v = value();
        setRange(std::min(minimum, v), std::max(maximum, v));
        MarkOutOfRange(v < minimum || v > maximum);
        if (!m_held) setRange(minimum, maximum);
        --m_quiet;
        return;
    }
    setRange(minimum, maximum);
}
