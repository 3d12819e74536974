// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTimerStop.h"

#include "app/CKorvalisControlApp.h"

// Nested guards restore the outer state instead of clearing it early.
CTimerStop::CTimerStop() : m_previous(CKorvalisControlApp::Instance().IsTransferInProgress())
{
    CKorvalisControlApp::Instance().SetTransferInProgress(true);
}

CTimerStop::~CTimerStop()
{
    CKorvalisControlApp::Instance().SetTransferInProgress(m_previous);
}
