// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sensors/types/CPropertyPageCondS.h"

#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageCondS);
