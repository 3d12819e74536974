// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "app/CKorvalisControlApp.h"
#include "ui/sheet/CAppStartup.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvalis-control"));
    QApplication::setOrganizationName(QStringLiteral("Qen"));
    CKorvalisControlApp app;
    return CAppStartup::Main(app, QCoreApplication::arguments().mid(1));
}
