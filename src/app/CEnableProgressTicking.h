// SPDX-License-Identifier: GPL-3.0-or-later
// Scoped: each single-parameter transfer steps the main window's progress indicator.
// Not nestable: an inner one switches ticking off for the outer one too.
#pragma once

class CKorvalisControlApp;

class CEnableProgressTicking {
public:
    explicit CEnableProgressTicking(int steps);
    CEnableProgressTicking(CKorvalisControlApp& app, int steps);
    virtual ~CEnableProgressTicking();
    CEnableProgressTicking(const CEnableProgressTicking&) = delete;
    CEnableProgressTicking& operator=(const CEnableProgressTicking&) = delete;

private:
    CKorvalisControlApp& m_app;
};
