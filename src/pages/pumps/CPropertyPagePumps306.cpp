// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/pumps/CPropertyPagePumps306.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "pages/pumps/CEditCurrentPump.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CRecordList.h"
#include "ui/page/PageConversions.h"

KORVALIS_REGISTER_PAGE(CPropertyPagePumps306);

namespace {
const QString kDescriptionFile = QStringLiteral("CurrentPumpDescriptions.dat");

struct GroupIds {
    int count, mode, timeA, timeB, low, unit, percent, high, captionA, captionB, text;
};
using P = CPropertyPagePumps306;
constexpr GroupIds kGroups[2] = {
    {P::IdCount1, P::IdMode1, P::IdTimeA1, P::IdTimeB1, P::IdIntervalLow1, P::IdUnit1,
     P::IdPercent1, P::IdIntervalHigh1, P::IdTimeCaptionA1, P::IdTimeCaptionB1, P::IdGroupText1},
    {P::IdCount2, P::IdMode2, P::IdTimeA2, P::IdTimeB2, P::IdIntervalLow2, P::IdUnit2,
     P::IdPercent2, P::IdIntervalHigh2, P::IdTimeCaptionA2, P::IdTimeCaptionB2, P::IdGroupText2},
};
// Offsets from the group's first parameter.
enum { OCount = 0, OMode = 1, OTimeA = 2, OTimeB = 3, OLow = 4, OUnit = 5, OPercent = 6, OHigh = 7 };

QString Percent(double value) {
    return QString::number(value, 'g', 15) + QLatin1Char('%');
}

QString PumpModeText(int mode) {
    static const int texts[3] = {StringId(297), StringId(298), StringId(400)};
    return mode >= 0 && mode < 3 ? Tr(texts[mode]) : QString::number(mode);
}
}  // namespace

CPropertyPagePumps306::CPropertyPagePumps306() = default;

bool CPropertyPagePumps306::IntervalHighShown() const {
    return Controller().FirmwareVersion() >= 407;
}

int CPropertyPagePumps306::Count(int g) {
    // Counts come unchecked from the device: the texts show what four pumps allow.
    const double v = FieldOf(GroupBase(g) + OCount)->Value();
    return int(std::clamp(v, 0.0, 4.0));
}

void CPropertyPagePumps306::DeclareFields() {
    Real(710, IdNumber).Range(1, 20).Spin(1, 20);
    Check(711, IdFlag, Tr(46803)).Bits(0, 1);
    KeepBits(711, 0);
    Check(860, IdNight, Tr(46804));
    Time(861, IdNightStart);
    Time(862, IdNightEnd);

    QStringList modes;
    for (int m = 0; m < 8; ++m) modes << TrArg(46820, {QString::number(m)});
    const QStringList units = {Tr(46830), Tr(46831), Tr(46832)};
    for (int g = 0; g < 2; ++g) {
        const GroupIds& id = kGroups[g];
        const int b = GroupBase(g);
        Real(b + OCount, id.count).Range(0, 4).Spin(0, 4);
        Combo(b + OMode, id.mode, modes);
        Duration(b + OTimeA, id.timeA);
        Duration(b + OTimeB, id.timeB);
        Combo(b + OUnit, id.unit, units);
        // Unit 2 carries the interval in tenths; the unit is read before the interval.
        const auto decode = [this, b](uint32_t raw, int32_t) {
            return FieldOf(b + OUnit)->Index() == 2 ? raw / 10.0 : double(raw);
        };
        const auto encode = [this, b](double value, uint32_t) {
            return PageConversions::DisplayToDevice(value, FieldOf(b + OUnit)->Index() == 2 ? 10 : 1);
        };
        Real(b + OLow, id.low, 10).Codec(decode, encode).Range(1, 60);
        Real(b + OHigh, id.high, 10).Codec(decode, encode).Range(1, 60).When([this] {
            return IntervalHighShown();
        });
        Real(b + OPercent, id.percent).Range(0, 100).Spin(0, 100);
        for (int t : {id.timeA, id.timeB})
            ControlAs<QTimeEdit>(t)->setTimeRange(QTime(0, 0, 1), QTime(6, 0, 0));
    }
    SetReadCount(41);
    PageTopic(161);
}

