// SPDX-License-Identifier: GPL-3.0-or-later
// The base of every function page: lifecycle (created on first activation, read once per
// connect, written on Send), the 100 ms refresh tick, change flags, context help, and the
// access operations through which a page reads and writes controller parameters.
//
// A page usually implements only:
//   DeclareFields()       its parameters as declared fields (CPageField), read and write order,
//                         enabling (EnableWhen) and help (HelpTopic); the base reads, writes,
//                         counts and binds them
//   CreateControls()      the layout: Control(id) gives each declared field's control
//   UpdateControlStates   what no declaration expresses
// Pages with logic beyond declarations override ReadValues/WriteValues and call
// ReadField(number)/WriteField(number) for the declared part.
// See docs/architecture.md, "How to add a page".
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <deque>
#include <optional>
#include <vector>

#include "ui/page/CPageField.h"

class CBindingSet;
class CByteChannel;
class CConnectionArray;
class CControllerView;
class CEmailAlerts;
class CEmailSettings;
class CKorvalisControlApp;
class CPageHost;
class CParameterAccess;
class CSWMBus;
class CUserInteraction;
class CSensor;
class CEditSpin;
class QCheckBox;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QTreeWidgetItem;

class CMyPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CMyPropertyPage(QWidget* parent = nullptr);
    ~CMyPropertyPage() override;

    // --- place in the sheet (set by the sheet when it builds the page set) -----------------
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    QString GroupText() const { return m_groupText; }
    void SetGroupText(const QString& text) { m_groupText = text; }
    int InstanceIndex() const { return m_instanceIndex; }
    void SetInstanceIndex(int index) { m_instanceIndex = index; }
    // Sensor pages: the application's sensor input this page shows.
    CSensor* Sensor() const { return m_sensor; }
    void SetSensor(CSensor* sensor) { m_sensor = sensor; }
    QTreeWidgetItem* TreeItem() const { return m_treeItem; }
    void SetTreeItem(QTreeWidgetItem* item) { m_treeItem = item; }
    // The window that holds the page (the main sheet, or a test's host); null when none.
    CPageHost* Host() const { return m_host; }
    void SetHost(CPageHost* host) { m_host = host; }
    // The table row's class name, for lookups by class.
    QString ClassName() const { return m_className; }
    void SetClassName(const QString& name) { m_className = name; }

    bool IsInitialised() const { return m_initialised; }
    bool IsModified() const { return m_modified; }
    bool IsActive() const { return m_active; }
    bool IsRead() const { return m_read; }
    void SetRead(bool read) { m_read = read; }
    // The last read stopped at a failed transfer (the page is unread until a read succeeds).
    bool ReadFailed() const { return m_readFailed; }
    bool IsRefreshing() const { return m_refreshing; }
    bool IsFirst() const { return m_isFirst; }
    bool IsLast() const { return m_isLast; }
    void SetFirstLast(bool first, bool last) {
        m_isFirst = first;
        m_isLast = last;
    }
    bool IsFillingControls() const { return m_fillingControls; }
    uint16_t PageHelpTopic() const { return m_pageHelpTopic; }

    // --- the page's operations ----------------------------------------------------------------
    // Fills the help-topic map and the page help topic. Base: page topic 1.
    virtual bool InitHelpTopics();
    virtual void StopRefresh();
    virtual void StartRefresh();
    // Reads the page's parameters (once per connect unless forced) and shows them.
    virtual void ReadPage(bool force);
    // Writes the values whose change flags are set, in the page's order.
    virtual void WritePage();
    virtual void UpdateControlStates() {}
    // The declared enabling (EnableWhen), then UpdateControlStates: what the base calls.
    void RefreshControlStates();
    // Stores the flag and tells the sheet (Send button). False clears every change flag.
    virtual void MarkModified(bool modified);
    void UpdateSheetButtons();
    // One refresh tick (the 100 ms timer calls it): nothing in simulation mode, during a
    // transfer or when re-entered; else OnRefreshTick and the bus's idle count.
    void RefreshTick();

    // --- framework part: the sheet calls these ------------------------------------------------
    // Creates the controls on the first activation (dialog initialisation).
    void EnsureInitialised();
    // Activation and deactivation as the sheet drives them. Deactivation takes the controls
    // into the fields, so an edit survives leaving the page and Send writes what it shows.
    virtual bool OnSetActive();
    virtual bool OnKillActive();
    // Before the sheet switches to this page (the dimming-curves page collects the
    // illumination pages here, CMyPropertySheet::CollectPages).
    virtual void OnBeforeActivate() {}
    // The connection came up or went down / the list of stored connections changed (the
    // sheet tells every initialised page; the General page shows them).
    virtual void OnConnectionStateChanged() {}
    virtual void OnConnectionListChanged() {}
    // Just before the sheet removes the page (disconnect, rebuild): pages that switched the
    // controller into a test mode switch it off here.
    virtual void OnRemoving() {}
    // The main window closes without taking over the pages' changes (the framework's reset
    // notification): called on every initialised page while the link is still up, after
    // the question about unsent changes and before OnRemoving.
    virtual void OnReset() {}
    // Fields -> controls (false) or controls -> fields (true): bindings, then DoDataExchange.
    void UpdateData(bool saveAndValidate);

    // --- page access operations ---------------------------------------------------------------
    // On a non-zero status: message 354 unless quiet, the sheet's link-error flag, and the
    // General page becomes the active page. The value of a read is LastValue()/LastSignedValue().
    uint16_t ReadParam(int number, bool quiet = false, bool toSmsModule = false);
    uint16_t WriteParam(int number, double value, bool quiet = false, bool toSmsModule = false);
    uint16_t WriteTextParam(int number, const QByteArray& bytes, bool quiet = false,
                            bool toSmsModule = false);
    double LastValue() const;
    double LastSignedValue() const;
    QByteArray LastText() const;
    // A read that gives its value (signed or unsigned reading); nothing on failure (with the
    // failure handling of ReadParam).
    std::optional<double> Read(int number, bool isSigned = false, bool toSmsModule = false);

    // --- declared fields ------------------------------------------------------------------------
    // The field of a control, or the first field of a parameter; nullptr if none.
    CPageField* FieldAt(int controlId);
    CPageField* FieldOf(int number);
    const std::deque<CPageField>& Fields() const { return m_fields; }
    // A control by identifier (declared or any child with that objectName).
    QWidget* Control(int controlId) const;
    template <class T>
    T* ControlAs(int controlId) const {
        return qobject_cast<T*>(Control(controlId));
    }

    // --- context help -------------------------------------------------------------------------
    uint16_t HelpTopicFor(int controlId) const;
    // Makes the topic the current help topic and shows it. controlId 0 = the page's topic.
    void ShowContextHelp(int controlId);
    // F1: the topic of the focused control (or of the control it belongs to), else the page's.
    void ShowFocusHelp();

    // --- change flags -------------------------------------------------------------------------
    void SetChanged(int key) { m_changed.insert(key); }
    bool IsChanged(int key) const { return m_allChanged || m_changed.contains(key); }
    // Every key counts as changed (and the page as modified) until the flags are next
    // cleared, so the next write sends everything the page can write. No user action
    // leads here: it lets a check see a page's whole write set without driving each
    // control, including keys set outside the bindings (the General page's clock).
    void MarkAllChanged();
    int ChangedCount() const { return static_cast<int>(m_changed.size()); }

    // --- what pages, and the dialogs they open, may use of the program ----------------------
    // What the connect found, read-only: model, firmware, serial number, sensors, SMS module,
    // simulation and service mode.
    static const CControllerView& Controller();
    // Single-parameter access without the page's failure handling: for dialogs that write
    // at once, and for switching a test mode off while the page goes away.
    static CParameterAccess& DirectAccess();
    // The link itself, for the bus-statistics page and the modem terminal.
    static CSWMBus* Bus();
    static CByteChannel* Channel();
    // Null when nobody can be asked (also before and after the program's state exists).
    static CUserInteraction* UserInteraction();
    // The program's state exists (pages outlive it while the main window closes).
    static bool HasApplication();
    static bool IsTransferInProgress();

