// SPDX-License-Identifier: GPL-3.0-or-later
// What the controller's own display shows: a number (770), two check lists built from the
// masks 771 (illumination channels and three further items) and 772 (the fitted sensor
// inputs and the level control), and a selection (773).
#pragma once

#include <cstdint>

#include "ui/page/CMyPropertyPage.h"

class QListWidget;

class CPropertyPageDisplay : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdValue = 1701, IdFirstList = 1702, IdSecondList = 1703, IdSelection = 1704 };

    CPropertyPageDisplay();

    // The mask a list makes: the bits of its checked items over the bits it does not show,
    // which keep what the controller had.
    uint32_t Mask(int number) const;

protected:
    void DeclareFields() override;
    void CreateControls() override;

private:
    QListWidget* MakeList(int id, int number);
    void FillItems();

    QListWidget* m_first = nullptr;
    QListWidget* m_second = nullptr;
};
