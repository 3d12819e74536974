// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/remote/CPropertyPageRemote.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "params/CControllerView.h"
#include "app/CTimerStop.h"
#include "base/ModelInfo.h"
#include "lang/CLanguage.h"
#include "pages/remote/CFrontKorvalisB.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageRemote);

CPropertyPageRemote::CPropertyPageRemote()
{
    // Keys reach the panel while the page has the focus.
    setFocusPolicy(Qt::StrongFocus);
}

bool CPropertyPageRemote::InitHelpTopics()
{
    m_pageHelpTopic = 113;
    return true;
}

void CPropertyPageRemote::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(Tr(20401), this);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_front = new CFrontKorvalisB(this);
    m_front->setObjectName(QStringLiteral("1365"));
    m_front->onKeyPressed = [this](uint8_t code) { PressKey(code); };
    layout->addStretch(1);
    layout->addWidget(m_front, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(hint);
    layout->addStretch(2);
}

void CPropertyPageRemote::OnRefreshTick()
{
    const CControllerView& app = Controller();
    if (!app.IsConnected() || !m_front)
        return;
    // A failed read shows its message through the page base and leaves the picture alone.
    if (ReadParam(1151) != 0)
        return;
    const QByteArray line1 = LastText();
    if (ReadParam(1152) != 0)
        return;
    const QByteArray line2 = LastText();
    if (ReadParam(1153) != 0)
        return;
    const QByteArray attributes = LastText();
    bool lamp = false;
    const int code = app.Model() ? app.Model()->productCode : 0;
    if (code == 3 || code == 4 || code == 8) {
        if (ReadParam(1132) != 0)
            return;
        lamp = LastValue() == 0;
    }
    m_front->SetDisplay(line1, line2, attributes, lamp);
}

void CPropertyPageRemote::PressKey(uint8_t code)
{
    if (code == 0 || IsTransferInProgress())
        return;
    CTimerStop stop;
    WriteParam(1150, code);
}

uint8_t CPropertyPageRemote::KeyCodeFor(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left: return 1;
    case Qt::Key_Right: return 2;
    case Qt::Key_Up: return 3;
    case Qt::Key_Down: return 4;
    case Qt::Key_Escape: return 5;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 6;
    case Qt::Key_1: return 7;
    case Qt::Key_2: return 8;
    case Qt::Key_3: return 10;
    case Qt::Key_4: return 9;
    case Qt::Key_5: return 12;
    default: return 0;
    }
}

void CPropertyPageRemote::keyPressEvent(QKeyEvent* event)
{
    const uint8_t code = KeyCodeFor(event->key());
    if (code == 0 || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return CMyPropertyPage::keyPressEvent(event);
    PressKey(code);
    event->accept();
}
