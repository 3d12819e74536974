// SPDX-License-Identifier: GPL-3.0-or-later
// One declared value of a page: the parameter it lives in, the control that shows it, and how
// the controller's integer becomes the displayed value and back. A page declares its fields
// in DeclareFields() with the page's Real/Check/Combo/... calls and refines them here:
//
//   Real(Number(15), IdSetpoint, 10).Range(15, 35).Spin(20, 30).Signed();
//   Check(Number(14), IdFlag).Bits(1, 1);
//   Combo(Number(951), IdSelection, items).Offset(1);
//
// Several fields may share a parameter (bit fields, flags, nibbles): the parameter is read
// once, each field takes its bits, and a write puts every field's bits back into the value
// last read, so bits no field covers keep what the controller had.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class CPageField {
public:
    enum class Kind {
        Real,      // edit-and-spin: value / factor
        Check,     // check box: value != 0
        Combo,     // list: value - offset, -1 = no entry
        Radio,     // radio buttons: as Combo
        Time,      // time of day in minutes
        Duration,  // seconds, as a time picker H:mm:ss
        Date,      // day number
        Text,      // line edit, a text parameter
        Label,     // read only, shown through a format
        Hidden,    // read and kept, no control of its own (a page may bind one itself)
    };
    // Device integer (unsigned and signed reading) -> display value.
    using Decode = std::function<double(uint32_t raw, int32_t signedRaw)>;
    // Display value -> device integer; raw is the parameter as composed so far (for bits).
    using Encode = std::function<int64_t(double value, uint32_t raw)>;

    CPageField(Kind kind, int number, int controlId);

    // --- declaration ------------------------------------------------------------------------
    CPageField& Factor(double factor);
    // What may be typed (clamped on focus loss) and what the spin buttons reach.
    CPageField& Range(double minimum, double maximum);
    CPageField& Spin(double minimum, double maximum);
    CPageField& Signed(bool isSigned = true);
    CPageField& Key(int key);
    // The field is width bits of the parameter from bit shift on.
    CPageField& Bits(int shift, int width);
    // Lists: the device stores index + offset.
    CPageField& Offset(int offset);
    CPageField& Items(const QStringList& items);
    CPageField& Codec(Decode decode, Encode encode);
    // The field is read and written only while the condition holds (firmware gates).
    CPageField& When(std::function<bool()> condition);
    CPageField& ToSmsModule(bool sms = true);
    // Read and shown, never written.
    CPageField& ReadOnly(bool readOnly = true);
    CPageField& Format(std::function<QString(double value)> format);
    // Text parameters: at most this many bytes.
    CPageField& MaxLength(int bytes);

    // --- what was declared --------------------------------------------------------------------
    Kind kind() const { return m_kind; }
    int Number() const { return m_number; }
    int ControlId() const { return m_controlId; }
    int ChangeKey() const { return m_key; }
    const int* ChangeKeyRef() const { return &m_key; }
    double factor() const { return m_factor; }
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }
    bool HasSpinRange() const { return m_hasSpin; }
    double SpinMinimum() const { return m_spinMinimum; }
    double SpinMaximum() const { return m_spinMaximum; }
    bool IsSigned() const { return m_signed; }
    int Shift() const { return m_shift; }
    int Width() const { return m_width; }
    int offset() const { return m_offset; }
    const QStringList& items() const { return m_items; }
    bool Applies() const { return !m_when || m_when(); }
    bool IsToSmsModule() const { return m_sms; }
    bool IsReadOnly() const { return m_readOnly || m_kind == Kind::Label; }
    int maxLength() const { return m_maxLength; }
    QString FormatValue() const;

    // --- the value ------------------------------------------------------------------------------
    // In display units; lists give the index (-1 for none), check boxes 0 or 1.
    double Value() const;
    void SetValue(double value);
    int Index() const { return m_int; }
    bool IsChecked() const { return m_bool; }
    const QString& TextValue() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }

    // Device integer -> field; field -> device integer merged into raw.
    void FromDevice(uint32_t raw, int32_t signedRaw);
    int64_t ToDevice(uint32_t raw) const;

    // Storage the bindings hold references to (the field never moves).
    double& RealRef() { return m_real; }
    bool& BoolRef() { return m_bool; }
    int& IntRef() { return m_int; }
    QString& TextRef() { return m_text; }

private:
    Kind m_kind;
    int m_number;
    int m_controlId;
    int m_key;
    double m_factor = 1;
    double m_minimum = -2147483648.0;
    double m_maximum = 4294967295.0;
    bool m_hasSpin = false;
    double m_spinMinimum = 0;
    double m_spinMaximum = 0;
    bool m_signed = false;
    int m_shift = 0;
    int m_width = 0;
    int m_offset = 0;
    QStringList m_items;
    Decode m_decode;
    Encode m_encode;
    std::function<bool()> m_when;
    std::function<QString(double)> m_format;
    bool m_sms = false;
    bool m_readOnly = false;
    int m_maxLength = 255;

    double m_real = 0;
    bool m_bool = false;
    int m_int = 0;
    QString m_text;
};
