// SPDX-License-Identifier: GPL-3.0-or-later
// Page classes make themselves known by name; the page table (CPageTable) decides where,
// when and under which caption they appear. A page's .cpp adds one line:
//     KORVALIS_REGISTER_PAGE(CPropertyPageSimulation);
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class CMyPropertyPage;

class CPageRegistry {
public:
    using Factory = std::function<CMyPropertyPage*()>;

    static void Register(const QString& className, Factory factory);
    static bool IsRegistered(const QString& className);
    // Every registered class name, sorted.
    static QStringList Classes();
    // A new page of the class, or nullptr when no such class is registered.
    static CMyPropertyPage* Create(const QString& className);

    struct Registrar {
        Registrar(const char* className, Factory factory) {
            Register(QLatin1String(className), std::move(factory));
        }
    };
};

#define KORVALIS_REGISTER_PAGE(Class) \
    static const CPageRegistry::Registrar Class##_registrar(#Class, [] { return new Class; })
