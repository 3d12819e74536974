// SPDX-License-Identifier: GPL-3.0-or-later
// One thing a virtual device does by itself (its clock runs, its values drift, its display
// follows the keys). A behaviour hooks into the device's read, write and silence hooks;
// it must outlive the device's use of the hooks.
#pragma once

class CBusDevice;

class CDeviceBehaviour {
public:
    virtual ~CDeviceBehaviour() = default;
    virtual void Attach(CBusDevice& device) = 0;
    // The device restarted: what it keeps only in its working memory starts afresh.
    virtual void Restart(CBusDevice& device) {}
    // Parameters this behaviour makes up as it goes; a saved device state leaves them out.
    virtual bool IsVolatile(int number) const { return false; }
};
