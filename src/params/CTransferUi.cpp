// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CTransferUi.h"

#include "params/CParameter.h"

int CTransferUi::AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status, int failures)
{
    return ShowMessage(stringId, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::AbortRetryIgnore,
                       {parameter.Name, QString::number(parameter.Number)});
}
