// SPDX-License-Identifier: GPL-3.0-or-later
// What every korvalisctl command shares: the parsed options, the application object and a
// non-interactive user interaction that answers from the options.
#pragma once

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "link/CConnection.h"
#include "app/CKorvalisControlApp.h"
#include "base/CUserInteraction.h"
#include "recorder/CSaveMeasOptions.h"

class CCtlContext : public CUserInteraction {
public:
    CCtlContext();

    // Parses the common options out of args (removing them); false with a message on error.
    bool ParseCommonOptions(QStringList& args, QString& error);
    // Options a command declared: registered by name before parsing, e.g. "--yes" (flag) or
    // "--on-error" (takes a value).
    static void DeclareOption(const QString& name, bool takesValue);
    bool HasOption(const QString& name) const { return m_options.contains(name); }
    QString Option(const QString& name, const QString& fallback = {}) const
    {
        return m_options.value(name, fallback);
    }
    // A whole-number option within lo..hi into target (left as it is when the option is not
    // given); false with the message in error otherwise.
    template <class T>
    bool NumberOption(const QString& name, T& target, T lo, T hi, QString& error) const
    {
        if (!HasOption(name))
            return true;
        bool good = false;
        const qlonglong v = Option(name).toLongLong(&good);
        if (!good || v < static_cast<qlonglong>(lo) || v > static_cast<qlonglong>(hi)) {
            error = QStringLiteral("%1 must be a number from %2 to %3").arg(name).arg(lo).arg(hi);
            return false;
        }
        target = static_cast<T>(v);
        return true;
    }

    // How a measured-value file is written: --decimal point|comma, --separator tab|semicolon,
    // --no-units. False with a message for a value neither takes.
    bool MeasOptions(CSaveMeasOptions& options) const;
    // Runs the connect sequence for the chosen connection; prints the reason on failure.
    bool ConnectDevice();
    // Prints "error: <what>: status N (<meaning>)" to stderr.
    void PrintStatusError(const QString& what, uint16_t status) const;

    CKorvalisControlApp& App() { return *m_app; }
    CConnection& Connection() { return m_connection; }
    bool ToSmsModule() const { return HasOption(QStringLiteral("--sms")); }
    // --json: commands that print data print one JSON document instead of lines.
    bool Json() const { return HasOption(QStringLiteral("--json")); }
    // Progress lines only for a person watching: never into a log or a pipe.
    static bool ProgressWanted();
    // One JSON document on standard output, on one line.
    static void PrintJson(const QJsonObject& object);
    static void PrintJson(const QJsonArray& array);

    // CUserInteraction: messages go to stderr in English; questions take the answer the
    // options give (--yes accepts; otherwise the safe answer).
    int ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args = {}) override;
    int ShowText(const QString& text, Icon icon, Buttons buttons) override;
    bool Login(uint16_t expected) override;
    void SetProgressRange(int maximum) override { m_progressMax = maximum; }
    void SetProgressPos(int pos) override { m_progressPos = pos; }
    int GetProgressPos() const override { return m_progressPos; }

private:
    std::unique_ptr<CKorvalisControlApp> m_app;
    CConnection m_connection;
    QHash<QString, QString> m_options;
    int m_progressMax = 0;
    int m_progressPos = 0;
};
