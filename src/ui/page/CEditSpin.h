// SPDX-License-Identifier: GPL-3.0-or-later
// A real-valued edit with its spin buttons. The value is kept in display units; the spin
// position is value x factor (factor 1, 10 or 100 gives 0, 1 or 2 decimals). Typed values
// outside the range are clamped when the field loses the focus. The control's objectName
// is the edit's identifier; its line edit carries the same name, so tests find either.
#pragma once

#include <QDoubleSpinBox>
#include <QPointer>

class CEditSpin : public QDoubleSpinBox {
    Q_OBJECT
public:
    CEditSpin(int editId, double factor, double minimum, double maximum, QWidget* parent = nullptr);

    int EditId() const { return m_editId; }
    double Factor() const { return m_factor; }
    // The spin position: value x factor as the controller's integer.
    int64_t Position() const;
    void SetPosition(int64_t position);
    // Sets the value without announcing a user edit. A value outside the range that may be
    // typed (one from the device) is shown as it is and marked, with the range in the
    // tooltip; it stays exactly as given until the user changes it, which brings it into
    // the range.
    void SetValueQuietly(double value);
    bool IsOutOfRange() const { return m_held; }
    // Takes typed text that Enter or leaving the field has not confirmed yet (clamped),
    // without announcing an edit.
    void CommitTypedText();

    // The spin buttons (and arrow keys) move only within this range, which may be narrower
    // than the range that can be typed.
    void SetSpinRange(double minimum, double maximum);
    // The range that may be typed, before any coupling narrows it.
    void SetOwnRange(double minimum, double maximum);
    double OwnMinimum() const { return m_ownMinimum; }
    double OwnMaximum() const { return m_ownMaximum; }

    // Coupled ranges: this control's maximum follows the other's value (and the other's
    // minimum follows this one's), e.g. a "from" field that may not pass its "to" field.
    void CoupleBelow(CEditSpin* upper);

    // Numbers outside the range may be typed; they are clamped when the field is left.
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
    double valueFromText(const QString& text) const override;
    void stepBy(int steps) override;

Q_SIGNALS:
    // The user changed the value (typing, spin buttons, wheel); not emitted by
    // SetValueQuietly or range changes.
    void valueEdited(double value);
    // The user typed into the field; the value follows on Enter or when the field is left.
    void textTyped();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    StepEnabled stepEnabled() const override;

private:
    void OnValueChanged(double value);
    void MarkOutOfRange(bool on);
    // Back to the range that may be typed after the user touched an out-of-range value.
    void ReleaseOutOfRange();
    double TypedMinimum() const { return m_held ? m_ownMinimum : minimum(); }
    double TypedMaximum() const { return m_held ? m_ownMaximum : maximum(); }

    int m_editId;
    double m_factor;
    int m_quiet = 0;
    QPointer<CEditSpin> m_upper;
    QPointer<CEditSpin> m_lower;
    double m_ownMaximum;
    double m_ownMinimum;
    bool m_hasSpinRange = false;
    double m_spinMinimum = 0;
    double m_spinMaximum = 0;
    bool m_held = false;
    QString m_ownToolTip;
};
