// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/shared/COperatingHours.h"

#include <QPointer>
#include <algorithm>
#include <cmath>

#include "app/CTimerStop.h"
#include "app/FieldCodecs.h"
#include "pages/shared/CSetOHM.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/services/CMessageService.h"

double COperatingHours::HoursOf(double minutes) {
    return FieldCodecs::MinutesToHours(minutes);
}

int64_t COperatingHours::MinutesOf(double hours) {
    if (!std::isfinite(hours)) return 0;
    return FieldCodecs::HoursToMinutes(std::clamp(hours, 0.0, kMaxHours));
}

void COperatingHours::Reread(CMyPropertyPage& page, const ShowCounter& showCounter) {
    // The same question as the sheet's Read: unsent edits are not thrown away unasked.
    if (page.IsModified() &&
        CMessageService::ShowMessage(169, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::YesNo, {}, &page) !=
            CUserInteraction::IdYes) {
        showCounter();
        return;
    }
    page.ReadPage(true);
}

bool COperatingHours::Reset(CMyPropertyPage& page, int number, const ShowCounter& showCounter) {
    CTimerStop stop;
    if (CMessageService::ShowMessage(123, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::YesNo, {}, &page) !=
        CUserInteraction::IdYes)
        return false;
    if (page.WriteParam(number, 0) != 0) return false;
    Reread(page, showCounter);
    return true;
}

bool COperatingHours::Set(CMyPropertyPage& page, int number, const ShowCounter& showCounter) {
    CTimerStop stop;
    double hours = 0;
    {
        // On the heap and watched: a page-set rebuild inside the dialog may delete the page.
        QPointer<CMyPropertyPage> self(&page);
        QPointer<CSetOHM> dialog = new CSetOHM(&page);
        const bool ok = dialog->exec() == QDialog::Accepted;
        if (!self || !dialog) return false;
        hours = dialog->Hours();
        delete dialog;
        if (!ok) return false;
    }
    if (page.WriteParam(number, double(MinutesOf(hours))) != 0) return false;
    Reread(page, showCounter);
    return true;
}
