// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CDiscoveryDialogs.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "lang/CLanguage.h"
#include "ui/connections/CAskUser.h"
#include "ui/connections/CSelectIPAddress.h"

CDiscoveryDialogs::~CDiscoveryDialogs()
{
    EndProgress();
}

void CDiscoveryDialogs::BeginProgress(int titleId, int maximum)
{
    EndProgress();
    m_progress = new QProgressDialog(Tr(titleId), QString(), 0, maximum, m_parent);
    m_progress->setObjectName(QStringLiteral("discoveryProgress"));
    m_progress->setWindowTitle(Tr(titleId));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
}

void CDiscoveryDialogs::SetProgress(int position)
{
    if (m_progress)
        m_progress->setValue(position);
}

void CDiscoveryDialogs::EndProgress()
{
    delete m_progress;
    m_progress = nullptr;
}

void CDiscoveryDialogs::Repaint()
{
    // Paint only: no clicks or keys reach the program while the wait blocks.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool CDiscoveryDialogs::SelectAddress(const QStringList& addresses, QString& result)
{
    CSelectIPAddress dlg(addresses, result, m_parent);
    return dlg.exec() == QDialog::Accepted;
}

void CDiscoveryDialogs::ReportNoModule()
{
    CAskUser::Ask(m_parent, 412, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok);
}
