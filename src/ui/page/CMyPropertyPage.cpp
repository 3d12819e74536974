// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CMyPropertyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QDateEdit>
#include <QButtonGroup>
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QShortcut>
#include <QWhatsThis>
#include <algorithm>
#include <cmath>

#include "app/CEnableProgressTicking.h"
#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "link/CSWMBus.h"
#include "params/CDescriptionFile.h"
#include "params/CDescriptionLists.h"
#include "ui/page/CPageHost.h"
#include "ui/page/CBindingSet.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CFieldHelp.h"
#include "ui/services/CHelpViewer.h"
#include "ui/services/CMessageService.h"
#include "ui/page/CUpdate.h"
#include "ui/page/PageConversions.h"

namespace {
CKorvalisControlApp& App() {
    return CKorvalisControlApp::Instance();
}

// The identifier of w or of the numbered control it belongs to; 0 for the page itself.
int ControlIdOf(const QWidget* w, const QWidget* page) {
    int id = 0;
    for (; w && w != page && id == 0; w = w->parentWidget()) id = w->objectName().toInt();
    return id;
}
}  // namespace

CMyPropertyPage::CMyPropertyPage(QWidget* parent)
    : QWidget(parent), m_bindingSet(new CBindingSet(this, m_fillingControls)) {
    m_bindingSet->acceptEdit = [this](int key) { return AcceptEdit(key); };
    m_bindingSet->edited = [this](int key) {
        MarkModified(true);
        SetChanged(key);
        OnValueEdited(key);
        RefreshControlStates();
    };
    m_bindingSet->typed = [this](int key) {
        MarkModified(true);
        SetChanged(key);
    };
    // Shortcuts rather than key events: edits and spin boxes would swallow F1 before the page.
    new QShortcut(QKeySequence(Qt::Key_F1), this, this, &CMyPropertyPage::ShowFocusHelp,
                  Qt::WidgetWithChildrenShortcut);
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this, [] { QWhatsThis::enterWhatsThisMode(); },
                  Qt::WidgetWithChildrenShortcut);
    m_refreshTimer.setInterval(100);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CMyPropertyPage::RefreshTick);
}

CMyPropertyPage::~CMyPropertyPage() {
    // Controls may announce changes while they are destroyed; the bindings that would take
    // them must still exist and ignore them.
    m_fillingControls = true;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

// --- what the page may use of the program ------------------------------------------------------

const CControllerView& CMyPropertyPage::Controller() {
    return App();
}

CSensor& CMyPropertyPage::SensorInput(int input) {
    return App().SensorInput(input);
}

QStringList& CMyPropertyPage::DescriptionNames(int list) {
    auto& lists = App().descriptionLists;
    return lists[static_cast<size_t>(std::clamp(list, 0, int(lists.size()) - 1))];
}

CUserInteraction* CMyPropertyPage::UserInteraction() {
    return HasApplication() ? App().UserInteraction() : nullptr;
}

bool CMyPropertyPage::HasApplication() {
    return CKorvalisControlApp::HasInstance();
}

CConnectionArray& CMyPropertyPage::Connections() {
    return App().Connections();
}

CEmailSettings& CMyPropertyPage::EmailSettings() {
    return App().EmailSettings();
}

CEmailAlerts& CMyPropertyPage::EmailAlerts() {
    return App().EmailAlerts();
}

uint8_t CMyPropertyPage::CurveViewState() {
    return App().viewState;
}

void CMyPropertyPage::SetCurveViewState(uint8_t mask) {
    App().viewState = mask;
}

uint32_t CMyPropertyPage::DimmingCurveColour(int curve) {
    return App().DimmingCurveColour(curve);
}

void CMyPropertyPage::SetDimmingCurveColour(int curve, uint32_t rgb) {
    App().SetDimmingCurveColour(curve, rgb);
}

bool CMyPropertyPage::IsTransferInProgress() {
    return App().IsTransferInProgress();
}

CSWMBus* CMyPropertyPage::Bus() {
    return App().Bus();
}

CByteChannel* CMyPropertyPage::Channel() {
    return App().Channel();
}

CParameterAccess& CMyPropertyPage::DirectAccess() {
    return App();
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
        DeclareFields();
        CreateControls();
        UpdateData(false);
        // Before any read the fields hold the program's defaults, not the device's values:
        // a default outside its range shows at the nearest limit, unmarked.
        for (CEditSpin* spin : findChildren<CEditSpin*>())
            if (spin->IsOutOfRange())
                spin->SetValueQuietly(
                    std::clamp(spin->value(), spin->OwnMinimum(), spin->OwnMaximum()));
    }
    CFieldHelp::Apply(*this);
    RefreshControlStates();
}

