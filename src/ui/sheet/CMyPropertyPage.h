// SPDX-License-Identifier: GPL-3.0-or-later
// The base of every function page: lifecycle (created on first activation, read once per
// connect, written on Send), the 100 ms refresh tick, change flags, context help, and the
// access operations through which a page reads and writes controller parameters.
//
// A page usually implements only:
//   CreateControls()      build its controls (objectName = control identifier) and bindings
//   ReadCount/ReadValues  its parameters in order, converted to display units
//   WriteValues           the changed values in order, converted to the controller's integers
//   UpdateControlStates   enabling and visibility
//   InitHelpTopics        control -> help topic
// See docs/architecture.md, "How to add a page".
#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class CKorvalisControlApp;
class CMyPropertySheet;
class CSensor;
class CEditSpin;
class QCheckBox;
class QComboBox;
class QDateEdit;
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
    CMyPropertySheet* Sheet() const { return m_sheet; }
    void SetSheet(CMyPropertySheet* sheet) { m_sheet = sheet; }
    // The table row's class name, for lookups by class.
    QString ClassName() const { return m_className; }
    void SetClassName(const QString& name) { m_className = name; }

    bool IsInitialised() const { return m_initialised; }
    bool IsModified() const { return m_modified; }
    bool IsActive() const { return m_active; }
    bool IsRead() const { return m_read; }
    void SetRead(bool read) { m_read = read; }
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
    // Stores the flag and tells the sheet (Send button). False clears every change flag.
    virtual void MarkModified(bool modified);
    void UpdateSheetButtons();
    // One refresh tick (the 100 ms timer calls it): nothing in simulation mode, during a
    // transfer or when re-entered; else OnRefreshTick and the bus's idle count.
    void RefreshTick();

    // --- framework part: the sheet calls these ------------------------------------------------
    // Creates the controls on the first activation (dialog initialisation).
    void EnsureInitialised();
    // Activation and deactivation as the sheet drives them.
    virtual bool OnSetActive();
    virtual bool OnKillActive();
    // Before the sheet switches to this page (the dimming-curves page collects the
    // illumination pages here, CMyPropertySheet::CollectPages).
    virtual void OnBeforeActivate() {}
    // Just before the sheet removes the page (disconnect, rebuild): pages that switched the
    // controller into a test mode switch it off here.
    virtual void OnRemoving() {}
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

    // --- context help -------------------------------------------------------------------------
    uint16_t HelpTopicFor(int controlId) const;
    // Makes the topic the current help topic and shows it. controlId 0 = the page's topic.
    void ShowContextHelp(int controlId);

    // --- change flags -------------------------------------------------------------------------
    void SetChanged(int key) { m_changed.insert(key); }
    bool IsChanged(int key) const { return m_allChanged || m_changed.contains(key); }
    // Every key counts as changed (and the page as modified) until the flags are next
    // cleared, so the next write sends everything the page can write. No user action
    // leads here: it lets a check see a page's whole write set without driving each
    // control, including keys set outside the bindings (the General page's clock).
    void MarkAllChanged();
    int ChangedCount() const { return static_cast<int>(m_changed.size()); }

Q_SIGNALS:
    void modifiedChanged(bool modified);

protected:
    static CKorvalisControlApp& App();

    // Dialog initialisation: build controls and bindings here (called once).
    virtual void CreateControls() {}
    // Extra field <-> control transfers beyond the bindings.
    virtual void DoDataExchange(bool saveAndValidate) {}
    // Number of transfers ReadValues makes (drives the progress bar).
    virtual int ReadCount() const { return m_readCount; }
    // The page's reads in order, each converted into the page's fields. Return false at the
    // first failed read (ReadValue and friends return false for you).
    virtual bool ReadValues() { return true; }
    virtual int WriteCount() const { return ChangedCount(); }
    // The page's writes in order, only those whose change flag is set. Return false at the
    // first failure (WriteIfChanged returns false for you).
    virtual bool WriteValues() { return true; }
    // Live values on the 100 ms tick (before the bus's idle count).
    virtual void OnRefreshTick() {}
    // Every tick, also in simulation mode and while a transfer runs (before OnRefreshTick):
    // for what shows without the link, such as the General page's blinking connect button.
    // Must not touch the controller.
    virtual void OnAnyTick() {}
    // After a user edit of a bound control (fields already updated).
    virtual void OnValueEdited(int key) {}
    void SetReadCount(int count) { m_readCount = count; }

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

    QHash<int, uint16_t> m_helpTopics;  // control identifier -> help topic
    uint16_t m_pageHelpTopic = 1;
    bool m_fillingControls = false;

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void AccessFailed(bool quiet);

    struct Binding {
        QPointer<QWidget> control;
        std::function<void()> toControl;
        std::function<void()> toField;
    };

    QString m_caption;
    QString m_groupText;
    QString m_className;
    int m_instanceIndex = 0;
    CSensor* m_sensor = nullptr;
    QTreeWidgetItem* m_treeItem = nullptr;
    CMyPropertySheet* m_sheet = nullptr;
    bool m_initialised = false;
    bool m_modified = false;
    bool m_active = false;
    bool m_read = false;
    bool m_refreshing = false;
    bool m_isFirst = false;
    bool m_isLast = false;
    bool m_everActivated = false;
    bool m_inTick = false;
    int m_readCount = 0;
    QSet<int> m_changed;
    bool m_allChanged = false;
    QTimer m_refreshTimer;
    std::vector<Binding> m_bindings;
};
