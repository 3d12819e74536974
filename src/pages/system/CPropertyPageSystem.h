// SPDX-License-Identifier: GPL-3.0-or-later
// The controller and its expansion modules (1129; per module 1137+k, 1154+k, 1157+k) as a
// tree with the properties of the selected node, and the commands for the firmware transfer
// and for a network module's settings.
#pragma once

#include <vector>

#include "ui/page/CMyPropertyPage.h"

struct ModuleInfo;
class QPushButton;
class QTreeWidget;

class CPropertyPageSystem : public CMyPropertyPage {
    Q_OBJECT
public:
    enum Id { IdTree = 1561, IdProperties = 1562, IdFirmware = 1563, IdNetwork = 1564 };
    static constexpr int kModuleCount = 1129;
    // The page has room for three modules; their sensor slots 2k+3, 2k+4 end at input 8.
    static constexpr int kMaxModules = 3;

    struct Module {
        int index = 0;  // k
        int kind = 0;   // connection kind (1137 + k)
        int version = 0;
        int code = 0;
        const ModuleInfo* info = nullptr;
    };

    CPropertyPageSystem();

    const std::vector<Module>& Modules() const { return m_modules; }
    int ReportedModules() const { return m_reported; }
    // The selected node's properties as caption and value.
    QList<QPair<QString, QString>> Properties() const;
    static QString KindText(int kind);

protected:
    void CreateControls() override;
    int ReadCount() const override { return 1 + 3 * kMaxModules; }
    bool ReadValues() override;
    void UpdateControlStates() override;

private:
    void BuildTree();
    void ShowProperties();
    const Module* SelectedModule() const;
    bool ControllerSelected() const;
    void ConfigureNetworkModule();
    QList<QPair<QString, QString>> ControllerProperties() const;
    QList<QPair<QString, QString>> ModuleProperties(const Module& m) const;

    std::vector<Module> m_modules;
    int m_reported = 0;
    QTreeWidget* m_tree = nullptr;
    QTreeWidget* m_properties = nullptr;
    QPushButton* m_firmware = nullptr;
    QPushButton* m_network = nullptr;
};
