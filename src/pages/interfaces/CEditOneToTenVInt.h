// SPDX-License-Identifier: GPL-3.0-or-later
// Edits a copy of one 1-10 V interface: source (with its index, or a sensor input), voltage
// range and name. A source byte the lists do not hold opens with no choice and is kept unless
// the user picks one; voltages the device holds outside their ranges are shown as they are
// and clamped only once the user edits them.
#pragma once

#include "pages/interfaces/COneToTenVInterfacePara.h"
#include "ui/page/CFieldDialog.h"

class CEditSpin;
class QComboBox;
class QLabel;

class CEditOneToTenVInt : public CFieldDialog {
    Q_OBJECT
public:
    enum Id { IdSource = 1438, IdIndex = 1439, IdUpper = 1239, IdLower = 1441, IdName = 1498 };

    // index: the interface, 0-based (shown 1-based in the title).
    CEditOneToTenVInt(QWidget* parent, const COneToTenVInterfacePara& record, int index);
    const COneToTenVInterfacePara& Record() const { return m_rec; }

protected:
    bool Validate() override;

private:
    void FillSources();
    void FillIndex();
    // A voltage read outside its range stays visible until the user touches it.
    void KeepReadVoltage(CEditSpin* edit, bool& touched, double value, double minimum, double maximum);

    COneToTenVInterfacePara m_rec;
    int m_index;  // the record's index, for preselecting
    bool m_lowerTouched = false;
    bool m_upperTouched = false;
    QComboBox* m_source = nullptr;
    QComboBox* m_indexBox = nullptr;
    QLabel* m_indexLabel = nullptr;
    CEditSpin* m_lower = nullptr;
    CEditSpin* m_upper = nullptr;
};
