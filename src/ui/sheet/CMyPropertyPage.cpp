// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CMyPropertyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimeEdit>
#include <cmath>

#include "app/CEnableProgressTicking.h"
#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "link/CSWMBus.h"
#include "ui/sheet/CEditSpin.h"
#include "ui/sheet/CHelpViewer.h"
#include "ui/sheet/CMessageService.h"
#include "ui/sheet/CMyPropertySheet.h"
#include "ui/sheet/CUpdate.h"
#include "ui/sheet/PageConversions.h"

CMyPropertyPage::CMyPropertyPage(QWidget* parent) : QWidget(parent) {
    m_refreshTimer.setInterval(100);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CMyPropertyPage::RefreshTick);
}

CMyPropertyPage::~CMyPropertyPage() = default;

CKorvalisControlApp& CMyPropertyPage::App() {
    return CKorvalisControlApp::Instance();
}

// --- lifecycle ---------------------------------------------------------------------------------

bool CMyPropertyPage::InitHelpTopics() {
    m_pageHelpTopic = 1;
    return true;
}

void CMyPropertyPage::StopRefresh() {
    if (m_refreshing) {
        m_refreshTimer.stop();
        m_refreshing = false;
    }
}

void CMyPropertyPage::StartRefresh() {
    if (!m_refreshing) {
        m_refreshTimer.start();
        m_refreshing = true;
    }
}

void CMyPropertyPage::EnsureInitialised() {
    if (m_initialised) return;
    m_initialised = true;
    InitHelpTopics();
    {
        CUpdate update(m_fillingControls);
        CreateControls();
        UpdateData(false);
    }
    UpdateControlStates();
}

bool CMyPropertyPage::OnSetActive() {
    EnsureInitialised();
    if (m_sheet) m_sheet->SelectTreeItemOf(this);
    UpdateSheetButtons();
    ReadPage(false);
    // A failed read may have moved the sheet to the General page meanwhile.
    if (m_sheet && m_sheet->ActivePage() != this) return false;
    StartRefresh();
    m_active = true;
    if (m_everActivated) {
        CUpdate update(m_fillingControls);
        UpdateData(false);
    }
    m_everActivated = true;
    return true;
}

bool CMyPropertyPage::OnKillActive() {
    StopRefresh();
    m_active = false;
    return true;
}

void CMyPropertyPage::UpdateData(bool saveAndValidate) {
    for (Binding& b : m_bindings) {
        if (!b.control) continue;
        if (saveAndValidate)
            b.toField();
        else
            b.toControl();
    }
    DoDataExchange(saveAndValidate);
}

void CMyPropertyPage::ReadPage(bool force) {
    CUpdate update(m_fillingControls);
    CKorvalisControlApp& app = App();
    if (app.simulationMode || !app.model || (!force && m_read)) return;
    CTimerStop timerStop;
    CEnableProgressTicking ticking(ReadCount());
    m_read = false;
    if (!ReadValues()) return;
    m_read = true;
    UpdateData(false);
    UpdateControlStates();
    MarkModified(false);
    UpdateControlStates();
}

void CMyPropertyPage::WritePage() {
    if (App().simulationMode) return;
    CTimerStop timerStop;
    CEnableProgressTicking ticking(WriteCount());
    UpdateData(true);
    if (!WriteValues()) return;
    MarkModified(false);
    UpdateControlStates();
}

void CMyPropertyPage::MarkModified(bool modified) {
    if (!modified) {
        m_changed.clear();
        m_allChanged = false;
    }
    m_modified = modified;
    if (m_sheet) m_sheet->PageChanged(this, modified);
    Q_EMIT modifiedChanged(modified);
}

void CMyPropertyPage::MarkAllChanged() {
    m_allChanged = true;
    MarkModified(true);
}

void CMyPropertyPage::UpdateSheetButtons() {
    if (m_sheet) m_sheet->UpdateSheetButtons(this);
}

// --- refresh tick ------------------------------------------------------------------------------

