// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/shared/COperatingHours.h"

#include "app/CTimerStop.h"
#include "pages/shared/CSetOHM.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/page/PageConversions.h"
#include "ui/sheet/CMessageService.h"

double COperatingHours::HoursFromMinutes(double minutes) {
    return TruncateToHundredths(minutes / 60.0);
}

bool COperatingHours::Reset(CMyPropertyPage& page, int number) {
    if (CMessageService::ShowMessage(123, CMessageService::Icon::Warning, CMessageService::Buttons::YesNo, {},
                                     &page) != CUserInteraction::IdYes)
        return false;
    {
        CTimerStop stop;
        if (page.WriteParam(number, 0) != 0) return false;
    }
    page.ReadPage(true);
    return true;
}

bool COperatingHours::Set(CMyPropertyPage& page, int number) {
    CSetOHM dialog(&page);
    if (dialog.exec() != QDialog::Accepted) return false;
    {
        CTimerStop stop;
        if (page.WriteParam(number, double(PageConversions::DisplayToDevice(dialog.Hours(), 60))) != 0)
            return false;
    }
    page.ReadPage(true);
    return true;
}
