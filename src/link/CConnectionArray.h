// SPDX-License-Identifier: GPL-3.0-or-later
// The user's stored connections and the selected one, kept in "Connections.dat" in the data
// folder: loaded when the application starts, written when it ends.
#pragma once

#include <QString>
#include <QVector>
#include <cstdint>

#include "link/CConnection.h"

class CConnectionArray {
public:
    // The count shares a 16-bit word with the format version, so a file holds at most this many.
    static constexpr int MaxCount = 255;
    static constexpr uint8_t FileVersion = 1;

    // An empty list without a file (nothing is loaded or saved).
    CConnectionArray() = default;
    // Loads "Connections.dat" of the data folder; an empty result gets the two defaults.
    explicit CConnectionArray(const QString& dataFolder);
    // Saves when the list has a file.
    ~CConnectionArray();
    CConnectionArray(const CConnectionArray&) = delete;
    CConnectionArray& operator=(const CConnectionArray&) = delete;

    // Binds the list to the data folder's file, loads it and adds the defaults when empty.
    void Open(const QString& dataFolder);
    // Reads the data folder's file without binding the list to it (nothing is saved), with
    // the defaults when it holds none: for tools that only look at the stored connections.
    void ReadOnly(const QString& dataFolder);
    QString FilePath() const { return m_path; }

    // False when the file cannot be opened (list unchanged) or stops early (the records read
    // so far are kept).
    bool Load();
    // Replaces the file atomically. When the last load stopped early, the file as it was is
    // kept as "Connections.dat.bak" first.
    bool Save();
    // The bytes of the file for this list; and the reverse, for the loader and its fuzz target.
    QByteArray ToBytes() const;
    bool FromBytes(const QByteArray& bytes);
    bool LoadStoppedEarly() const { return m_loadStoppedEarly; }
    uint8_t LoadedVersion() const { return m_version; }

    // The two connections of a first start: serial (string 195) and TCP (string 272).
    void AddDefaults();

    CConnection GetSelected() const;
    CConnection GetAt(int i) const;
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int GetSelectedIndex() const { return m_selected; }
    bool IsFull() const { return GetCount() >= MaxCount; }

    bool Select(int i);
    bool Remove(int i);
    void UpdateSelected(const CConnection& c);
    bool UpdateAt(int i, const CConnection& c);
    // False when the name exists already (byte-wise, case-sensitive) or the list is full.
    bool Add(const CConnection& c);
    bool Contains(const QString& name) const;
    int IndexOf(const QString& name) const;
    QString MakeUniqueName() const;

private:
    bool InRange(int i) const { return i >= 0 && i < GetCount(); }

    QString m_path;
    QVector<CConnection> m_items;
    uint16_t m_selected = 0;
    uint8_t m_version = FileVersion;
    bool m_loadStoppedEarly = false;
};
