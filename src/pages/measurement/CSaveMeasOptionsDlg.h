// SPDX-License-Identifier: GPL-3.0-or-later
// The export options of a recorder download (template 208): decimal separator (radio group
// 1346: point, comma), field separator (radio group 1347: ';', tab) and units in the header
// (check box 1419). Every option starts at 1 (comma, tab, units) each time it opens.
//
// The options themselves are the plain struct CSaveMeasOptions in params/, because the
// download and the command-line tool use them without any widget; this class is the dialog
// that asks for them, hence the suffix.
#pragma once

#include <QDialog>

#include "recorder/CSaveMeasOptions.h"

class QButtonGroup;
class QCheckBox;
class QPushButton;

class CSaveMeasOptionsDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId { IdDecimal = 1346, IdField = 1347, IdUnits = 1419 };

    explicit CSaveMeasOptionsDlg(QWidget* parent = nullptr);

    // Shows the dialog modally; true and the chosen options when it ended with OK.
    static bool Ask(QWidget* parent, CSaveMeasOptions& options);

    CSaveMeasOptions Options() const;
    void SetOptions(const CSaveMeasOptions& options);

    // Button ids are the option values (0 point / ';', 1 comma / tab).
    QButtonGroup* DecimalGroup() const { return m_decimal; }
    QButtonGroup* FieldGroup() const { return m_field; }
    QCheckBox* UnitsBox() const { return m_units; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QButtonGroup* m_decimal = nullptr;
    QButtonGroup* m_field = nullptr;
    QCheckBox* m_units = nullptr;
    QPushButton* m_ok = nullptr;
};
