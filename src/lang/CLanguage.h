// SPDX-License-Identifier: GPL-3.0-or-later
// Text catalogue of one language: every user-visible string by number.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class CLanguage {
public:
    enum Id { German = 0, English = 1, Alternative = 2 };

    // "German.lang", "English.lang", "Alternative.lang"; empty for any other index.
    static QString FileName(int language);
    // Folders searched for catalogues, most specific first.
    static QStringList SearchPath();
    // Full path of the catalogue of a language, empty when none is found.
    static QString FindCatalogue(int language);

    // Parses a catalogue. Lines are "number=text"; '#' starts a comment line;
    // "\n", "\t" and "\\" are escapes. Returns false on an unreadable file.
    bool Load(const QString& path);
    // Parses catalogue text already in memory; malformed lines are skipped.
    void Parse(const QByteArray& utf8);

    QString String(int id) const { return m_strings.value(id); }
    bool Has(int id) const { return m_strings.contains(id); }
    const QHash<int, QString>& Entries() const { return m_strings; }
    int Language() const { return m_language; }
    void SetLanguage(int language) { m_language = language; }

    // The catalogue that every Tr() call reads; owned by the application.
    static CLanguage& Current();

private:
    QHash<int, QString> m_strings;
    int m_language = German;
};

// Marks a string number that reaches Tr() through a table or variable, so the catalogue
// check finds it: kCaptions[] = {StringId(n), ...} with literal numbers.
constexpr int StringId(int id) { return id; }

// The text of string id in the current catalogue.
QString Tr(int id);
// The text of string id with %1, %2, ... replaced by args in one pass (a value
// that itself contains "%2" is not expanded again).
QString TrArg(int id, const QStringList& args);
QString FormatPlaceholders(const QString& text, const QStringList& args);
