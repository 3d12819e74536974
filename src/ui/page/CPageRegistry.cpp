// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CPageRegistry.h"

#include <QHash>

#include "ui/page/CMyPropertyPage.h"

namespace {
// Function-local so that registrars in other files may run first.
QHash<QString, CPageRegistry::Factory>& Factories() {
    static QHash<QString, CPageRegistry::Factory> factories;
    return factories;
}
}  // namespace

void CPageRegistry::Register(const QString& className, Factory factory) {
    Factories().insert(className, std::move(factory));
}

bool CPageRegistry::IsRegistered(const QString& className) {
    return Factories().contains(className);
}

QStringList CPageRegistry::Classes() {
    QStringList names = Factories().keys();
    names.sort();
    return names;
}

CMyPropertyPage* CPageRegistry::Create(const QString& className) {
    const auto it = Factories().constFind(className);
    if (it == Factories().constEnd()) return nullptr;
    CMyPropertyPage* page = (*it)();
    if (page) page->SetClassName(className);
    return page;
}
