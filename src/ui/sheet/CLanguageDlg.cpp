// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CLanguageDlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

namespace {
CLanguageDlg::Handler g_handler;

// Each language named in itself, so the choice is readable whichever catalogue is loaded.
const char* const kNames[3] = {"Deutsch", "English", "Fran\u00e7ais"};
}  // namespace

CLanguageDlg::CLanguageDlg(int language, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("221"));
    QString title = Tr(22101);
    setWindowTitle(title.isEmpty() ? QStringLiteral("Language / Sprache / Langue") : title);
    auto* layout = new QVBoxLayout(this);
    QString prompt = Tr(22102);
    auto* label =
        new QLabel(prompt.isEmpty() ? QStringLiteral("Language / Sprache / Langue") : prompt, this);
    layout->addWidget(label);
    m_group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(kNames[i]), this);
        b->setObjectName(QStringLiteral("language%1").arg(i));
        m_group->addButton(b, i);
        layout->addWidget(b);
    }
    if (QAbstractButton* b = m_group->button(language >= 0 && language <= 2 ? language : 0))
        b->setChecked(true);
    auto* buttons = new QDialogButtonBox(this);
    QString ok = Tr(31121);
    QString cancel = Tr(31122);
    buttons->addButton(ok.isEmpty() ? QStringLiteral("OK") : ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel.isEmpty() ? QStringLiteral("Cancel") : cancel,
                       QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(280);
}

int CLanguageDlg::Language() const {
    return std::max(0, m_group->checkedId());
}

std::optional<int> CLanguageDlg::Ask(int current, QWidget* parent) {
    if (g_handler) return g_handler(current);
    CLanguageDlg dlg(current, parent);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.Language();
}

void CLanguageDlg::SetHandler(Handler handler) {
    g_handler = std::move(handler);
}
