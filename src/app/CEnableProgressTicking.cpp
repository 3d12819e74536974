// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CEnableProgressTicking.h"

#include "app/CKorvalisControlApp.h"

CEnableProgressTicking::CEnableProgressTicking(int steps) : CEnableProgressTicking(CKorvalisControlApp::Instance(), steps) {}

CEnableProgressTicking::CEnableProgressTicking(CKorvalisControlApp& app, int steps) : m_app(app)
{
    m_app.EnableProgressTicking(steps);
}

CEnableProgressTicking::~CEnableProgressTicking()
{
    m_app.DisableProgressTicking();
}
