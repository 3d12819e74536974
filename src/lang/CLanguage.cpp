// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/CLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// A catalogue is a few hundred kilobytes; refuse anything absurd instead of reading it whole.
constexpr qint64 kMaxCatalogueBytes = 8 * 1024 * 1024;

QString Unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar n = text[++i];
            if (n == u'n')
                out += u'\n';
            else if (n == u't')
                out += u'\t';
            else
                out += n;
        } else {
            out += c;
        }
    }
    return out;
}
}  // namespace

QString CLanguage::FileName(int language)
{
    switch (language) {
    case German: return QStringLiteral("German.lang");
    case English: return QStringLiteral("English.lang");
    case Alternative: return QStringLiteral("Alternative.lang");
    default: return {};
    }
}

QStringList CLanguage::SearchPath()
{
    QStringList dirs;
    const QByteArray env = qgetenv("KORVALIS_LANG_DIR");
    if (!env.isEmpty())
        dirs << QString::fromLocal8Bit(env);
    const QByteArray share = qgetenv("KORVALIS_SHARE_DIR");
    if (!share.isEmpty())
        dirs << QString::fromLocal8Bit(share) + QStringLiteral("/lang");
    const QString app = QCoreApplication::applicationDirPath();
    if (!app.isEmpty()) {
        dirs << app + QStringLiteral("/../share/korvalis-control/lang");
        dirs << app + QStringLiteral("/lang");
        dirs << app;
    }
    return dirs;
}

QString CLanguage::FindCatalogue(int language)
{
    const QString name = FileName(language);
    if (name.isEmpty())
        return {};
    for (const QString& dir : SearchPath()) {
        const QFileInfo info(QDir(dir), name);
        if (info.isFile() && info.isReadable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

bool CLanguage::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCatalogueBytes)
        return false;
    Parse(file.readAll());
    return true;
}

void CLanguage::Parse(const QByteArray& utf8)
{
    m_strings.clear();
    const QString text = QString::fromUtf8(utf8);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        bool ok = false;
        const int id = line.left(eq).trimmed().toInt(&ok);
        if (!ok || id < 0 || id > 0xFFFF)
            continue;
        m_strings.insert(id, Unescape(line.mid(eq + 1)));
    }
}

CLanguage& CLanguage::Current()
{
    static CLanguage current;
    return current;
}

QString FormatPlaceholders(const QString& text, const QStringList& args)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1].isDigit()) {
            const int n = text[i + 1].digitValue();
            if (n >= 1 && n <= args.size()) {
                out += args[n - 1];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString Tr(int id)
{
    return CLanguage::Current().String(id);
}

QString TrArg(int id, const QStringList& args)
{
    return FormatPlaceholders(Tr(id), args);
}
