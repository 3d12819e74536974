// SPDX-License-Identifier: GPL-3.0-or-later
// Shifts a temperature input's calibration by an amount in degrees, up or down: the two raw
// calibration values move so that the calibrated reading changes by the amount.
#pragma once

#include <array>
#include <optional>
#include <utility>

#include "ui/page/CFieldDialog.h"

class CMyPropertyPage;

class CAdjustTempDlg : public CFieldDialog {
    Q_OBJECT
public:
    enum { IdAmount = 1629, IdAdd = 1630, IdSubtract = 1631 };
    CAdjustTempDlg(CMyPropertyPage* page, int input);

    // The new raw values (a1 - shift, a2 - shift); nothing when the references are equal or
    // the results are not finite or do not fit a parameter.
    static std::optional<std::pair<int64_t, int64_t>> Shifted(double r1, double r2, double a1,
                                                              double a2, double amount);

protected:
    bool Validate() override;

private:
    CMyPropertyPage* m_page;
    int m_input;
    int m_direction = 0;  // 0 = add, 1 = subtract
    double m_amount = 0;
    // r1, r2, a1, a2 as read before the first attempt: a retry after a half-done write
    // shifts from these, not from the point it already moved.
    std::optional<std::array<double, 4>> m_before;
};
