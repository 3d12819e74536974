// SPDX-License-Identifier: GPL-3.0-or-later
// Edits one function word: the function (or a sensor input), its index or condition, and,
// for a socket, its value, marker and name. With socket index 255 (choosing a logic input)
// only function, index and marker are exchanged.
#pragma once

#include "pages/outputs/CSPFPara.h"
#include "ui/page/CFieldDialog.h"

class QComboBox;
class QLabel;

class CEditSPF : public CFieldDialog {
    Q_OBJECT
public:
    enum Id {
        IdName = 1498,
        IdFunction = 1595,
        IdIndex = 1439,
        IdValue = 1596,
        IdMarker = 1598,
    };
    static constexpr int kLogicInput = 255;

    CEditSPF(QWidget* parent, const CSPFPara& record, int socketIndex, int templateId);

    const CSPFPara& Record() const { return m_rec; }

protected:
    bool Validate() override;

private:
    void FillFunctions();
    void FillIndex();
    void ShowIndexBox(bool visible);
    // The record's code and index as the editor selects them.
    int SelectedData() const;

    CSPFPara m_rec;
    int m_socket;
    int m_code;       // what the record had, for selecting and keeping unoffered entries
    int m_index;
    double m_value = 0;
    bool m_marker = false;
    QComboBox* m_function = nullptr;
    QComboBox* m_indexBox = nullptr;
    QLabel* m_indexLabel = nullptr;
};
