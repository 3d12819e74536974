// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes of the connection dialogs by string number. They go through the application's
// user interaction when one is installed, otherwise straight to the message service.
#pragma once

#include <QString>
#include <QStringList>

#include "base/CUserInteraction.h"

class QWidget;

class CAskUser {
public:
    static int Ask(QWidget* parent, int stringId, CUserInteraction::Icon icon,
                   CUserInteraction::Buttons buttons, const QStringList& args = {});
};
