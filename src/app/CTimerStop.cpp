// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTimerStop.h"

#include "app/CKorvalisControlApp.h"

CTimerStop::CTimerStop() : CTimerStop(CKorvalisControlApp::Instance()) {}

// Nested guards restore the outer state instead of clearing it early.
CTimerStop::CTimerStop(CKorvalisControlApp& app) : m_app(app), m_previous(app.IsTransferInProgress())
{
    m_app.SetTransferInProgress(true);
}

CTimerStop::~CTimerStop()
{
    m_app.SetTransferInProgress(m_previous);
}
