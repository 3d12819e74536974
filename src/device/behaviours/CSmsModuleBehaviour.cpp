// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CSmsModuleBehaviour.h"

#include "device/CBusDevice.h"
#include "device/CDeviceModel.h"
#include "link/CFrameCodec.h"

namespace {
constexpr int kPuk = 9;
constexpr int kActive = 86;
constexpr int kTerminal = 2056;
constexpr int kTest = 2057;
constexpr int kStatus = 2050;
constexpr int kStatusFlag = 2051;
constexpr int kValue = 2058;
constexpr int kState = 2059;
constexpr int kSent = 2061;
constexpr char kEscape = 27;
constexpr int kMaxLine = 256;  // a terminal line longer than this is dropped

void Entry(CBusDevice& d, int slot, const char* recipient, const char* text, int event,
           int condition, int minutes) {
    const int b = 100 + 30 * slot;
    d.SetText(b, recipient);
    d.SetText(b + 10, text);
    d.SetValue(b + 20, event | (condition << 8));
    d.SetValue(b + 21, minutes);
    d.SetValue(b + 22, 3);
    d.SetValue(b + 23, 0);
    d.SetValue(b + 24, 5);
}
}  // namespace

void CSmsModuleBehaviour::Attach(CBusDevice& device) {
    bool empty = true;
    for (int i = 0; i < 30 && empty; ++i)
        empty = device.Text(100 + 30 * i).replace('\0', QByteArray()).isEmpty();
    if (empty) {
        Entry(device, 0, "+4915112345678", "Alarm aquarium", 1, 2, 30);
        Entry(device, 2, "+4917098765432", "Power failure", 3, 3, 8 * 60);
        Entry(device, 5, "+4930123456", "Daily report", 9, 3, 18 * 60 + 30);
        device.SetValue(8, 4711);
        device.SetValue(kActive, 1);
        device.SetValue(89, 120);
        device.SetText(90, "+4915199999999");
    }
    Restart(device);
    device.AddBeforeRead([this](CBusDevice& d, int n) { BeforeRead(d, n); });
    device.AddAfterWrite([this](CBusDevice& d, int n) { AfterWrite(d, n); });
}

void CSmsModuleBehaviour::Restart(CBusDevice& device) {
    m_reads = 0;
    m_terminal = false;
    m_line.clear();
    device.SetValue(kState, StateStarting);
    device.SetValue(kValue, 380);
    device.SetValue(kStatus, 0);
    device.SetValue(kStatusFlag, 0);
    if (!device.Has(kSent)) device.SetValue(kSent, 0);
}

bool CSmsModuleBehaviour::IsVolatile(int number) const {
    return number == kState || number == kValue || number == kStatus || number == kStatusFlag;
}

void CSmsModuleBehaviour::BeforeRead(CBusDevice& d, int number) {
    if (number == kValue) {
        // A slow triangle across the bar's range, so the page shows it move.
        const int step = static_cast<int>(++m_reads % 60);
        d.SetValue(kValue, 350 + (step < 30 ? step : 60 - step) * 2);
    } else if (number == kState) {
        const int64_t s = d.Value(kState);
        // Start-up: starting, waiting for the SIM, registering, then registered.
        if (s == StateStarting) d.SetValue(kState, 2);
        else if (s == 2) d.SetValue(kState, 4);
        else if (s == 4) d.SetValue(kState, StateRegistered);
    } else if (number == kStatus) {
        const bool registered = d.Value(kState) == StateRegistered;
        d.SetValue(kStatus, (d.Value(kActive) ? 1 : 0) | (registered ? 2 : 0));
    }
}

void CSmsModuleBehaviour::AfterWrite(CBusDevice& d, int number) {
    if (number == kPuk && d.Value(kState) == StatePukNeeded) {
        d.SetValue(kState, StateRegistered);
    } else if (number == kTest) {
        d.SetValue(kSent, d.Value(kSent) + 1);
    } else if (number == kTerminal && d.Value(kTerminal) == 1) {
        m_terminal = true;
        m_armed = true;
        m_line.clear();
        d.SetValue(kTerminal, 0);
        if (!m_handlerInstalled) {
            // In front of whoever had the line's raw bytes before (the boot loader).
            m_handlerInstalled = true;
            m_model.SetRawHandler([this, next = m_model.GetRawHandler()](const QByteArray& in, QByteArray& out) {
                return Terminal(in, out) || (next && next(in, out));
            });
        }
    }
}

bool CSmsModuleBehaviour::Terminal(const QByteArray& in, QByteArray& out) {
    if (!m_terminal) return false;
    if (m_armed) {
        // The acknowledgement of the 2056 write still goes out as a bus frame (the PC polls
        // for it separately); the modem takes the line with the first byte of no frame.
        if (in.isEmpty() || in[0] == BusByte::SOH) return false;
        m_armed = false;
    }
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == kEscape) {
            // Back on the bus: what follows the escape (the PC's next request, sent right
            // behind it) is bus frames again.
            m_terminal = false;
            m_line.clear();
            out.append(m_model.Feed(in.mid(i + 1)));
            return true;
        }
        out.append(c);
        if (c == '\r') {
            out.append(m_line.trimmed().toUpper().startsWith("AT") ? "\r\nOK\r\n" : "\r\nERROR\r\n");
            m_line.clear();
        } else if (c != '\n' && m_line.size() < kMaxLine) {
            m_line.append(c);
        }
    }
    return true;
}
