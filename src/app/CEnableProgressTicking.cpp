// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CEnableProgressTicking.h"

#include "app/CKorvalisControlApp.h"

CEnableProgressTicking::CEnableProgressTicking(int steps)
{
    CKorvalisControlApp::Instance().EnableProgressTicking(steps);
}

CEnableProgressTicking::~CEnableProgressTicking()
{
    CKorvalisControlApp::Instance().DisableProgressTicking();
}
