// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/pumps/CPropertyPageDosingPumps.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/pumps/CEditDosingPump.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CRecordList.h"
#include "ui/page/PageConversions.h"

KORVALIS_REGISTER_PAGE(CPropertyPageDosingPumps);

namespace {
const QString kDescriptionFile = QStringLiteral("DosingPumpsDescriptions.dat");

int First(int i) { return 828 + 3 * i; }
}  // namespace

CPropertyPageDosingPumps::CPropertyPageDosingPumps() = default;

int CPropertyPageDosingPumps::ShownCount() const {
    const ModelInfo* model = Controller().Model();
    return model ? std::clamp(int(model->dosingPumps), 0, kPumps) : 0;
}

void CPropertyPageDosingPumps::CreateControls() {
    static const int captions[5] = {StringId(275), StringId(277), StringId(278), StringId(279),
                                    StringId(291)};
    QStringList headers;
    for (int id : captions) headers << Tr(id);
    m_list = new CRecordList(IdList, headers, {80, 100, 110, 110, 130}, this);
    m_list->SetRowCount(ShownCount());
    for (int i = 0; i < ShownCount(); ++i) m_list->SetText(i, 0, QString::number(i + 1));
    auto* edit = new QPushButton(Tr(46802), this);
    edit->setObjectName(QString::number(IdEdit));
    m_list->SetEditButton(edit);
    connect(m_list, &CRecordList::editRequested, this, [this](int row) { EditPump(row); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    PageTopic(276);
}

bool CPropertyPageDosingPumps::ReadValues() {
    const QStringList names = LoadNames(kDescriptionFile, kPumps);
    for (int i = 0; i < kPumps; ++i) {
        CDosingPumpPara& p = m_pumps[size_t(i)];
        double* fields[3] = {&p.valueA, &p.valueB, &p.valueC};
        for (int j = 0; j < 3; ++j) {
            const std::optional<double> v = Read(First(i) + j);
            if (!v) return false;
            *fields[j] = *v;
        }
        p.name = names.value(i);
    }
    return true;
}

bool CPropertyPageDosingPumps::WriteValues() {
    // The names are the PC's own: kept whole whatever the controller answers.
    QStringList names;
    for (const CDosingPumpPara& p : m_pumps) names << p.name;
    SaveNames(kDescriptionFile, names);
    // Only the model's pumps can be edited, so only theirs are ever written.
    for (int i = 0; i < ShownCount(); ++i) {
        if (!IsChanged(PumpKey(i))) continue;
        const CDosingPumpPara& p = m_pumps[size_t(i)];
        for (const auto& [n, v] : {std::pair{First(i), p.valueA}, std::pair{First(i) + 1, p.valueB},
                                   std::pair{First(i) + 2, p.valueC}})
            if (WriteParam(n, double(PageConversions::DisplayToDevice(v, 1))) != 0) return false;
    }
    return true;
}

void CPropertyPageDosingPumps::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) FillList();
}

void CPropertyPageDosingPumps::FillList() {
    if (!m_list) return;
    const auto number = [](double v) { return QString::number(v, 'g', 15); };
    for (int i = 0; i < ShownCount(); ++i) {
        const CDosingPumpPara& p = m_pumps[size_t(i)];
        m_list->SetText(i, 1, number(p.valueA));
        m_list->SetText(i, 2, number(p.valueB));
        m_list->SetText(i, 3, number(p.valueC));
        m_list->SetText(i, 4, p.name);
    }
}

bool CPropertyPageDosingPumps::EditPump(int i) {
    if (i < 0 || i >= ShownCount()) return false;
    if (!EditInDialog<CEditDosingPump>(m_pumps[size_t(i)], PumpKey(i), i + 1)) return false;
    FillList();
    return true;
}
