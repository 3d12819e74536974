// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/CPropertyPageOneToTenVInterface300.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "params/CControllerView.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/interfaces/CEditOneToTenVInt.h"
#include "pages/interfaces/CProgLED.h"
#include "pages/interfaces/CProgPTC.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CRecordList.h"
#include "ui/page/PageConversions.h"

KORVALIS_REGISTER_PAGE(CPropertyPageOneToTenVInterface300);

namespace {
const QString kNamesFile = QStringLiteral("OneToTenVDescriptions.dat");
constexpr double kMillivolts = 1000;

QPushButton* Button(int id, int text, QWidget* parent) {
    auto* b = new QPushButton(Tr(text), parent);
    b->setObjectName(QString::number(id));
    return b;
}

// Runs a modal dialog that the page may not outlive.
template <class Dialog>
void RunModal(QWidget* page) {
    QPointer<Dialog> dialog = new Dialog(page);
    dialog->exec();
    delete dialog;
}
}  // namespace

CPropertyPageOneToTenVInterface300::CPropertyPageOneToTenVInterface300() = default;

int CPropertyPageOneToTenVInterface300::Count() const {
    const ModelInfo* model = Controller().Model();
    return model ? std::clamp(int(model->interfaces110), 0, kMaxInterfaces) : 0;
}

void CPropertyPageOneToTenVInterface300::CreateControls() {
    static const int captions[5] = {StringId(250), StringId(243), StringId(251), StringId(252), StringId(291)};
    QStringList headers;
    for (int id : captions) headers << Tr(id);
    // The source column wider than the template: sensor sources carry a title and a word.
    m_list = new CRecordList(IdList, headers, {70, 220, 60, 60, 130}, this);
    m_list->SetRowCount(Count());
    for (int k = 0; k < Count(); ++k) m_list->SetText(k, 0, QStringLiteral("L%1").arg(k + 1));
    auto* edit = Button(IdEdit, 45301, this);
    m_list->SetEditButton(edit);
    connect(m_list, &CRecordList::editRequested, this, [this](int row) { EditInterface(row); });
    connect(m_list, &CRecordList::itemSelectionChanged, this, [this] { RefreshControlStates(); });
    m_progLED = Button(IdProgLED, 45302, this);
    m_progPTC = Button(IdProgPTC, 45303, this);
    connect(m_progLED, &QPushButton::clicked, this, [this] { ProgramLamp(); });
    connect(m_progPTC, &QPushButton::clicked, this, [this] { ProgramHeater(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progLED);
    buttons->addWidget(m_progPTC);
    buttons->addStretch(1);
    buttons->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    PageTopic(106);
}

bool CPropertyPageOneToTenVInterface300::ReadValues() {
    const QStringList names = LoadNames(kNamesFile, Count());
    for (int k = 0; k < Count(); ++k) {
        COneToTenVInterfacePara& in = m_interfaces[static_cast<size_t>(k)];
        const std::optional<double> source = Read(SourceParameter(k));
        if (!source) return false;
        const std::optional<double> lower = Read(LowerParameter(k));
        if (!lower) return false;
        const std::optional<double> upper = Read(UpperParameter(k));
        if (!upper) return false;
        in.source = static_cast<uint8_t>(static_cast<int64_t>(std::trunc(*source)) & 0xFF);
        in.lowerVoltage = *lower / kMillivolts;
        in.upperVoltage = *upper / kMillivolts;
        in.name = names.value(k);
    }
    return true;
}

bool CPropertyPageOneToTenVInterface300::WriteValues() {
    // The names are the PC's own: all of them are kept whatever the controller answers.
    QStringList names;
    for (int k = 0; k < Count(); ++k) names << m_interfaces[static_cast<size_t>(k)].name;
    SaveNames(kNamesFile, names);
    for (int k = 0; k < Count(); ++k) {
        if (!IsChanged(SourceParameter(k))) continue;
        const COneToTenVInterfacePara& in = m_interfaces[static_cast<size_t>(k)];
        if (WriteParam(SourceParameter(k), in.source) != 0) return false;
        for (const auto& [number, volts] : {std::pair{LowerParameter(k), in.lowerVoltage},
                                            std::pair{UpperParameter(k), in.upperVoltage}})
            if (WriteParam(number, double(PageConversions::DisplayToDevice(volts, kMillivolts))) != 0) return false;
    }
    return true;
}

void CPropertyPageOneToTenVInterface300::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) FillList();
}

void CPropertyPageOneToTenVInterface300::FillList() {
    if (!m_list) return;
    const auto volts = [](double v) { return QString::number(v, 'g', 15); };
    for (int k = 0; k < Count(); ++k) {
        const COneToTenVInterfacePara& in = m_interfaces[static_cast<size_t>(k)];
        m_list->SetText(k, 1, COneToTenVInterfacePara::SourceText(in.source, Controller().Sensors()));
        m_list->SetText(k, 2, volts(in.lowerVoltage));
        m_list->SetText(k, 3, volts(in.upperVoltage));
        m_list->SetText(k, 4, in.name);
    }
}

void CPropertyPageOneToTenVInterface300::UpdateControlStates() {
    if (m_progPTC) m_progPTC->setEnabled(Controller().FirmwareVersion() >= 402);
}

bool CPropertyPageOneToTenVInterface300::EditInterface(int k) {
    if (k < 0 || k >= Count()) return false;
    QPointer<CPropertyPageOneToTenVInterface300> self(this);
    QPointer<CEditOneToTenVInt> dialog = new CEditOneToTenVInt(this, m_interfaces[static_cast<size_t>(k)], k);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return false;
    if (ok) {
        m_interfaces[static_cast<size_t>(k)] = dialog->Record();
        MarkModified(true);
        SetChanged(SourceParameter(k));
        FillList();
        RefreshControlStates();
    }
    delete dialog;
    return ok;
}

void CPropertyPageOneToTenVInterface300::ProgramLamp() {
    RunModal<CProgLED>(this);
}

void CPropertyPageOneToTenVInterface300::ProgramHeater() {
    if (Controller().FirmwareVersion() >= 402) RunModal<CProgPTC>(this);
}
