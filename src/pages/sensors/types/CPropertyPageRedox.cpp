// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sensors/types/CPropertyPageRedox.h"

#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageRedox);
