// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "app/CAppVersion.h"
#include "app/CKorvalisControlApp.h"
#include "ui/sheet/CAppStartup.h"

int main(int argc, char** argv) {
    QStringList raw;
    for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> rc = CAppStartup::AnswerWithoutWindow(raw)) return *rc;
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvalis-control"));
    QApplication::setApplicationVersion(CAppVersion::Text());
    // Wayland finds the window's icon and name through the desktop entry of this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("korvalis-control"));
    QApplication::setOrganizationName(QStringLiteral("Qen"));
    CKorvalisControlApp app;
    return CAppStartup::Main(app, QCoreApplication::arguments().mid(1));
}
