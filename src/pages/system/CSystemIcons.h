// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the System page's tree, drawn by the program in the banner's colours:
// three controller pictures (models B and D, model F, the others) and one module picture.
#pragma once

#include <QIcon>

class CSystemIcons {
public:
    enum Group { GroupBD = 0, GroupF = 1, GroupOther = 2 };
    static Group GroupOf(int productCode);
    static QIcon Controller(Group group);
    static QIcon Module();
    static constexpr int kSize = 32;
};
