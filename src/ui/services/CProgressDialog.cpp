// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CProgressDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"

std::unique_ptr<CProgressDialog> CProgressDialog::Open(QWidget* parent, bool* cancelFlag)
{
    auto dialog = std::make_unique<CProgressDialog>(parent, cancelFlag);
    dialog->show();
    QCoreApplication::processEvents();
    return dialog;
}

CProgressDialog::CProgressDialog(QWidget* parent, bool* cancelFlag)
    : QDialog(parent),
      m_cancelFlag(cancelFlag),
      m_bar(new QProgressBar(this)),
      m_itemText(new QLabel(this)),
      m_cancel(new QPushButton(this))
{
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_bar->setObjectName(QString::number(IdBar));
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_itemText->setObjectName(QString::number(IdItemText));
    m_itemText->setMinimumWidth(320);
    m_itemText->setTextFormat(Qt::PlainText);
    m_cancel->setObjectName(QString::number(IdCancel));
    m_cancel->setText(Tr(6120));
    m_cancel->setAutoDefault(false);
    m_cancel->setVisible(m_cancelFlag != nullptr);
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_itemText);
    layout->addLayout(buttons);
    SetRange(0);
}

CProgressDialog::~CProgressDialog() = default;

void CProgressDialog::SetRange(int maximum)
{
    m_bar->setRange(0, std::clamp(maximum, 0, 65535));
    SetPos(0);
}

void CProgressDialog::SetPos(int pos)
{
    m_pos = pos;
    m_bar->setValue(std::clamp(pos, m_bar->minimum(), m_bar->maximum()));
}

void CProgressDialog::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void CProgressDialog::SetItemText(const QString& text)
{
    m_itemText->setText(text);
}

void CProgressDialog::reject()
{
    if (!m_cancelFlag) return;
    *m_cancelFlag = true;
    QDialog::reject();
}

void CProgressDialog::closeEvent(QCloseEvent* event)
{
    // The title bar's close button counts as cancel; without a cancel flag it is refused.
    if (!m_cancelFlag) {
        event->ignore();
        return;
    }
    *m_cancelFlag = true;
    QDialog::closeEvent(event);
}
