// SPDX-License-Identifier: GPL-3.0-or-later
// A firmware file of Motorola S-records, checked once and kept in memory as the binary
// records the boot loader receives: the record type as a byte, then every byte of the line's
// hexadecimal pairs (byte count, address, data, checksum).
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

struct CSRecord {
    qint64 fileOffset = 0;  // where the record's line starts in the file
    int lineNumber = 0;     // counted from 1
    uint8_t type = 0;       // 1..9 (header records are not kept)
    uint32_t address = 0;
    int dataBytes = 0;
    QByteArray bytes;       // the binary record, at most kMaxRecordBytes
};

class CSRecordFile {
public:
    // The boot loader's record buffer.
    static constexpr int kMaxRecordBytes = 32;
    // Any line, a header's included, after blanks are removed.
    static constexpr int kMaxLineChars = 4096;
    // Far above any controller's firmware; keeps a wrong file from filling memory.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    enum Error {
        NoError,
        Unreadable,     // the file cannot be opened or read, or is no regular file
        TooLarge,       // larger than kMaxFileBytes
        TooShort,       // fewer than 6 characters (an empty line among them)
        NoRecordMark,   // does not start with "S"
        BadType,        // not S0..S3 or S5..S9
        OddDigits,      // an odd number of hexadecimal digits
        NotHex,         // a character that is not a hexadecimal digit
        TooLong,        // the binary record would exceed kMaxRecordBytes (any line kMaxLineChars)
        CountMismatch,  // the byte count does not match the pairs that follow
        BadChecksum,
        NoDataRecord,   // the whole file holds no S1, S2 or S3 record
        NoTermination,  // the last record is not a termination record (S7, S8 or S9)
        AfterTermination,  // a record follows the termination record
    };

    // The checking pass over a file on disk.
    bool Load(const QString& path);
    // The checking pass over file contents already in memory. Lines end in CR, LF or CR LF.
    // Besides every line, the whole file must hold at least one data record and end with
    // its only termination record: the boot loader restarts the controller on that record,
    // so a file without it would leave the controller in the loader, and anything after it
    // would never arrive.
    bool Parse(const QByteArray& content);

    Error GetError() const { return m_error; }
    // Line of the first fault, counted from 1 (0 when the file could not be read).
    int ErrorLine() const { return m_errorLine; }
    // English description of the fault, for the command-line tool.
    QString ErrorText() const;

    const QVector<CSRecord>& Records() const { return m_records; }
    qint64 FileSize() const { return m_fileSize; }
    // Data bytes of all records (a record's length without type, count, address, checksum).
    qint64 TotalDataBytes() const { return m_totalDataBytes; }

    // Address bytes of a record type: S1/S5/S9 two, S2/S6/S8 three, S3/S7 four; -1 otherwise.
    static int AddressLength(int type);
    // "address - running" in the checking pass, "address - running/total" while sending;
    // the address in lower-case hexadecimal without leading zeros.
    static QString ProgressText(const CSRecord& record, qint64 runningDataBytes, qint64 total = -1);
    // Decodes one line (surrounding white space and blanks are ignored). A header record
    // (S0) gives NoError with record.type 0 and nothing else decoded.
    static Error ParseLine(const QByteArray& line, CSRecord& record);

private:
    QVector<CSRecord> m_records;
    qint64 m_fileSize = 0;
    qint64 m_totalDataBytes = 0;
    Error m_error = NoError;
    QString m_unreadableWhy;
    int m_errorLine = 0;
};
