// SPDX-License-Identifier: GPL-3.0-or-later
// The sockets: each socket's function word (684.., 820..) and name, the live states (1188),
// one option (819), and socket test mode (1101 = 5), in which clicks in the first column
// switch the sockets through the state mask.
#pragma once

#include <array>
#include <cstdint>

#include "pages/outputs/CSPFPara.h"
#include "ui/page/CMyPropertyPage.h"

class CRecordList;
class QCheckBox;
class QPushButton;
class QTreeWidgetItem;

class CPropertyPageSwitchplugFunctions300 : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdList = 1426, IdEdit = 1437, IdOption = 1436, IdTestMode = 1466, IdWizard = 1501 };
    static constexpr int kSockets = 24;
    static constexpr int kOption = 819;
    static constexpr int kStates = 1188;
    static constexpr int kMode = 1101;
    static constexpr int kTestMode = 5;

    CPropertyPageSwitchplugFunctions300();

    static int WordParameter(int socket) { return socket < 16 ? 684 + socket : 820 + socket - 16; }

    void SetTestMode(bool on);
    bool InTestMode() const { return m_testMode; }
    const CSPFPara& Socket(int k) const { return m_sockets[static_cast<size_t>(k)]; }
    uint32_t ShownMask() const { return m_lastShown; }
    // 1..4: off/on in test mode, off/on outside it.
    int StateImage(int socket) const;

    bool OnKillActive() override;
    void OnRemoving() override;

protected:
    void DeclareFields() override;
    void CreateControls() override;
    int ReadCount() const override { return kSockets + 1 + (m_testMode ? 1 : 0); }
    int WriteCount() const override { return kSockets + 1; }
    bool ReadValues() override;
    bool WriteValues() override;
    void OnRefreshTick() override;
    bool AcceptEdit(int key) override;
    void UpdateControlStates() override;

private:
    void FillList();
    void ShowStates();
    void EditSocket(int k);
    void RunWizard();
    void OnItemClicked(QTreeWidgetItem* item, int column);
    int SocketCount() const;

    std::array<CSPFPara, kSockets> m_sockets{};
    std::array<bool, kSockets> m_ticked{};  // test mode: the states the user clicked
    bool m_testMode = false;
    uint32_t m_mask = 0;
    uint32_t m_lastShown = 0;
    CRecordList* m_list = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_wizard = nullptr;
    QCheckBox* m_testBox = nullptr;
};
