// SPDX-License-Identifier: GPL-3.0-or-later
// Variable illumination (firmware 405 and later): four rows of seven selections 0..15, each
// row a 28-bit value in a low and a high word (715 + 2r, 716 + 2r).
#pragma once

#include "ui/page/CMyPropertyPage.h"

class CPropertyPageVariableIllumination : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdFirstBox = 1665 };
    static constexpr int kRows = 4;
    static constexpr int kColumns = 7;

    CPropertyPageVariableIllumination();

    static int LowWord(int row) { return 715 + 2 * row; }
    int Selection(int row, int column) const { return m_selection[row * kColumns + column]; }

protected:
    void CreateControls() override;
    int ReadCount() const override { return 8; }
    int WriteCount() const override { return 8; }
    bool ReadValues() override;
    bool WriteValues() override;

private:
    int m_selection[kRows * kColumns] = {};
};
