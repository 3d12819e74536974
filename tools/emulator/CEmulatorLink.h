// SPDX-License-Identifier: GPL-3.0-or-later
// One byte link of the emulator to a PC: a TCP client or a pseudo-terminal.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class CEmulatorLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void Send(const QByteArray& bytes) = 0;
    // Ends the link after what has been sent; Closed follows.
    virtual void Close() = 0;
    virtual QString Describe() const = 0;

Q_SIGNALS:
    void Received(const QByteArray& bytes);
    void Closed();
};
