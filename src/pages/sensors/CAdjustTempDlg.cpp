// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/sensors/CAdjustTempDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QButtonGroup>
#include <QVBoxLayout>
#include <cmath>

#include "base/SensorParameters.h"
#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/services/CMessageService.h"

CAdjustTempDlg::CAdjustTempDlg(CMyPropertyPage* page, int input)
    : CFieldDialog(273, page), m_page(page), m_input(input) {
    setWindowTitle(Tr(27301));
    auto* layout = new QVBoxLayout(this);
    QButtonGroup* group = BindRadio({IdAdd, IdSubtract}, m_direction, {Tr(27302), Tr(27303)});
    auto* radios = new QHBoxLayout;
    for (QAbstractButton* b : group->buttons()) radios->addWidget(b);
    radios->addStretch(1);
    layout->addLayout(radios);
    auto* form = new QFormLayout;
    CEditSpin* amount = BindEditSpin(IdAmount, m_amount, 10, 0, 10);
    amount->setMinimumWidth(90);
    form->addRow(Tr(27304), amount);
    layout->addLayout(form);
    AddOkCancel(layout);
}

std::optional<std::pair<int64_t, int64_t>> CAdjustTempDlg::Shifted(double r1, double r2, double a1,
                                                                   double a2, double amount) {
    // In single precision, as the controller's own tool computes it.
    const float span = float(r2) / 10.0f - float(r1) / 10.0f;
    if (span == 0.0f) return std::nullopt;
    const float shift = (float(a2) - float(a1)) * float(amount) / span;
    const float n1 = float(a1) - shift;
    const float n2 = float(a2) - shift;
    auto fits = [](float v) { return std::isfinite(v) && v >= 0.0f && v <= 4294967295.0f; };
    if (!std::isfinite(shift) || !fits(n1) || !fits(n2)) return std::nullopt;
    return std::make_pair(int64_t(n1), int64_t(n2));
}

bool CAdjustTempDlg::Validate() {
    using SensorParameters::Number;
    if (!m_before) {
        std::array<double, 4> read{};
        for (int k = 0; k < 4; ++k) {
            const std::optional<double> r = m_page->Read(Number(m_input, 10 + k));
            if (!r) return false;
            read[size_t(k)] = *r;
        }
        m_before = read;
    }
    const std::array<double, 4>& v = *m_before;
    const double amount = m_direction == 1 ? -m_amount : m_amount;
    const auto shifted = Shifted(v[0], v[1], v[2], v[3], amount);
    if (!shifted) {
        CMessageService::ShowMessage(27305, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok, {}, this);
        return false;
    }
    // A failed write is reported by the page's access (message 354) and keeps the dialog.
    if (m_page->WriteParam(Number(m_input, 12), double(shifted->first)) != 0) return false;
    return m_page->WriteParam(Number(m_input, 13), double(shifted->second)) == 0;
}