void CMyPropertyPage::RefreshTick() {
    // A message shown from inside a tick runs its own event loop, which would deliver the
    // next tick into the unfinished one.
    if (m_inTick) return;
    OnAnyTick();
    CKorvalisControlApp& app = App();
    if (app.simulationMode || app.IsTransferInProgress()) return;
    m_inTick = true;
    QPointer<CMyPropertyPage> self(this);
    OnRefreshTick();
    if (!self) return;
    if (m_refreshing && App().Bus()) App().Bus()->KeepAlive();
    m_inTick = false;
}

// --- access operations -------------------------------------------------------------------------

void CMyPropertyPage::AccessFailed(bool quiet) {
    if (m_inTick) StopRefresh();
    if (m_sheet) {
        m_sheet->AccessFailed(quiet);
        return;
    }
    if (!quiet)
        CMessageService::ShowMessage(354, CMessageService::Icon::Stop, CMessageService::Buttons::Ok,
                                     {}, this);
}

uint16_t CMyPropertyPage::ReadParam(int number, bool quiet, bool toSmsModule) {
    const uint16_t status = App().ReadParameter(number, toSmsModule);
    if (status != 0) AccessFailed(quiet);
    return status;
}

uint16_t CMyPropertyPage::WriteParam(int number, double value, bool quiet, bool toSmsModule) {
    const uint16_t status = App().WriteParameter(number, value, toSmsModule);
    if (status != 0) AccessFailed(quiet);
    return status;
}

uint16_t CMyPropertyPage::WriteTextParam(int number, const QByteArray& bytes, bool quiet,
                                         bool toSmsModule) {
    const uint16_t status = App().WriteTextParameter(number, bytes, toSmsModule);
    if (status != 0) AccessFailed(quiet);
    return status;
}

double CMyPropertyPage::LastValue() const {
    return App().GetLastValue();
}

double CMyPropertyPage::LastSignedValue() const {
    return App().GetLastSignedValue();
}

QByteArray CMyPropertyPage::LastText() const {
    return App().GetLastText();
}

bool CMyPropertyPage::ReadValue(int number, double& field, double factor, bool isSigned,
                                bool toSmsModule) {
    if (ReadParam(number, false, toSmsModule) != 0) return false;
    field = PageConversions::DeviceToDisplay(isSigned ? LastSignedValue() : LastValue(), factor);
    return true;
}

bool CMyPropertyPage::ReadValue(int number, int& field, bool isSigned, bool toSmsModule) {
    if (ReadParam(number, false, toSmsModule) != 0) return false;
    field = static_cast<int>(static_cast<int64_t>(isSigned ? LastSignedValue() : LastValue()));
    return true;
}

bool CMyPropertyPage::ReadValue(int number, bool& field, bool toSmsModule) {
    if (ReadParam(number, false, toSmsModule) != 0) return false;
    field = LastValue() != 0.0;
    return true;
}

bool CMyPropertyPage::WriteIfChanged(int key, int number, double value, double factor,
                                     bool toSmsModule) {
    if (!IsChanged(key)) return true;
    const double device = static_cast<double>(PageConversions::DisplayToDevice(value, factor));
    return WriteParam(number, device, false, toSmsModule) == 0;
}

// --- bindings ----------------------------------------------------------------------------------

void CMyPropertyPage::Bind(QWidget* control, std::function<void()> toControl,
                           std::function<void()> toField) {
    m_bindings.push_back({control, std::move(toControl), std::move(toField)});
}

void CMyPropertyPage::ControlEdited(int key) {
    if (m_fillingControls) return;
    UpdateData(true);
    MarkModified(true);
    SetChanged(key);
    OnValueEdited(key);
    UpdateControlStates();
}

CEditSpin* CMyPropertyPage::BindEditSpin(int editId, double& field, int key, double factor,
                                         double minimum, double maximum) {
    return BindEditSpin(new CEditSpin(editId, factor, minimum, maximum, this), field, key);
}

CEditSpin* CMyPropertyPage::BindEditSpin(CEditSpin* c, double& field, int key) {
    // Text typed but not yet confirmed by Enter or leaving the field is taken too, so that
    // a Send from the menu writes what the field shows.
    Bind(
        c, [c, &field] { c->SetValueQuietly(field); },
        [c, &field] {
            c->CommitTypedText();
            field = c->value();
        });
    connect(c, &CEditSpin::valueEdited, this, [this, key] { ControlEdited(key); });
    // Typing alone already counts as a change: Send is enabled, closing asks first.
    connect(c, &CEditSpin::textTyped, this, [this, key] {
        if (m_fillingControls) return;
        MarkModified(true);
        SetChanged(key);
    });
    return c;
}

