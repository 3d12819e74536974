// SPDX-License-Identifier: GPL-3.0-or-later
// Programs a power strip on the controller's bus: page 1 chooses the kind of strip, the
// page for that kind takes the socket numbers (or the sockets), and the last page sends the
// command once (1054 = first socket number, 1055 = socket mask). Nothing is read.
#pragma once

#include <QWizard>
#include <cstdint>

class QVBoxLayout;
class QWizardPage;

class CProgPowerbarWiz1;
class CProgPowerbarWiz2;
class CProgPowerbarWiz3;
class CProgPowerbarWiz4;
class CProgPowerbarWiz5;

class CProgPowerbarWizard : public QWizard {
    Q_OBJECT
public:
    // Page identifiers: page n of the wizard is CProgPowerbarWiz<n>.
    enum Page { PageKind = 1, PageSix = 2, PageFour = 3, PageProgram = 4, PageSelected = 5 };
    static constexpr int kFirstSocketCommand = 1054;
    static constexpr int kSocketMaskCommand = 1055;

    explicit CProgPowerbarWizard(QWidget* parent = nullptr, uint16_t helpTopic = 0);

    int nextId() const override;
    // The pages the current choice leads through, from page 1 to the program page.
    QList<int> Sequence() const;
    bool IsProgrammed() const;
    // A page's layout with its template number and its explanation at the top.
    static QVBoxLayout* PageLayout(QWizardPage* page, int templateId, int introText);

private:
    void Program();
    void UseButtons(bool programmed);

    CProgPowerbarWiz1* m_kind;
    CProgPowerbarWiz2* m_six;
    CProgPowerbarWiz3* m_four;
    CProgPowerbarWiz4* m_program;
    CProgPowerbarWiz5* m_selected;
    uint16_t m_helpTopic;
};
