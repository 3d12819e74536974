// SPDX-License-Identifier: GPL-3.0-or-later
// The alert rules and the mail-server settings, kept in "EmailSettings.dat" in the data
// folder. The file holds the SMTP password, so it is readable by the user alone, and it is
// replaced atomically on every change: a crash or a full disk never loses the previous one.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "alerts/CEmailArray.h"

class CEmailSettings {
public:
    static constexpr uint16_t DefaultPort = 25;
    static QString FileName() { return QStringLiteral("EmailSettings.dat"); }

    CEmailSettings() = default;
    // Settings kept in dataFolder; nothing is read until Load().
    explicit CEmailSettings(const QString& dataFolder);

    // Stored fields, in file order after the rules.
    CEmailArray rules;
    QString smtpServer;    // edit 1573
    QString password;      // edit 1572
    QString senderAddress; // edit 1570
    QString furtherText;   // edit 1569: stored only
    QString userName;      // edit 1571
    bool authentication = false;
    uint16_t port = DefaultPort;

    QString FilePath() const { return m_filePath; }
    void SetFilePath(const QString& path) { m_filePath = path; }

    // Reads the file. A missing file leaves the defaults; a damaged one keeps what could be
    // read. Returns false when the file exists but could not be read completely.
    bool Load();
    // Writes the file atomically with mode 0600. On failure the previous file stays and
    // LastError() says why. A file that Load() found damaged is kept aside once as
    // "EmailSettings.dat.damaged" before it is first replaced.
    bool Save();
    QString LastError() const { return m_lastError; }
    // The last Load() met a file it could not use whole (damaged, or no regular file).
    bool LoadFoundDamage() const { return m_loadedDamaged; }

    // The byte format, usable without a file (and by the fuzz target).
    QByteArray Serialize() const;
    // Resets to the defaults, then reads the fields in order; stops at the first field that
    // does not fit the remaining bytes and keeps what was read. False when it stopped early.
    bool Parse(const QByteArray& bytes);

    void ResetToDefaults();
    bool SameStoredFields(const CEmailSettings& other) const;

private:
    bool LoadFile();

    QString m_filePath;
    QString m_lastError;
    bool m_loadedDamaged = false;
};