QCheckBox* CMyPropertyPage::BindCheck(int controlId, bool& field, int key, const QString& text) {
    auto* c = new QCheckBox(text, this);
    c->setObjectName(QString::number(controlId));
    Bind(
        c, [c, &field] { c->setChecked(field); }, [c, &field] { field = c->isChecked(); });
    connect(c, &QCheckBox::toggled, this, [this, key] { ControlEdited(key); });
    return c;
}

QComboBox* CMyPropertyPage::BindCombo(int controlId, int& field, int key,
                                      const QStringList& items) {
    auto* c = new QComboBox(this);
    c->setObjectName(QString::number(controlId));
    c->addItems(items);
    Bind(
        c, [c, &field] { c->setCurrentIndex(field < c->count() ? field : -1); },
        [c, &field] {
            if (c->currentIndex() >= 0) field = c->currentIndex();
        });
    connect(c, &QComboBox::currentIndexChanged, this, [this, key] { ControlEdited(key); });
    return c;
}

QLineEdit* CMyPropertyPage::BindLineEdit(int controlId, QString& field, int key, int maxLength) {
    auto* c = new QLineEdit(this);
    c->setObjectName(QString::number(controlId));
    if (maxLength > 0) c->setMaxLength(maxLength);
    Bind(
        c, [c, &field] { c->setText(field); }, [c, &field] { field = c->text(); });
    connect(c, &QLineEdit::textEdited, this, [this, key] { ControlEdited(key); });
    return c;
}

QTimeEdit* CMyPropertyPage::BindTime(int controlId, int& field, int key, bool withSeconds) {
    auto* c = new QTimeEdit(this);
    c->setObjectName(QString::number(controlId));
    PageConversions::ConfigureTimePicker(c, withSeconds);
    if (withSeconds)
        Bind(
            c, [c, &field] { c->setTime(SecondsToTime(field)); },
            [c, &field] { field = TimeToSeconds(c->time()); });
    else
        Bind(
            c, [c, &field] { c->setTime(MinutesToTime(field)); },
            [c, &field] { field = TimeToMinutes(c->time()); });
    connect(c, &QTimeEdit::timeChanged, this, [this, key] { ControlEdited(key); });
    return c;
}

QDateEdit* CMyPropertyPage::BindDate(int controlId, int& field, int key) {
    auto* c = new QDateEdit(this);
    c->setObjectName(QString::number(controlId));
    PageConversions::ConfigureDatePicker(c);
    Bind(
        c, [c, &field] { c->setDate(DayNumberToDate(field)); },
        [c, &field] { field = DateToDayNumber(c->date()); });
    connect(c, &QDateEdit::dateChanged, this, [this, key] { ControlEdited(key); });
    return c;
}

// --- context help ------------------------------------------------------------------------------

uint16_t CMyPropertyPage::HelpTopicFor(int controlId) const {
    return m_helpTopics.value(controlId, m_pageHelpTopic);
}

void CMyPropertyPage::ShowContextHelp(int controlId) {
    const uint16_t topic = controlId == 0 ? m_pageHelpTopic : HelpTopicFor(controlId);
    App().currentHelpTopic = topic;
    CHelpViewer::ShowTopic(topic, window());
}

bool CMyPropertyPage::event(QEvent* e) {
    if (e->type() == QEvent::QueryWhatsThis) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::WhatsThis) {
        // Context-help mode: the control under the pointer, else the page.
        QWidget* w = childAt(static_cast<QHelpEvent*>(e)->pos());
        int id = 0;
        for (; w && w != this && id == 0; w = w->parentWidget()) id = w->objectName().toInt();
        ShowContextHelp(id);
        return true;
    }
    return QWidget::event(e);
}

void CMyPropertyPage::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        int id = 0;
        for (QWidget* w = focusWidget(); w && w != this && id == 0; w = w->parentWidget())
            id = w->objectName().toInt();
        ShowContextHelp(id);
        return;
    }
    QWidget::keyPressEvent(e);
}