Q_SIGNALS:
    void modifiedChanged(bool modified);

protected:
    // --- the program's shared state some pages show ----------------------------------------
    // A sensor input with its live values (the overview and sensor pages update them).
    static CSensor& SensorInput(int input);
    // The names kept on this computer for the connected controller (illumination, timer,
    // level, digital input: CDescriptionLists), shared by the pages that show them.
    static QStringList& DescriptionNames(int list);
    static CConnectionArray& Connections();
    static CEmailSettings& EmailSettings();
    static CEmailAlerts& EmailAlerts();
    // The dimming-curve chart's choices, kept in the program's settings.
    static uint8_t CurveViewState();
    static void SetCurveViewState(uint8_t mask);
    static uint32_t DimmingCurveColour(int curve);
    static void SetDimmingCurveColour(int curve, uint32_t rgb);

    // The page's declaration (called once, before CreateControls): fields, orders, enabling,
    // help. The declared controls exist afterwards; CreateControls lays them out.
    virtual void DeclareFields() {}
    // Dialog initialisation: build controls and bindings here (called once).
    virtual void CreateControls() {}
    // Extra field <-> control transfers beyond the bindings.
    virtual void DoDataExchange(bool saveAndValidate) {}
    // Number of transfers ReadValues makes (drives the progress bar).
    virtual int ReadCount() const { return m_readCount >= 0 ? m_readCount : DeclaredReadCount(); }
    // The page's reads in order, each converted into the page's fields. Return false at the
    // first failed read (ReadValue and friends return false for you).
    virtual bool ReadValues();
    virtual int WriteCount() const { return ChangedCount(); }
    // The page's writes in order, only those whose change flag is set. Return false at the
    // first failure (WriteIfChanged returns false for you).
    virtual bool WriteValues();
    // Live values on the 100 ms tick (before the bus's idle count).
    virtual void OnRefreshTick() {}
    // Every tick, also in simulation mode and while a transfer runs (before OnRefreshTick):
    // for what shows without the link, such as the General page's blinking connect button.
    // Must not touch the controller.
    virtual void OnAnyTick() {}
    // After a user edit of a bound control (fields already updated).
    virtual void OnValueEdited(int key) {}
    // Before a user edit of key is taken; false puts the control back (nothing changes).
    virtual bool AcceptEdit(int key) { return true; }
    // After the declared parameter with this key went out successfully.
    virtual void OnWritten(int key) {}
    // After a declared parameter was read (its fields hold the new value).
    virtual void OnFieldRead(int number) {}
    // After all declared fields were read (ReadValues' default), before the controls fill.
    virtual void OnFieldsRead() {}
    void SetReadCount(int count) { m_readCount = count; }

    // --- declaring fields (in DeclareFields) ------------------------------------------------
    // Each creates the field and its control (objectName = controlId) and binds them.
    CPageField& Real(int number, int controlId, double factor = 1);
    CPageField& Real(int number, CEditSpin* control);  // a CEditSpin the page made itself
    CPageField& Check(int number, int controlId, const QString& text = {});
    CPageField& Combo(int number, int controlId, const QStringList& items);
    CPageField& Radio(int number, const std::vector<int>& controlIds, const QStringList& texts = {});
    CPageField& Time(int number, int controlId);      // minutes after midnight
    CPageField& Duration(int number, int controlId);  // seconds, H:mm:ss
    CPageField& Date(int number, int controlId);      // day numbers
    CPageField& Text(int number, int controlId, int maxLength = 255);
    // Read-only value shown as a label through the field's Format (default: the number).
    CPageField& Label(int number, int controlId, double factor = 1);
    // Read and kept, not shown (a value the page needs, or bits it must preserve).
    CPageField& Hidden(int number);
    // Orders as the controller wants them; default read order = declaration order, default
    // write order = read order.
    void ReadOrder(std::vector<int> numbers) { m_readOrder = std::move(numbers); }
    void WriteOrder(std::vector<int> numbers) { m_writeOrder = std::move(numbers); }
    // Bits of a shared parameter that no field covers are kept from the last read unless
    // the page says otherwise here (mask = the bits to keep).
    void KeepBits(int number, uint32_t mask) { m_keepBits[number] = mask; }
    // The controls are enabled exactly while the predicate holds.
    void EnableWhen(const std::vector<int>& controlIds, std::function<bool()> predicate);
    void HelpTopic(uint16_t topic, const std::vector<int>& controlIds);
    void PageTopic(uint16_t topic) { m_pageHelpTopic = topic; }
    // Reads / writes one declared parameter (all its fields); the write only when one of
    // its fields' keys is changed. True when done or not due (When false, unchanged).
    bool ReadField(int number);
    bool WriteField(int number);
    // The parameter's last value from the device (0 before the first read).
    uint32_t LastRaw(int number) const { return m_lastRaw.value(number, 0); }
    // The value the declared fields of a parameter make together.
    int64_t ComposedValue(int number) const;
    // Fills the controls from the fields (under CUpdate).
    void ShowFields();
    // Every field back to 0 and the device values forgotten (another controller's values
    // are no business of the next one).
    void ResetFields();
    CBindingSet& Bindings() { return *m_bindingSet; }

    // A record dialog run modally on record: Dialog(record, args..., page), its Record() taken
    // on OK, the page then modified with key changed. False when cancelled, or when the page
    // or the dialog went away while it ran (nothing is touched then).
    template <class Dialog, class Record, class... Args>
    bool EditInDialog(Record& record, int key, Args&&... args) {
        QPointer<CMyPropertyPage> self(this);
        QPointer<Dialog> dialog = new Dialog(record, std::forward<Args>(args)..., this);
        const bool ok = dialog->exec() == QDialog::Accepted;
        if (!self || !dialog) return false;
        if (ok) {
            record = dialog->Record();
            MarkModified(true);
            SetChanged(key);
        }
        delete dialog;
        return ok;
    }

    // --- names kept on this computer (description files) --------------------------------------
    // Loads count names from fileName in the controller's folder and remembers them as loaded.
    QStringList LoadNames(const QString& fileName, int count);
    // Saves the names only when they were loaded since the connect and differ from what is on
    // disk now: a page that was not read, or whose names nobody changed, leaves the file alone.
    void SaveNames(const QString& fileName, const QStringList& names);

    // --- read and write helpers ---------------------------------------------------------------
    // number -> raw / factor (signed or unsigned reading). False on failure, field unchanged.
    bool ReadValue(int number, double& field, double factor = 1.0, bool isSigned = false,
                   bool toSmsModule = false);
    bool ReadValue(int number, int& field, bool isSigned = false, bool toSmsModule = false);
    bool ReadValue(int number, bool& field, bool toSmsModule = false);
    // Writes value x factor (see DisplayToDevice) when key's change flag is set.
    bool WriteIfChanged(int key, int number, double value, double factor = 1.0,
                        bool toSmsModule = false);


    // --- bindings: a control, its field, its change key (usually the parameter number) -------
    // The change handler does nothing while the page fills its controls; otherwise it copies
    // the control into the field, marks the page modified, sets the change flag and calls
    // OnValueEdited(key) and UpdateControlStates().
    CEditSpin* BindEditSpin(int editId, double& field, int key, double factor, double minimum,
                            double maximum);
    // The same for a control the page made itself (a CEditSpin subclass, say).
    CEditSpin* BindEditSpin(CEditSpin* control, double& field, int key);
    QCheckBox* BindCheck(int controlId, bool& field, int key, const QString& text = {});
    QComboBox* BindCombo(int controlId, int& field, int key, const QStringList& items = {});
    QLineEdit* BindLineEdit(int controlId, QString& field, int key, int maxLength = 0);
    // minutes after midnight (or seconds when withSeconds) <-> a time picker
    QTimeEdit* BindTime(int controlId, int& field, int key, bool withSeconds = false);
    // day number <-> a date picker limited to 2000..2099
    QDateEdit* BindDate(int controlId, int& field, int key);
    // Any other control: how to copy both ways; connect its user-change signal to
    // ControlEdited(key) yourself.
    void Bind(QWidget* control, std::function<void()> toControl, std::function<void()> toField);
    void ControlEdited(int key);
    QButtonGroup* BindRadio(const std::vector<int>& ids, int& field, int key,
                            const QStringList& texts = {});
    std::vector<QCheckBox*> BindBits(const std::vector<int>& ids, uint32_t& mask, int key,
                                     const QStringList& texts = {}, int firstBit = 0);
    QLabel* BindLabel(int controlId, std::function<QString()> text);

    QHash<int, uint16_t> m_helpTopics;  // control identifier -> help topic
    uint16_t m_pageHelpTopic = 1;
    bool m_fillingControls = false;

    bool event(QEvent* e) override;

