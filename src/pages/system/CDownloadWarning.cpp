// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/system/CDownloadWarning.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "lang/CLanguage.h"
#include "firmware/CFirmwareTransfer.h"

namespace {
std::function<bool()>& Handler()
{
    static std::function<bool()> handler;
    return handler;
}
}  // namespace

bool CDownloadWarning::Ask(QWidget* parent)
{
    if (Handler())
        return Handler()();
    CDownloadWarning dialog(parent);
    return dialog.exec() == QDialog::Accepted && dialog.Confirm()->isChecked();
}

void CDownloadWarning::SetHandler(std::function<bool()> handler)
{
    Handler() = std::move(handler);
}

CDownloadWarning::CDownloadWarning(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("202"));
    setWindowTitle(Tr(20201));
    auto* layout = new QVBoxLayout(this);

    m_text = new QTextEdit(this);
    m_text->setObjectName(QString::number(IdText));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);
    m_text->setPlainText(CFirmwareTransfer::DownloadWarningText());
    m_text->setMinimumSize(520, 360);
    layout->addWidget(m_text, 1);

    m_confirm = new QCheckBox(Tr(20202), this);
    m_confirm->setObjectName(QString::number(IdConfirm));
    layout->addWidget(m_confirm);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    m_ok->setEnabled(false);
    // Cancel is the default, so Enter never confirms a warning that was not read.
    m_ok->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    layout->addWidget(buttons);

    connect(m_confirm, &QCheckBox::toggled, m_ok, &QPushButton::setEnabled);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_confirm->isChecked())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}
