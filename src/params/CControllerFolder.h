// SPDX-License-Identifier: GPL-3.0-or-later
// Where the files that belong to the connected controller are kept (its descriptions): a
// folder per serial number in the data folder. The application object implements it.
#pragma once

#include <QString>

class CControllerFolder {
public:
    virtual ~CControllerFolder() = default;

    // False while nothing is connected or the data folder is unknown; on true the folder exists.
    virtual bool GetControllerFolder(QString& path) const = 0;
};
