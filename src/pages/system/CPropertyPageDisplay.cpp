// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CPropertyPageDisplay.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "params/CControllerView.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageDisplay);

namespace {
constexpr int kFirstMask = 771;
constexpr int kSecondMask = 772;

void AddItem(QListWidget* list, const QString& text, int bit) {
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setData(Qt::UserRole, bit);
}

uint32_t ShownBits(const QListWidget* list) {
    uint32_t bits = 0;
    for (int i = 0; i < list->count(); ++i) bits |= 1u << list->item(i)->data(Qt::UserRole).toInt();
    return bits;
}

uint32_t CheckedBits(const QListWidget* list) {
    uint32_t bits = 0;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            bits |= 1u << list->item(i)->data(Qt::UserRole).toInt();
    return bits;
}
}  // namespace

CPropertyPageDisplay::CPropertyPageDisplay() = default;

void CPropertyPageDisplay::DeclareFields() {
    PageTopic(612);
    Real(770, IdValue).Range(1, 60).Spin(1, 60);
    Hidden(kFirstMask);
    Hidden(kSecondMask);
    Combo(773, IdSelection, {Tr(33021), Tr(33022), Tr(33023)});
    m_first = MakeList(IdFirstList, kFirstMask);
    m_second = MakeList(IdSecondList, kSecondMask);
    FillItems();
}

QListWidget* CPropertyPageDisplay::MakeList(int id, int number) {
    auto* list = new QListWidget(this);
    list->setObjectName(QString::number(id));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    Bind(
        list,
        [this, list, number] {
            const uint32_t mask = uint32_t(FieldOf(number)->Value());
            for (int i = 0; i < list->count(); ++i) {
                QListWidgetItem* item = list->item(i);
                const bool on = (mask >> item->data(Qt::UserRole).toInt()) & 1u;
                item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
            }
        },
        [this, number] { FieldOf(number)->SetValue(Mask(number)); });
    connect(list, &QListWidget::itemChanged, this, [this, number] { ControlEdited(number); });
    return list;
}

void CPropertyPageDisplay::FillItems() {
    const QString channel = Tr(258);
    for (int n = 1; n <= 8; ++n) AddItem(m_first, channel + QLatin1Char(' ') + QString::number(n), n - 1);
    AddItem(m_first, Tr(325), 8);
    AddItem(m_first, Tr(326), 9);
    AddItem(m_first, Tr(115), 10);

    const CControllerView& app = Controller();
    for (const CSensor& s : app.Sensors()) {
        if (s.bitMask == 0) continue;
        int bit = 0;
        while (!((s.bitMask >> bit) & 1u)) ++bit;
        AddItem(m_second, s.title, bit);
    }
    if (app.Model() && app.Model()->levelChannels > 0) AddItem(m_second, Tr(181), 8);
}

uint32_t CPropertyPageDisplay::Mask(int number) const {
    const QListWidget* list = number == kFirstMask ? m_first : m_second;
    auto* self = const_cast<CPropertyPageDisplay*>(this);
    const uint32_t held = uint32_t(self->FieldOf(number)->Value());
    return (held & ~ShownBits(list)) | CheckedBits(list);
}

void CPropertyPageDisplay::CreateControls() {
    auto* general = new QGroupBox(Tr(33001), this);
    auto* form = new QFormLayout(general);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    Control(IdValue)->setMinimumWidth(90);
    form->addRow(Tr(33002), Control(IdValue));
    form->addRow(Tr(33003), Control(IdSelection));

    auto* firstBox = new QGroupBox(Tr(33004), this);
    auto* firstLayout = new QVBoxLayout(firstBox);
    firstLayout->addWidget(m_first);
    auto* secondBox = new QGroupBox(Tr(33005), this);
    auto* secondLayout = new QVBoxLayout(secondBox);
    secondLayout->addWidget(m_second);
    auto* note = new QLabel(Tr(33006), this);
    note->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(general, 0, 0, 1, 2);
    grid->addWidget(firstBox, 1, 0);
    grid->addWidget(secondBox, 1, 1);
    grid->addWidget(note, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
}