void CMyPropertyPage::RefreshControlStates() {
    for (const EnableRule& rule : m_enableRules) {
        const bool on = rule.predicate();
        for (int id : rule.controls)
            if (QWidget* w = Control(id)) w->setEnabled(on);
    }
    UpdateControlStates();
}

bool CMyPropertyPage::OnSetActive() {
    EnsureInitialised();
    if (m_host) m_host->SelectTreeItemOf(this);
    UpdateSheetButtons();
    ReadPage(false);
    // A failed read may have moved the sheet to the General page meanwhile.
    if (m_host && m_host->ActivePage() != this) return false;
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
    if (m_initialised) UpdateData(true);
    StopRefresh();
    m_active = false;
    return true;
}

void CMyPropertyPage::UpdateData(bool saveAndValidate) {
    if (saveAndValidate)
        m_bindingSet->ToFields();
    else
        m_bindingSet->ToControls();
    DoDataExchange(saveAndValidate);
}

void CMyPropertyPage::ShowFields() {
    CUpdate update(m_fillingControls);
    UpdateData(false);
}

void CMyPropertyPage::ReadPage(bool force) {
    CUpdate update(m_fillingControls);
    CKorvalisControlApp& app = App();
    if (app.simulationMode || !app.Model() || (!force && m_read)) return;
    CTimerStop timerStop;
    CEnableProgressTicking ticking(ReadCount());
    m_read = false;
    const bool ok = ReadValues();
    m_readFailed = !ok;
    if (!ok) return;
    m_read = true;
    UpdateData(false);
    RefreshControlStates();
    MarkModified(false);
    RefreshControlStates();
}

void CMyPropertyPage::WritePage() {
    if (App().simulationMode) return;
    CTimerStop timerStop;
    CEnableProgressTicking ticking(WriteCount());
    UpdateData(true);
    if (!WriteValues()) return;
    MarkModified(false);
    RefreshControlStates();
}

void CMyPropertyPage::MarkModified(bool modified) {
    if (!modified) {
        m_changed.clear();
        m_allChanged = false;
    }
    m_modified = modified;
    if (m_host) m_host->PageChanged(this, modified);
    Q_EMIT modifiedChanged(modified);
}

void CMyPropertyPage::MarkAllChanged() {
    m_allChanged = true;
    MarkModified(true);
}

