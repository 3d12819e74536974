// SPDX-License-Identifier: GPL-3.0-or-later
// Maintenance mode: which sockets (800/801) and 1-10 V interfaces (814) the controller
// switches while the user works on the tank, each socket's state then (802/803) and each
// interface's level (804 + j), a number (815), and the check box that starts and ends
// maintenance mode at once (1058; 1101 = 4 while it is on).
#pragma once

#include <cstdint>

#include "ui/page/CMyPropertyPage.h"

class CMyListCtrl;
class QCheckBox;

class CPropertyPageMaintenance : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdMaintenance = 1801, IdSockets = 1802, IdInterfaces = 1803, IdValue = 1804 };
    static constexpr int kMode = 1101;
    static constexpr int kCommand = 1058;
    static constexpr int kMaintenanceMode = 4;

    CPropertyPageMaintenance();

    bool InMaintenance() const { return m_maintenance; }
    // What the lists make of the rows: the inclusion and state words of the sockets and the
    // interface levels and inclusion mask, over the bits no row shows.
    uint32_t SocketWord(int number) const;
    int Level(int row) const;

    void OnReset() override;

protected:
    void DeclareFields() override;
    void CreateControls() override;
    int ReadCount() const override { return CMyPropertyPage::ReadCount() + 1; }
    bool ReadValues() override;

private:
    int Sockets() const;
    int Interfaces() const;
    void FillSockets();
    void FillInterfaces();
    void TakeSockets();
    void TakeInterfaces();
    void SwitchMaintenance(bool on);

    bool m_maintenance = false;
    QCheckBox* m_box = nullptr;
    CMyListCtrl* m_sockets = nullptr;
    CMyListCtrl* m_interfaces = nullptr;
};
