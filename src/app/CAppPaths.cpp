// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CAppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString HomeOverride()
{
    return QString::fromLocal8Bit(qgetenv("KORVALIS_HOME"));
}
}  // namespace

QString CAppPaths::UserSettingsFile()
{
    const QString home = HomeOverride();
    if (!home.isEmpty())
        return home + QStringLiteral("/KorvalisControl.ini");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Qen/KorvalisControl.ini");
}

QString CAppPaths::SystemSettingsFile()
{
    const QByteArray env = qgetenv("KORVALIS_SYSTEM_SETTINGS");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return QStringLiteral("/etc/xdg/Qen/KorvalisControl.ini");
}

QString CAppPaths::DataFolder()
{
    const QString home = HomeOverride();
    if (!home.isEmpty())
        return home + QStringLiteral("/KorvalisControl");
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/KorvalisControl");
}

QString CAppPaths::ShareFolder()
{
    const QByteArray env = qgetenv("KORVALIS_SHARE_DIR");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    const QString app = QCoreApplication::applicationDirPath();
    return QDir::cleanPath(app + QStringLiteral("/../share/korvalis-control"));
}

QString CAppPaths::ListFolder()
{
    QSettings system(SystemSettingsFile(), QSettings::IniFormat);
    const QString binDir = system.value(QStringLiteral("V408/BinDir")).toString();
    if (!binDir.isEmpty())
        return binDir.left(256);
    return ShareFolder() + QStringLiteral("/paralists");
}

QString CAppPaths::HelperProgram(const QString& name, const QString& appDir)
{
    const QString installed =
        QDir::cleanPath(appDir + QStringLiteral("/../") + QLatin1String(kHelperFolder) + QLatin1Char('/') + name);
    const QString beside = QDir(appDir).filePath(name);
    if (!QFileInfo(installed).isExecutable() && QFileInfo(beside).isExecutable())
        return beside;
    return installed;
}
