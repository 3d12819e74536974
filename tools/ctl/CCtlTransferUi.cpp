// SPDX-License-Identifier: GPL-3.0-or-later
#include "CCtlTransferUi.h"

#include <sys/ioctl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "CCtlContext.h"
#include "CtlCommand.h"
#include "params/CParameter.h"

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    // A second Ctrl-C ends the program at once, even in the middle of a transfer.
    if (g_interrupted) std::_Exit(CtlCancelled);
    g_interrupted = 1;
}

// A bar on stderr, redrawn in place; nothing at all when stderr is not a terminal.
class CTerminalProgress : public CTransferProgress {
public:
    CTerminalProgress() : m_enabled(isatty(STDERR_FILENO) != 0) {
        winsize ws{};
        if (m_enabled && ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40)
            m_width = ws.ws_col;
    }
    ~CTerminalProgress() override {
        if (m_drawn) std::fputc('\n', stderr);
    }
    void SetRange(int maximum) override {
        m_max = maximum;
        m_pos = 0;
        Draw();
    }
    void SetPos(int pos) override {
        m_pos = pos;
        Draw();
    }
    void SetCaption(const QString& caption) override { m_caption = caption; }
    void SetItemText(const QString& text) override {
        m_item = text;
        Draw();
    }

private:
    void Draw() {
        if (!m_enabled) return;
        constexpr int kBar = 24;
        const int filled =
            m_max > 0 ? static_cast<int>(static_cast<long long>(m_pos) * kBar / m_max) : 0;
        QString line = QStringLiteral("%1 [%2%3] %4/%5 %6")
                           .arg(m_caption, QString(filled, QLatin1Char('#')),
                                QString(kBar - filled, QLatin1Char('.')))
                           .arg(m_pos)
                           .arg(m_max)
                           .arg(m_item);
        line = line.left(m_width - 1);
        line += QString(m_width - 1 - line.size(), QLatin1Char(' '));
        std::fprintf(stderr, "\r%s", line.toLocal8Bit().constData());
        std::fflush(stderr);
        m_drawn = true;
    }

    bool m_enabled;
    bool m_drawn = false;
    int m_width = 80;
    int m_max = 0;
    int m_pos = 0;
    QString m_caption;
    QString m_item;
};

}  // namespace

CInterruptGuard::CInterruptGuard() : m_previous(std::signal(SIGINT, OnInterrupt)) {
    g_interrupted = 0;
}

CInterruptGuard::~CInterruptGuard() {
    std::signal(SIGINT, m_previous);
}

CCtlTransferUi::CCtlTransferUi(CCtlContext& ctx, OnError onError, int retries, const QString& file)
    : m_ctx(ctx), m_onError(onError), m_retries(retries), m_file(file) {}

std::unique_ptr<CTransferProgress> CCtlTransferUi::OpenProgressWindow(bool* cancelFlag) {
    m_cancelFlag = cancelFlag;
    return std::make_unique<CTerminalProgress>();
}

bool CCtlTransferUi::PumpPendingMessages() {
    QCoreApplication::processEvents();
    if (g_interrupted && m_cancelFlag) *m_cancelFlag = true;
    return true;
}

int CCtlTransferUi::AskTransferFailure(int stringId, const CParameter& parameter, uint16_t status,
                                       int failures) {
    const QString what =
        QStringLiteral("%1 parameter %2 (%3)")
            .arg(stringId == 124 ? QStringLiteral("reading") : QStringLiteral("writing"))
            .arg(parameter.Number)
            .arg(parameter.Name);
    std::fputc('\n', stderr);
    m_ctx.PrintStatusError(what, status);
    switch (m_onError) {
        case OnError::Ignore:
            std::fprintf(stderr, "warning: ignored, going on with the next parameter\n");
            return CUserInteraction::IdIgnore;
        case OnError::Retry:
            if (failures <= m_retries) {
                std::fprintf(stderr, "retrying (%d of %d)\n", failures, m_retries);
                return CUserInteraction::IdRetry;
            }
            return CUserInteraction::IdAbort;
        case OnError::Abort:
            break;
    }
    return CUserInteraction::IdAbort;
}

int CCtlTransferUi::ShowMessage(int stringId, CUserInteraction::Icon icon,
                                CUserInteraction::Buttons buttons, const QStringList& args) {
    return m_ctx.ShowMessage(stringId, icon, buttons, args);
}

bool CCtlTransferUi::ParseOnError(const QString& text, OnError& mode, int& retries) {
    retries = 0;
    if (text.isEmpty() || text == QLatin1String("abort")) {
        mode = OnError::Abort;
        return true;
    }
    if (text == QLatin1String("ignore")) {
        mode = OnError::Ignore;
        return true;
    }
    if (text.startsWith(QLatin1String("retry="))) {
        bool ok = false;
        retries = text.mid(6).toInt(&ok);
        mode = OnError::Retry;
        return ok && retries >= 0 && retries <= 1000;
    }
    return false;
}
