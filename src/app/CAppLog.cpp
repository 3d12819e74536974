// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CAppLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <cstdio>

namespace {
QMutex g_mutex;
QString g_path;
QtMessageHandler g_previous = nullptr;
bool g_installed = false;

const char* LevelText(QtMsgType type)
{
    switch (type) {
        case QtDebugMsg: return "debug";
        case QtInfoMsg: return "info";
        case QtWarningMsg: return "warning";
        case QtCriticalMsg: return "critical";
        case QtFatalMsg: return "fatal";
    }
    return "?";
}

void Append(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QMutexLocker lock(&g_mutex);
    if (g_path.isEmpty()) return;
    if (QFileInfo(g_path).size() > CAppLog::MaxBytes) {
        const QString older = g_path + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(g_path, older);
    }
    QFile file(g_path);
    // Appending never destroys what is there; a line that cannot be written is lost alone.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return;
    QString text = message;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray line = QStringLiteral("%1 %2 %3: %4\n")
                                .arg(QDateTime::currentDateTime().toString(Qt::ISODate),
                                     QString::fromLatin1(LevelText(type)),
                                     QString::fromLatin1(context.category ? context.category : ""), text)
                                .toUtf8();
    file.write(line);
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool ours = context.category && qstrncmp(context.category, "korvalis.", 9) == 0;
    if (ours && type != QtDebugMsg) Append(type, context, message);
    if (g_previous)
        g_previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
}  // namespace

void CAppLog::Install(const QString& folder)
{
    {
        const QMutexLocker lock(&g_mutex);
        g_path = folder.isEmpty() ? QString() : QDir(folder).filePath(FileName());
    }
    if (!g_installed) {
        g_previous = qInstallMessageHandler(Handler);
        g_installed = true;
    }
}

void CAppLog::Uninstall()
{
    if (!g_installed) return;
    qInstallMessageHandler(g_previous);
    g_previous = nullptr;
    g_installed = false;
    const QMutexLocker lock(&g_mutex);
    g_path.clear();
}

QString CAppLog::FilePath()
{
    const QMutexLocker lock(&g_mutex);
    return g_path;
}