void CMyPropertyPage::UpdateSheetButtons() {
    if (m_host) m_host->UpdateSheetButtons(this);
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
    if (m_host) {
        m_host->AccessFailed(quiet);
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
    m_bindingSet->Add(control, std::move(toControl), std::move(toField));
}

void CMyPropertyPage::ControlEdited(int key) {
    m_bindingSet->Edited(key);
}

CEditSpin* CMyPropertyPage::BindEditSpin(int editId, double& field, int key, double factor,
                                         double minimum, double maximum) {
    return m_bindingSet->EditSpin(editId, field, key, factor, minimum, maximum);
}

CEditSpin* CMyPropertyPage::BindEditSpin(CEditSpin* c, double& field, int key) {
    return m_bindingSet->EditSpin(c, field, key);
}

QCheckBox* CMyPropertyPage::BindCheck(int controlId, bool& field, int key, const QString& text) {
    return m_bindingSet->Check(controlId, field, key, text);
}

QComboBox* CMyPropertyPage::BindCombo(int controlId, int& field, int key,
                                      const QStringList& items) {
    return m_bindingSet->Combo(controlId, field, key, items);
}

QLineEdit* CMyPropertyPage::BindLineEdit(int controlId, QString& field, int key, int maxLength) {
    return m_bindingSet->LineEdit(controlId, field, key, maxLength);
}

QTimeEdit* CMyPropertyPage::BindTime(int controlId, int& field, int key, bool withSeconds) {
    return m_bindingSet->Time(controlId, field, key, withSeconds);
}

QDateEdit* CMyPropertyPage::BindDate(int controlId, int& field, int key) {
    return m_bindingSet->Date(controlId, field, key);
}

QButtonGroup* CMyPropertyPage::BindRadio(const std::vector<int>& ids, int& field, int key,
                                         const QStringList& texts) {
    return m_bindingSet->Radio(ids, field, key, texts);
}

std::vector<QCheckBox*> CMyPropertyPage::BindBits(const std::vector<int>& ids, uint32_t& mask,
                                                  int key, const QStringList& texts,
                                                  int firstBit) {
    return m_bindingSet->Bits(ids, mask, key, texts, firstBit);
}

QLabel* CMyPropertyPage::BindLabel(int controlId, std::function<QString()> text) {
    return m_bindingSet->Label(controlId, std::move(text));
}

// --- declared fields ---------------------------------------------------------------------------

CPageField& CMyPropertyPage::AddField(CPageField::Kind kind, int number, int controlId,
                                      QWidget* control) {
    m_fields.emplace_back(kind, number, controlId);
    if (control && controlId != 0) m_controls.insert(controlId, control);
    return m_fields.back();
}

CPageField& CMyPropertyPage::Real(int number, int controlId, double factor) {
    // The range is applied once the declaration is complete (the field's Range and Spin
    // come after this call), so the control is made with an open range first.
    auto* c = new CEditSpin(controlId, factor, -2147483648.0 / factor, 2147483647.0 / factor, this);
    return Real(number, c).Factor(factor);
}

CPageField& CMyPropertyPage::Real(int number, CEditSpin* control) {
    CPageField& f = AddField(CPageField::Kind::Real, number, control->EditId(), control);
    f.Factor(control->Factor());
    f.Range(control->minimum(), control->maximum());
    CPageField* field = &f;
    // Range and spin range are declared after this call: applied when the control fills.
    m_bindingSet->Add(
        control,
        [control, field] {
            if (control->OwnMinimum() != field->Minimum() ||
                control->OwnMaximum() != field->Maximum())
                control->SetOwnRange(field->Minimum(), field->Maximum());
            if (field->HasSpinRange())
                control->SetSpinRange(field->SpinMinimum(), field->SpinMaximum());
        },
        [] {});
    m_bindingSet->EditSpin(control, f.RealRef(), f.ChangeKeyRef());
    return f;
}

CPageField& CMyPropertyPage::Check(int number, int controlId, const QString& text) {
    CPageField& f = AddField(CPageField::Kind::Check, number, controlId, nullptr);
    m_controls.insert(controlId, m_bindingSet->Check(controlId, f.BoolRef(), f.ChangeKeyRef(), text));
    return f;
}

CPageField& CMyPropertyPage::Combo(int number, int controlId, const QStringList& items) {
    CPageField& f = AddField(CPageField::Kind::Combo, number, controlId, nullptr);
    f.Items(items);
    m_controls.insert(controlId, m_bindingSet->Combo(controlId, f.IntRef(), f.ChangeKeyRef(), items));
    return f;
}

CPageField& CMyPropertyPage::Radio(int number, const std::vector<int>& controlIds,
                                   const QStringList& texts) {
    CPageField& f = AddField(CPageField::Kind::Radio, number, controlIds.empty() ? 0 : controlIds[0],
                             nullptr);
    f.Items(texts);
    QButtonGroup* group = m_bindingSet->Radio(controlIds, f.IntRef(), f.ChangeKeyRef(), texts);
    for (QAbstractButton* b : group->buttons()) m_controls.insert(b->objectName().toInt(), b);
    return f;
}

CPageField& CMyPropertyPage::Time(int number, int controlId) {
    CPageField& f = AddField(CPageField::Kind::Time, number, controlId, nullptr);
    QTimeEdit* c = m_bindingSet->Time(controlId, f.IntRef(), f.ChangeKeyRef(), false);
    m_controls.insert(controlId, c);
    return f;
}

CPageField& CMyPropertyPage::Duration(int number, int controlId) {
    CPageField& f = AddField(CPageField::Kind::Duration, number, controlId, nullptr);
    QTimeEdit* c = m_bindingSet->Time(controlId, f.IntRef(), f.ChangeKeyRef(), true);
    m_controls.insert(controlId, c);
    return f;
}

CPageField& CMyPropertyPage::Date(int number, int controlId) {
    CPageField& f = AddField(CPageField::Kind::Date, number, controlId, nullptr);
    QDateEdit* c = m_bindingSet->Date(controlId, f.IntRef(), f.ChangeKeyRef());
    m_controls.insert(controlId, c);
    return f;
}

CPageField& CMyPropertyPage::Text(int number, int controlId, int maxLength) {
    CPageField& f = AddField(CPageField::Kind::Text, number, controlId, nullptr);
    f.MaxLength(maxLength);
    QLineEdit* c = m_bindingSet->LineEdit(controlId, f.TextRef(), f.ChangeKeyRef(), maxLength);
    m_controls.insert(controlId, c);
    return f;
}

CPageField& CMyPropertyPage::Label(int number, int controlId, double factor) {
    CPageField& f = AddField(CPageField::Kind::Label, number, controlId, nullptr);
    f.Factor(factor);
    CPageField* field = &f;
    QLabel* c = m_bindingSet->Label(controlId, [field] { return field->FormatValue(); });
    m_controls.insert(controlId, c);
    return f;
}

CPageField& CMyPropertyPage::Hidden(int number) {
    return AddField(CPageField::Kind::Hidden, number, 0, nullptr);
}

void CMyPropertyPage::ResetFields() {
    for (CPageField& f : m_fields) {
        f.SetValue(0);
        f.SetText({});
    }
    m_lastRaw.clear();
}

QStringList CMyPropertyPage::LoadNames(const QString& fileName, int count) {
    const QStringList names = CDescriptionFile::Load(App(), fileName, count);
    m_loadedNames.insert(fileName, names);
    return names;
}

void CMyPropertyPage::SaveNames(const QString& fileName, const QStringList& names) {
    const auto loaded = m_loadedNames.constFind(fileName);
    if (loaded == m_loadedNames.constEnd() || *loaded == names) return;
    if (CDescriptionFile::Save(App(), fileName, names)) m_loadedNames.insert(fileName, names);
}

void CMyPropertyPage::EnableWhen(const std::vector<int>& controlIds,
                                 std::function<bool()> predicate) {
    m_enableRules.push_back({controlIds, std::move(predicate)});
}

void CMyPropertyPage::HelpTopic(uint16_t topic, const std::vector<int>& controlIds) {
    for (int id : controlIds) m_helpTopics.insert(id, topic);
}

CPageField* CMyPropertyPage::FieldAt(int controlId) {
    for (CPageField& f : m_fields)
        if (f.ControlId() == controlId) return &f;
    return nullptr;
}

CPageField* CMyPropertyPage::FieldOf(int number) {
    for (CPageField& f : m_fields)
        if (f.Number() == number) return &f;
    return nullptr;
}

QWidget* CMyPropertyPage::Control(int controlId) const {
    if (QWidget* w = m_controls.value(controlId)) return w;
    return findChild<QWidget*>(QString::number(controlId));
}

std::vector<int> CMyPropertyPage::EffectiveReadOrder() const {
    if (!m_readOrder.empty()) return m_readOrder;
    std::vector<int> order;
    for (const CPageField& f : m_fields)
        if (std::find(order.begin(), order.end(), f.Number()) == order.end())
            order.push_back(f.Number());
    return order;
}

int CMyPropertyPage::DeclaredReadCount() const {
    int count = 0;
    for (int number : EffectiveReadOrder()) {
        for (const CPageField& f : m_fields)
            if (f.Number() == number && f.Applies()) {
                ++count;
                break;
            }
    }
    return count;
}

bool CMyPropertyPage::ReadField(int number) {
    const CPageField* first = nullptr;
    for (const CPageField& f : m_fields)
        if (f.Number() == number && f.Applies()) {
            first = &f;
            break;
        }
    if (!first) return true;
    if (ReadParam(number, false, first->IsToSmsModule()) != 0) return false;
    if (first->kind() == CPageField::Kind::Text) {
        const QString text = QString::fromLatin1(LastText());
        for (CPageField& f : m_fields)
            if (f.Number() == number) f.SetText(text);
        OnFieldRead(number);
        return true;
    }
    const double u = LastValue();
    const double s = LastSignedValue();
    const auto raw = uint32_t(int64_t(std::isfinite(u) ? std::trunc(u) : 0) & 0xFFFFFFFF);
    const auto signedRaw = int32_t(int64_t(std::isfinite(s) ? std::trunc(s) : 0));
    m_lastRaw.insert(number, raw);
    for (CPageField& f : m_fields)
        if (f.Number() == number && f.Applies()) f.FromDevice(raw, signedRaw);
    OnFieldRead(number);
    return true;
}

int64_t CMyPropertyPage::ComposedValue(int number) const {
    const uint32_t keep = m_keepBits.value(number, 0xFFFFFFFFu);
    uint32_t raw = m_lastRaw.value(number, 0) & keep;
    int64_t value = raw;
    for (const CPageField& f : m_fields) {
        if (f.Number() != number || !f.Applies()) continue;
        // Each field builds on what the fields before it made (bits, or a sign for a
        // magnitude).
        value = f.ToDevice(raw);
        raw = uint32_t(value & 0xFFFFFFFF);
    }
    return value;
}

bool CMyPropertyPage::WriteField(int number) {
    const CPageField* first = nullptr;
    bool changed = false;
    for (const CPageField& f : m_fields) {
        if (f.Number() != number || !f.Applies() || f.IsReadOnly()) continue;
        if (!first) first = &f;
        changed = changed || IsChanged(f.ChangeKey());
    }
    if (!first || !changed) return true;
    if (first->kind() == CPageField::Kind::Text) {
        QByteArray bytes = first->TextValue().toLatin1();
        if (bytes.size() > first->maxLength()) bytes.truncate(first->maxLength());
        if (WriteTextParam(number, bytes, false, first->IsToSmsModule()) != 0) return false;
    } else {
        const int64_t value = ComposedValue(number);
        if (WriteParam(number, double(value), false, first->IsToSmsModule()) != 0) return false;
        m_lastRaw.insert(number, uint32_t(value & 0xFFFFFFFF));
    }
    QSet<int> keys;
    for (const CPageField& f : m_fields)
        if (f.Number() == number) keys.insert(f.ChangeKey());
    for (int key : keys) OnWritten(key);
    return true;
}

bool CMyPropertyPage::ReadValues() {
    for (int number : EffectiveReadOrder())
        if (!ReadField(number)) return false;
    OnFieldsRead();
    return true;
}

bool CMyPropertyPage::WriteValues() {
    for (int number : m_writeOrder.empty() ? EffectiveReadOrder() : m_writeOrder)
        if (!WriteField(number)) return false;
    return true;
}

std::optional<double> CMyPropertyPage::Read(int number, bool isSigned, bool toSmsModule) {
    if (ReadParam(number, false, toSmsModule) != 0) return std::nullopt;
    return isSigned ? LastSignedValue() : LastValue();
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
        ShowContextHelp(ControlIdOf(childAt(static_cast<QHelpEvent*>(e)->pos()), this));
        return true;
    }
    return QWidget::event(e);
}

void CMyPropertyPage::ShowFocusHelp() {
    ShowContextHelp(ControlIdOf(focusWidget(), this));
}
