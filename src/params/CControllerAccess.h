// SPDX-License-Identifier: GPL-3.0-or-later
// What the settings-file and firmware commands need of the connected controller: its link,
// what the connect sequence learned about it, the transfer flag and the user interaction.
// The application object implements it; the caller hands it to the command.
#pragma once

#include <QString>
#include <cstdint>

#include "base/CParameterAccess.h"
#include "params/CControllerView.h"

class CByteChannel;
class CConnection;
class CSWMBus;
class CUserInteraction;

class CControllerAccess : public CParameterAccess, public CControllerView {
public:
    virtual CSWMBus* Bus() const = 0;
    virtual CByteChannel* Channel() const = 0;
    // The connection in use; a restore that moves the controller to another bus address
    // changes its address.
    virtual CConnection& CurrentConnection() = 0;

    // The folder of the parameter-list files.
    virtual QString ParameterListFolder() const = 0;
    // Null when nobody can be asked.
    virtual CUserInteraction* UserInteraction() const = 0;

    // While set, page refresh ticks, the alert cycle, menu commands and page activations do
    // nothing; see TransferScope.
    virtual bool IsTransferInProgress() const = 0;
    virtual void SetTransferInProgress(bool on) = 0;

    // Closes the link (descriptions are saved first) and brings the title up to date.
    virtual void Disconnect() = 0;
    virtual void UpdateTitle() = 0;

    // Scoped transfer flag; nested scopes restore the outer state instead of clearing it early.
    class TransferScope {
    public:
        explicit TransferScope(CControllerAccess& controller)
            : m_controller(controller), m_previous(controller.IsTransferInProgress())
        {
            m_controller.SetTransferInProgress(true);
        }
        ~TransferScope() { m_controller.SetTransferInProgress(m_previous); }
        TransferScope(const TransferScope&) = delete;
        TransferScope& operator=(const TransferScope&) = delete;

    private:
        CControllerAccess& m_controller;
        bool m_previous;
    };
};
