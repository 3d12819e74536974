// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ModelInfo.h"

#include <iterator>

namespace {
constexpr ModelInfo kModels[] = {
    {2, {0, 0, 0, 0}, 4, 4, "Korvalis A", 0, 24, 8, 8, 8, 8, "_KorvalisA"},
    {3, {2, 1, 0, 0}, 4, 8, "Korvalis B", 2, 24, 10, 8, 8, 8, "_KorvalisB"},
    {4, {2, 1, 5, 3}, 6, 8, "Korvalis D", 3, 24, 10, 8, 8, 8, "_KorvalisD"},
    {5, {0, 0, 0, 0}, 4, 4, "Korvalis E", 0, 24, 4, 8, 8, 8, "_KorvalisE"},
    {6, {2, 1, 0, 0}, 4, 4, "Korvalis C", 0, 24, 4, 8, 8, 8, "_KorvalisC"},
    {7, {1, 0, 0, 0}, 4, 4, "Korvalis F", 0, 4, 4, 8, 4, 4, "_KorvalisF"},
    {8, {2, 1, 5, 3}, 6, 8, "Korvalis G", 3, 24, 10, 8, 8, 8, "_KorvalisG"},
};
}  // namespace

const ModelInfo* ModelInfo::Find(int productCode)
{
    for (const ModelInfo& m : kModels)
        if (m.productCode == productCode)
            return &m;
    return nullptr;
}

const ModelInfo* ModelInfo::Rows(int& count)
{
    count = static_cast<int>(std::size(kModels));
    return kModels;
}

QString ModelInfo::ListSuffix(int productCode)
{
    if (productCode == SmsModuleProductCode)
        return QStringLiteral("_SMS-Module");
    const ModelInfo* m = Find(productCode);
    return m ? QString::fromLatin1(m->listSuffix) : QString();
}
