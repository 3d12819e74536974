// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/measurement/CMeasDataDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPen>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "ui/page/CMyPropertyPage.h"
#include "app/CTimerStop.h"
#include "base/CUserInteraction.h"
#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "lang/CLanguage.h"
#include "recorder/CMeasuredValueArray.h"
#include "ui/services/CFileDialogService.h"

namespace {
// A zoom stops at ten minutes: ten records at the shortest recording interval.
constexpr double kMinWidthMs = 10 * 60000.0;

const QColor kColours[] = {QColor(0x1f, 0x6f, 0xb4), QColor(0xd9, 0x5f, 0x02),
                           QColor(0x1b, 0x9e, 0x77), QColor(0xc0, 0x39, 0x2b),
                           QColor(0x75, 0x70, 0xb3), QColor(0x8c, 0x56, 0x4b),
                           QColor(0xe7, 0x29, 0x8a), QColor(0x33, 0x33, 0x33)};
}  // namespace

CMeasDataDialog::CMeasDataDialog(QWidget* parent, const CMeasuredValueArray& array)
    : QDialog(parent), m_group(new CChartGroup(this)) {
    setObjectName(QStringLiteral("219"));
    setWindowTitle(Tr(61800));
    setSizeGripEnabled(true);

    // Records are drawn in time order; a file with appended older downloads may not be.
    const qsizetype n = array.GetCount();
    std::vector<qsizetype> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    auto timeOf = [&array](qsizetype i) {
        return static_cast<double>(array[i].timeStamp.toMSecsSinceEpoch());
    };
    bool sorted = true;
    for (qsizetype i = 1; i < n && sorted; ++i) sorted = timeOf(i - 1) <= timeOf(i);
    if (!sorted)
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return timeOf(a) < timeOf(b); });
    auto time = std::make_shared<std::vector<double>>(static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i)
        (*time)[static_cast<size_t>(i)] = timeOf(order[static_cast<size_t>(i)]);
    m_time = time;

    m_chartArea = new QWidget(this);
    auto* strips = new QVBoxLayout(m_chartArea);
    strips->setContentsMargins(0, 0, 0, 0);
    strips->setSpacing(0);
    const int columns = std::min(array.ValueColumnCount(), CMeasuredValueArray::kMaxColumns);
    for (int k = 0; k < columns; ++k) {
        std::vector<double> y(static_cast<size_t>(n));
        for (qsizetype i = 0; i < n; ++i)
            y[static_cast<size_t>(i)] = array[order[static_cast<size_t>(i)]].values[k];
        auto* view = new CTimeChartView(m_group, m_chartArea);
        view->setObjectName(QStringLiteral("1234"));
        view->SetSeries(array.ColumnName(k), array.ColumnUnit(k),
                        CMinMaxSeries(m_time, std::move(y)));
        view->SetPen(QPen(kColours[k]));
        view->setMinimumHeight(90);
        strips->addWidget(view, 1);  // equal strips
        m_group->AddView(view);
        m_charts.append(view);
    }
    if (n > 0) m_group->SetFullRange(m_time->front(), m_time->back(), kMinWidthMs);

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* reset = new QPushButton(Tr(61801), this);
    reset->setObjectName(QStringLiteral("reset"));
    auto* exportButton = new QPushButton(Tr(61802), this);
    exportButton->setObjectName(QStringLiteral("export"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(Tr(61807));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, m_group, &CChartGroup::Reset);
    connect(exportButton, &QPushButton::clicked, this, &CMeasDataDialog::AskAndExport);
    connect(m_group, &CChartGroup::cursorChanged, this, &CMeasDataDialog::ShowReadout);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_readout, 1);
    bottom->addWidget(reset);
    bottom->addWidget(exportButton);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chartArea, 1);
    layout->addLayout(bottom);
    ShowReadout(std::nan(""));
    resize(1000, std::clamp(120 + 170 * columns, 420, 860));
}

CMeasDataDialog::~CMeasDataDialog() = default;

QString CMeasDataDialog::ReadoutText() const {
    return m_readout->text();
}

void CMeasDataDialog::ShowReadout(double x) {
    if (std::isnan(x) || m_time->empty()) {
        m_readout->setText(Tr(61806));
        return;
    }
    // The time of the record nearest to the pointer; each chart shows its value in it.
    const auto& t = *m_time;
    const auto at = std::lower_bound(t.begin(), t.end(), x) - t.begin();
    qsizetype i = std::clamp<qsizetype>(at, 0, static_cast<qsizetype>(t.size()) - 1);
    if (i > 0 && x - t[static_cast<size_t>(i - 1)] < t[static_cast<size_t>(i)] - x) --i;
    const QDateTime stamp =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t[static_cast<size_t>(i)]), Qt::UTC);
    m_readout->setText(CMeasuredValueArray::FormatDate(stamp.date()) + QLatin1Char(' ') +
                       CMeasuredValueArray::FormatTime(stamp.time()));
}

bool CMeasDataDialog::ExportImage(const QString& path) const {
    const QImage image = m_chartArea->grab().toImage();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) return false;
    return file.commit();
}

void CMeasDataDialog::AskAndExport() {
    QString path = CFileDialogService::GetSaveFileName(Tr(61803), QString(), Tr(61804), this);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    if (ExportImage(path)) return;
    CUserInteraction* ui = CMyPropertyPage::UserInteraction();
    if (ui) ui->ShowMessage(61805, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok);
}

void CMeasDataDialog::OpenFile(QWidget* parent, const QString& givenPath, CUserInteraction* ui) {
    CTimerStop stop;
    QString path = givenPath;
    if (path.isEmpty()) {
        path = CFileDialogService::GetOpenFileName(Tr(20716), QString(), Tr(390), parent);
        if (path.isEmpty()) return;
    }
    CMeasuredValueArray array;
    switch (array.LoadFile(path)) {
        case CMeasuredValueArray::LoadResult::CannotOpen:
            if (ui)
                ui->ShowMessage(391, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok);
            return;
        case CMeasuredValueArray::LoadResult::Malformed:
            if (ui)
                ui->ShowMessage(392, CUserInteraction::Icon::Stop, CUserInteraction::Buttons::Ok);
            return;
        case CMeasuredValueArray::LoadResult::Ok:
            break;
    }
    CMeasDataDialog dialog(parent, array);
    dialog.setWindowTitle(Tr(61800) + QStringLiteral(" \u2013 ") + QFileInfo(path).fileName());
    array.Clear();
    dialog.exec();
}
