// SPDX-License-Identifier: GPL-3.0-or-later
#include "CtlCommand.h"

std::vector<CtlCommand>& CtlCommands()
{
    static std::vector<CtlCommand> commands;
    return commands;
}