void CPropertyPagePumps306::CreateControls() {
    static const int captions[8] = {StringId(366), StringId(396), StringId(299), StringId(300),
                                    StringId(301), StringId(302), StringId(303), StringId(291)};
    QStringList headers;
    for (int id : captions) headers << Tr(id);
    m_list = new CRecordList(IdList, headers, {100, 80, 80, 80, 80, 80, 80, 130}, this);
    m_list->SetRowCount(4);
    for (int k = 0; k < 4; ++k) {
        m_list->SetText(k, 0, QString::number(k + 1));
        m_list->SetText(k, 1, QStringLiteral("---"));
    }
    m_list->FitRows(4);
    auto* edit = new QPushButton(Tr(46802), this);
    edit->setObjectName(QString::number(IdEdit));
    m_list->SetEditButton(edit);
    connect(m_list, &CRecordList::editRequested, this, [this](int row) { EditPump(row); });

    auto* common = new QGroupBox(Tr(46801), this);
    auto* commonGrid = new QGridLayout(common);
    commonGrid->addWidget(new QLabel(Tr(46805), common), 0, 0);
    commonGrid->addWidget(Control(IdNumber), 0, 1);
    commonGrid->addWidget(Control(IdFlag), 0, 2, 1, 2);
    commonGrid->addWidget(Control(IdNight), 1, 0, 1, 2);
    commonGrid->addWidget(new QLabel(Tr(46806), common), 1, 2);
    commonGrid->addWidget(Control(IdNightStart), 1, 3);
    commonGrid->addWidget(new QLabel(Tr(46807), common), 1, 4);
    commonGrid->addWidget(Control(IdNightEnd), 1, 5);
    commonGrid->setColumnStretch(6, 1);

    auto* groups = new QHBoxLayout;
    for (int g = 0; g < 2; ++g) {
        const GroupIds& id = kGroups[g];
        auto* box = new QGroupBox(TrArg(46810, {QString::number(g + 1)}), this);
        auto* grid = new QGridLayout(box);
        int row = 0;
        const auto add = [&](const QString& caption, QWidget* control, int captionId = 0,
                             QWidget* extra = nullptr) {
            auto* label = new QLabel(caption, box);
            if (captionId) label->setObjectName(QString::number(captionId));
            grid->addWidget(label, row, 0);
            grid->addWidget(control, row, 1);
            if (extra) grid->addWidget(extra, row, 2);
            ++row;
        };
        add(Tr(46811), Control(id.count));
        add(Tr(46812), Control(id.mode));
        add(Tr(46813), Control(id.timeA), id.captionA);
        add(Tr(46814), Control(id.timeB), id.captionB);
        add(Tr(46815), Control(id.low), 0, Control(id.unit));
        add(Tr(46816), Control(id.high), id.high * 10);
        add(Tr(46817), Control(id.percent));
        m_groupTexts[g] = new QLabel(box);
        m_groupTexts[g]->setObjectName(QString::number(id.text));
        m_groupTexts[g]->setWordWrap(true);
        grid->addWidget(m_groupTexts[g], row, 0, 1, 3);
        grid->setColumnStretch(3, 1);
        grid->setRowStretch(row + 1, 1);
        groups->addWidget(box, 1);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    layout->addWidget(common);
    layout->addLayout(groups, 1);
}

void CPropertyPagePumps306::ApplyIntervalRange(int g) {
    const int b = GroupBase(g);
    const bool tenths = FieldOf(b + OUnit)->Index() == 2;
    for (int n : {b + OLow, b + OHigh})
        FieldOf(n)->Range(tenths ? 0.4 : 1, tenths ? 6 : 60);
}

bool CPropertyPagePumps306::ReadValues() {
    for (int n : {710, 711, 860, 861, 862})
        if (!ReadField(n)) return false;
    const QStringList names = LoadNames(kDescriptionFile, 4);
    for (int k = 0; k < 4; ++k) {
        CurrentPumpRecord& p = m_pumps[size_t(k)];
        double* fields[4] = {&p.level1, &p.level2, &p.level3, &p.level4};
        for (int j = 0; j < 4; ++j) {
            const std::optional<double> v = Read(885 + 7 * k + j);
            if (!v) return false;
            *fields[j] = *v;
        }
        const std::optional<double> mode = Read(889 + 7 * k);
        if (!mode) return false;
        p.mode = int(std::clamp(*mode, -1.0, 255.0));
        p.name = names.value(k);
    }
    for (int g = 0; g < 2; ++g) {
        const int b = GroupBase(g);
        for (int n : {b + OCount, b + OMode, b + OTimeA, b + OTimeB, b + OUnit, b + OLow, b + OHigh, b + OPercent})
            if (!ReadField(n)) return false;
        ApplyIntervalRange(g);
    }
    return true;
}

void CPropertyPagePumps306::RepairBeforeWrite() {
    CPageField* g1 = FieldOf(GroupBase(0) + OCount);
    CPageField* g2 = FieldOf(GroupBase(1) + OCount);
    if (g1->Value() + g2->Value() >= 5) {
        g2->SetValue(std::max(0.0, 4 - g1->Value()));
        SetChanged(GroupBase(1) + OCount);
    }
    for (int g = 0; g < 2; ++g) {
        CPageField* a = FieldOf(GroupBase(g) + OTimeA);
        CPageField* b = FieldOf(GroupBase(g) + OTimeB);
        if (b->Value() < a->Value()) {
            b->SetValue(a->Value());
            SetChanged(GroupBase(g) + OTimeB);
        }
    }
    ShowFields();
}

bool CPropertyPagePumps306::WriteValues() {
    RepairBeforeWrite();
    // The names live on the PC: they are kept whole whether or not the controller takes
    // every value (the file is replaced atomically).
    QStringList names;
    for (const CurrentPumpRecord& p : m_pumps) names << p.name;
    SaveNames(kDescriptionFile, names);

    for (int n : {710, 711, 860, 861, 862})
        if (!WriteField(n)) return false;
    for (int k = 0; k < 4; ++k) {
        if (!IsChanged(PumpKey(k))) continue;
        const CurrentPumpRecord& p = m_pumps[size_t(k)];
        const double values[5] = {p.level1, p.level2, p.level3, p.level4, double(p.mode)};
        for (int j = 0; j < 5; ++j)
            if (WriteParam(885 + 7 * k + j, double(PageConversions::DisplayToDevice(values[j], 1))) != 0)
                return false;
    }
    // Group 2 before group 1, so a count that grows in one group finds room in the other.
    for (int g : {1, 0}) {
        const int b = GroupBase(g);
        for (int n : {b + OCount, b + OMode, b + OTimeA, b + OTimeB, b + OUnit, b + OLow, b + OHigh, b + OPercent})
            if (!WriteField(n)) return false;
    }
    return true;
}

void CPropertyPagePumps306::DoDataExchange(bool saveAndValidate) {
    if (saveAndValidate) return;
    FillList();
    FillGroupTexts();
}

void CPropertyPagePumps306::FillList() {
    if (!m_list) return;
    for (int k = 0; k < 4; ++k) {
        const CurrentPumpRecord& p = m_pumps[size_t(k)];
        m_list->SetText(k, 2, Percent(p.level1));
        m_list->SetText(k, 3, Percent(p.level2));
        m_list->SetText(k, 4, Percent(p.level3));
        m_list->SetText(k, 5, Percent(p.level4));
        m_list->SetText(k, 6, PumpModeText(p.mode));
        m_list->SetText(k, 7, p.name);
    }
}

QString CPropertyPagePumps306::GroupText(int g) const {
    auto* self = const_cast<CPropertyPagePumps306*>(this);
    const int g1 = self->Count(0);
    const int first = g == 0 ? 1 : g1 + 1;
    const int last = g == 0 ? g1 : std::min(4, g1 + self->Count(1));
    if (last < first) return Tr(307);
    QStringList pumps;
    for (int k = first; k <= last; ++k) pumps << QString::number(k);
    return TrArg(306, {QString::number(g + 1), pumps.join(QStringLiteral(", "))});
}

void CPropertyPagePumps306::FillGroupTexts() {
    for (int g = 0; g < 2; ++g)
        if (m_groupTexts[g]) m_groupTexts[g]->setText(GroupText(g));
}

bool CPropertyPagePumps306::EditPump(int k) {
    if (k < 0 || k >= 4) return false;
    if (!EditInDialog<CEditCurrentPump>(m_pumps[size_t(k)], PumpKey(k), k + 1)) return false;
    FillList();
    return true;
}

void CPropertyPagePumps306::OnValueEdited(int key) {
    for (int g = 0; g < 2; ++g) {
        const int b = GroupBase(g);
        if (key == b + OCount) {
            CPageField* own = FieldOf(b);
            CPageField* other = FieldOf(GroupBase(1 - g));
            own->SetValue(std::clamp(own->Value(), 0.0, 4.0));
            if (own->Value() + other->Value() > 4) {
                other->SetValue(4 - own->Value());
                SetChanged(other->ChangeKey());
            }
            ShowFields();
        } else if (key == b + OUnit) {
            const double reset = FieldOf(b + OUnit)->Index() == 2 ? 1.0 : 10.0;
            ApplyIntervalRange(g);
            FieldOf(b + OLow)->SetValue(reset);
            FieldOf(b + OHigh)->SetValue(reset);
            SetChanged(b + OLow);
            SetChanged(b + OHigh);
            ShowFields();
        } else if (key == b + OHigh || key == b + OLow) {
            // Interval high never lies below interval low, whichever of the two was edited:
            // raising low above high takes high along.
            CPageField* low = FieldOf(b + OLow);
            CPageField* high = FieldOf(b + OHigh);
            if (high->Value() < low->Value()) {
                high->SetValue(std::min(low->Value(), high->Maximum()));
                SetChanged(high->ChangeKey());
                ShowFields();
            }
        }
    }
}

void CPropertyPagePumps306::OnRefreshTick() {
    if (!m_list) return;
    for (int k = 0; k < 4; ++k) {
        if (ReadParam(1080 + k, true) != 0) return;
        m_list->SetText(k, 1, Percent(LastValue()));
    }
}

void CPropertyPagePumps306::UpdateControlStates() {
    for (int g = 0; g < 2; ++g) {
        const GroupIds& id = kGroups[g];
        const int mode = FieldOf(GroupBase(g) + OMode)->Index();
        const bool times = mode >= 3 && mode <= 7;
        for (int c : {id.timeA, id.timeB, id.captionA, id.captionB})
            if (QWidget* w = Control(c)) w->setVisible(times);
        for (int c : {id.high, id.high * 10})
            if (QWidget* w = Control(c)) w->setVisible(IntervalHighShown());
    }
}
