// SPDX-License-Identifier: GPL-3.0-or-later
// A file argument that may be "-": standard input is copied into a temporary file for a
// command that reads a file, and what a command wrote goes to standard output from one.
// The commands themselves keep working on files (atomic saves, existence checks).
#pragma once

#include <QString>
#include <QTemporaryDir>

class CCtlFileArg {
public:
    enum class Direction { Read, Write };
    CCtlFileArg(const QString& argument, Direction direction);

    bool IsStdio() const { return m_stdio; }
    // The file the command works on.
    QString Path() const { return m_path; }
    // Read: standard input arrived in the file (always true for a real file).
    bool Ready() const { return m_ready; }
    // Write: copies the written file to standard output; false when that fails.
    bool Emit() const;

private:
    bool m_stdio = false;
    bool m_ready = true;
    QString m_path;
    QTemporaryDir m_dir;
};