private:
    void AccessFailed(bool quiet);
    CPageField& AddField(CPageField::Kind kind, int number, int controlId, QWidget* control);
    std::vector<int> EffectiveReadOrder() const;
    int DeclaredReadCount() const;

    struct EnableRule {
        std::vector<int> controls;
        std::function<bool()> predicate;
    };

    QString m_caption;
    QString m_groupText;
    QString m_className;
    int m_instanceIndex = 0;
    CSensor* m_sensor = nullptr;
    QTreeWidgetItem* m_treeItem = nullptr;
    CPageHost* m_host = nullptr;
    bool m_initialised = false;
    bool m_modified = false;
    bool m_active = false;
    bool m_read = false;
    bool m_readFailed = false;
    bool m_refreshing = false;
    bool m_isFirst = false;
    bool m_isLast = false;
    bool m_everActivated = false;
    bool m_inTick = false;
    int m_readCount = -1;
    QSet<int> m_changed;
    bool m_allChanged = false;
    QTimer m_refreshTimer;
    CBindingSet* m_bindingSet;
    std::deque<CPageField> m_fields;
    QHash<int, QWidget*> m_controls;
    std::vector<int> m_readOrder;
    std::vector<int> m_writeOrder;
    QHash<int, uint32_t> m_keepBits;
    QHash<int, uint32_t> m_lastRaw;
    QHash<QString, QStringList> m_loadedNames;
    std::vector<EnableRule> m_enableRules;
};
