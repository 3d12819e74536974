// SPDX-License-Identifier: GPL-3.0-or-later
#include "CCtlFileArg.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

CCtlFileArg::CCtlFileArg(const QString& argument, Direction direction)
    : m_stdio(argument == QLatin1String("-")), m_path(argument)
{
    if (!m_stdio)
        return;
    // Keep the name's extension out of it: the commands only read and write the file.
    m_path = m_dir.path() + QStringLiteral("/stdio");
    if (direction == Direction::Write || !m_dir.isValid()) {
        m_ready = m_dir.isValid();
        return;
    }
    QFile in;
    QFile out(m_path);
    m_ready = in.open(stdin, QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly) &&
              out.write(in.readAll()) >= 0 && out.flush();
}

bool CCtlFileArg::Emit() const
{
    if (!m_stdio)
        return true;
    QFile in(m_path);
    QFile out;
    if (!in.open(QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly))
        return false;
    return out.write(in.readAll()) == in.size() && out.flush();
}
