// SPDX-License-Identifier: GPL-3.0-or-later
// Power-strip wizard, strip whose sockets are chosen one by one: six boxes, box i is bit i-1
// of the command.
#pragma once

#include <QWizardPage>
#include <array>

class QCheckBox;

class CProgPowerbarWiz5 : public QWizardPage {
    Q_OBJECT
public:
    enum Id { IdFirstBox = 1513 };
    static constexpr int kBoxes = 6;

    explicit CProgPowerbarWiz5(QWidget* parent = nullptr);

    int Mask() const;

private:
    std::array<QCheckBox*, kBoxes> m_boxes{};
};
