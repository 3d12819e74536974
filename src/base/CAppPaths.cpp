// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/CAppPaths.h"

#include "base/CRegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

namespace {
Q_LOGGING_CATEGORY(lcPaths, "korvalis.paths")

QString HomeOverride()
{
    return QString::fromLocal8Bit(qgetenv("KORVALIS_HOME"));
}

// homeName in KORVALIS_HOME when it is set, else standardName in the standard location.
QString InHome(const QString& homeName, QStandardPaths::StandardLocation location, const QString& standardName)
{
    const QString home = HomeOverride();
    if (!home.isEmpty())
        return home + QLatin1Char('/') + homeName;
    return QStandardPaths::writableLocation(location) + QLatin1Char('/') + standardName;
}
}  // namespace

namespace {
// A FIFO or device in a settings file's place would block every read of it, and a write
// would replace it. Such a path is swapped for one beneath it, which can be neither read nor
// written: the program runs on its defaults and keeps nothing, and says so once.
QString UsableSettingsPath(const QString& path)
{
    QString why;
    if (!CRegularFile::SaveTarget(path, &why).isEmpty())
        return path;
    static QSet<QString> told;
    if (!told.contains(path)) {
        told.insert(path);
        qCWarning(lcPaths, "the settings file %s %s; the defaults are used and no setting is kept", qPrintable(path),
                  qPrintable(why));
    }
    return path + QStringLiteral("/unusable");
}
}  // namespace

QString CAppPaths::UserSettingsFile()
{
    return UsableSettingsPath(InHome(QStringLiteral("KorvalisControl.ini"), QStandardPaths::GenericConfigLocation,
                                     QStringLiteral("Qen/KorvalisControl.ini")));
}

QString CAppPaths::ServiceConfigFile()
{
    return InHome(QStringLiteral("korvalisd.ini"), QStandardPaths::GenericConfigLocation,
                  QStringLiteral("korvalisd/korvalisd.ini"));
}

QString CAppPaths::SystemSettingsFile()
{
    const QByteArray env = qgetenv("KORVALIS_SYSTEM_SETTINGS");
    if (!env.isEmpty())
        return UsableSettingsPath(QString::fromLocal8Bit(env));
    return UsableSettingsPath(QStringLiteral("/etc/xdg/Qen/KorvalisControl.ini"));
}

QString CAppPaths::DataFolder()
{
    return InHome(QStringLiteral("KorvalisControl"), QStandardPaths::GenericDataLocation,
                  QStringLiteral("KorvalisControl"));
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
