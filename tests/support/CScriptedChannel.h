// SPDX-License-Identifier: GPL-3.0-or-later
// A byte channel that records what the engine sends and answers each poll frame with the
// next scripted answer (an empty answer stays silent).
#pragma once

#include <QByteArray>
#include <QList>

#include "link/CByteChannel.h"

class CScriptedChannel : public CByteChannel {
public:
    explicit CScriptedChannel(Kind kind = Kind::Socket) : m_kind(kind) {}

    void QueueAnswer(const QByteArray& answer) { m_answers.append(answer); }
    // Every answer for the rest of the test.
    void SetDefaultAnswer(const QByteArray& answer) { m_default = answer; m_hasDefault = true; }
    QList<QByteArray> Sent() const { return m_sent; }
    void ClearSent() { m_sent.clear(); }
    void SetUsable(bool usable) { m_usable = usable; }

    Kind ChannelKind() const override { return m_kind; }
    bool IsUsable() const override { return m_usable; }
    int SendAll(const QByteArray& bytes) override;
    int ReceiveString(QByteArray& out, int max, char terminator, bool byteWise) override;
    bool WaitForOutputQueueEmpty(int) override { return true; }
    void SetReadTimeout(int msecs) override { m_timeout = msecs; }
    int ReadTimeout() const override { return m_timeout; }
    void PurgeReceive() override { m_rx.clear(); }

private:
    Kind m_kind;
    QList<QByteArray> m_answers;
    QByteArray m_default;
    bool m_hasDefault = false;
    QList<QByteArray> m_sent;
    QByteArray m_rx;
    int m_timeout = 0;
    bool m_usable = true;
};
