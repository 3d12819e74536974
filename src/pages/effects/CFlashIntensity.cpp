// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/effects/CFlashIntensity.h"

#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"

CFlashIntensity::CFlashIntensity(QWidget* parent) : CFieldDialog(272, parent) {
    setWindowTitle(Tr(27200));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    CEditSpin* intensity = BindEditSpin(IdIntensity, m_intensity, 1, 0, kMaximum);
    intensity->setMinimumWidth(80);
    form->addRow(Tr(27201), intensity);
    layout->addLayout(form);
    AddOkCancel(layout);
}

int CFlashIntensity::Intensity() const {
    return std::isfinite(m_intensity) ? int(std::clamp(std::trunc(m_intensity), 0.0, double(kMaximum))) : 0;
}
