// SPDX-License-Identifier: GPL-3.0-or-later
// The modem terminal of the SMS module (template 276, service mode): after 2056 = 1 the
// module hands its serial line to the modem until it receives an escape byte.
#pragma once

#include <QDialog>
#include <QTimer>

class CMyPropertyPage;
class QPlainTextEdit;

class CSMSDiagnosis : public QDialog {
    Q_OBJECT
public:
    enum { IdInput = 1668, IdOutput = 1669 };
    explicit CSMSDiagnosis(QWidget* parent = nullptr);
    ~CSMSDiagnosis() override;

    // Only a serial line carries the modem's byte stream and the closing escape for sure.
    static bool IsPossible();
    // Switches the module into the terminal and greets the modem; false when the module
    // refused (the dialog is then not to be shown).
    bool Open(CMyPropertyPage& page);
    // One poll of the line (the 500 ms timer calls it).
    void Poll();
    // Sends one typed byte.
    void Type(char byte);
    QString Output() const;
    QString Input() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void Close();
    QPlainTextEdit* m_output = nullptr;
    QPlainTextEdit* m_input = nullptr;
    QTimer m_timer;
    int m_savedTimeout = -1;
    bool m_open = false;
};
