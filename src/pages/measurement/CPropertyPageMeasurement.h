// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's recorder: interval, recorded inputs and the recorder setting; how full the
// memory is and when it last recorded (live); clearing it, downloading it into a
// measured-value file and opening such a file in the viewer.
#pragma once

#include <QDate>
#include <QTime>
#include <cstdint>

#include "ui/page/CMyPropertyPage.h"

class CEditSpin;
class CHistoryBatch;
class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;

class CPropertyPageMeasurement : public CMyPropertyPage {
    Q_OBJECT
public:
    // Control identifiers.
    enum {
        IdInterval = 1336,
        IdSetting = 1337,
        IdUsedText = 1339,
        IdNewestDate = 1340,
        IdNewestTime = 1341,
        IdMemoryBar = 1342,
        IdInputs = 1343,
        IdDownload = 1344,
        IdClear = 1345,
        IdStoredText = 1346,
        IdOpenFile = 1418,
    };

    CPropertyPageMeasurement();

    // What the refresh tick last showed (1160, 1162, 1165).
    qint64 StoredValues() const { return m_stored; }
    qint64 Capacity() const { return m_capacity; }
    qint64 UsedValues() const { return m_used; }
    // The recording mask the controller has as far as this page knows (last read or written).
    uint8_t RecordedMask() const { return m_recordedMask; }

    // The buttons' actions.
    void DownloadToFile();
    void ClearRecorder();
    void OpenFile();

protected:
    void DeclareFields() override;
    void CreateControls() override;
    void OnFieldsRead() override;
    bool AcceptEdit(int key) override;
    void OnWritten(int key) override;
    void UpdateControlStates() override;
    void OnRefreshTick() override;

private:
    void OnInputToggled(QTreeWidgetItem* item);
    void AddToHistory(CHistoryBatch& batch);
    uint8_t CheckedMask() const;
    void ShowMask(uint8_t mask);

    uint8_t Mask() const;
    // The controller's interval and mask as last read or written: a download is laid out
    // by what the recorder used, not by an edit that was never sent.
    int m_recordedInterval = 1;
    uint8_t m_recordedMask = 0;

    qint64 m_stored = 0;    // 1160
    qint64 m_capacity = 0;  // 1162
    qint64 m_used = 0;      // 1165
    QDate m_newestDate;     // 1164
    QTime m_newestTime;     // 1163

    CEditSpin* m_intervalEdit = nullptr;
    CEditSpin* m_settingEdit = nullptr;
    QTreeWidget* m_inputs = nullptr;
    QLabel* m_storedText = nullptr;
    QLabel* m_usedText = nullptr;
    QProgressBar* m_memoryBar = nullptr;
    QLabel* m_newestLabel = nullptr;
    QDateEdit* m_newestDateEdit = nullptr;
    QTimeEdit* m_newestTimeEdit = nullptr;
    QPushButton* m_download = nullptr;
    QPushButton* m_clear = nullptr;
};
