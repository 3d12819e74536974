// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP end the Qt event loop normally (through a socket pair the
// handler writes to), so programs save their state and release their locks on the way out.
#pragma once

class CTerminationSignals {
public:
    // Call once, after the QCoreApplication exists.
    static void Catch();
};
