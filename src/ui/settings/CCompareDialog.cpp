// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/CCompareDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "app/CKorvalisControlApp.h"
#include "base/CRegularFile.h"
#include "lang/CLanguage.h"
#include "ui/services/CFileDialogService.h"
#include "ui/services/CMessageService.h"
#include "ui/settings/CGuiTransferUi.h"

namespace {
using State = CSettingsComparison::State;
using Choice = CSettingsCommands::Choice;

CCompareDialog::Runner& TestRunner() {
    static CCompareDialog::Runner runner;
    return runner;
}

enum Column { ColNumber, ColName, ColReference, ColFile, ColState, ColumnCount };
constexpr int kRowRole = Qt::UserRole + 1;
}  // namespace

CCompareDialog::CCompareDialog(CSettingsComparison& comparison, const QString& referenceTitle,
                               const QString& fileTitle, QWidget* parent)
    : QDialog(parent),
      m_comparison(comparison),
      m_referenceTitle(referenceTitle),
      m_fileTitle(fileTitle) {
    setWindowTitle(Tr(51100));
    const bool writable = comparison.AgainstController();
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(writable ? Tr(51116).arg(fileTitle) : Tr(51117).arg(referenceTitle, fileTitle));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* filterRow = new QHBoxLayout;
    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(Tr(51103));
    m_filter->setClearButtonEnabled(true);
    m_showEqual = new QCheckBox(Tr(51104));
    m_showEqual->setObjectName(QStringLiteral("showEqual"));
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(m_showEqual);
    layout->addLayout(filterRow);

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("rows"));
    m_tree->setColumnCount(ColumnCount);
    m_tree->setHeaderLabels({Tr(51031), Tr(51032), referenceTitle, fileTitle, Tr(51033)});
    m_tree->setUniformRowHeights(true);
    m_tree->setAlternatingRowColors(true);
    m_tree->setRootIsDecorated(true);
    m_tree->header()->setStretchLastSection(true);
    layout->addWidget(m_tree, 1);

    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_summary);

    auto* buttons = new QDialogButtonBox;
    auto* exportButton = buttons->addButton(Tr(51107), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("export"));
    connect(exportButton, &QPushButton::clicked, this, &CCompareDialog::Export);
    if (writable) {
        auto* all = buttons->addButton(Tr(51119), QDialogButtonBox::ActionRole);
        auto* none = buttons->addButton(Tr(51120), QDialogButtonBox::ActionRole);
        connect(all, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
        connect(none, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
        m_writeChecked = buttons->addButton(Tr(51105), QDialogButtonBox::AcceptRole);
        m_writeChecked->setObjectName(QStringLiteral("writeChecked"));
        m_writeChecked->setDefault(true);
        m_writeAll = buttons->addButton(Tr(51106), QDialogButtonBox::AcceptRole);
        m_writeAll->setObjectName(QStringLiteral("writeAll"));
        connect(m_writeChecked, &QPushButton::clicked, this,
                [this] { Finish(Choice::WriteChecked); });
        connect(m_writeAll, &QPushButton::clicked, this, [this] { Finish(Choice::WriteAll); });
        buttons->addButton(QDialogButtonBox::Cancel);
    } else {
        buttons->addButton(QDialogButtonBox::Close);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_filter, &QLineEdit::textChanged, this, &CCompareDialog::ApplyFilter);
    connect(m_showEqual, &QCheckBox::toggled, this, &CCompareDialog::Fill);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CCompareDialog::OnItemChanged);
    Fill();
    resize(860, 560);
}

QString CCompareDialog::ValueText(const CSettingsComparison::Row& row, bool fileSide) const {
    if (fileSide ? row.index < 0
                 : (row.state == State::OnlyInFile || row.state == State::LeftOut ||
                    row.state == State::Unread))
        return QStringLiteral("–");
    const auto text = [this, fileSide](const CParameter& p) {
        const QString shown = m_comparison.DisplayText(p, !fileSide);
        const QString raw = CSettingsComparison::RawText(p);
        return shown.isEmpty() ? raw : shown + QStringLiteral("  (") + raw + QLatin1Char(')');
    };
    if (!fileSide) return text(row.reference);
    return row.rescaled ? Tr(51118).arg(text(row.stored), text(row.file)) : text(row.file);
}

void CCompareDialog::Fill() {
    m_filling = true;
    m_tree->clear();
    std::array<QTreeWidgetItem*, CParameterMeaning::GroupCount> groups{};
    const bool writable = m_comparison.AgainstController();
    QList<CSettingsComparison::Row>& rows = m_comparison.Rows();
    // Groups in the navigation tree's order, rows in the file's order within each.
    for (int g = 0; g < CParameterMeaning::GroupCount; ++g) {
        for (int i = 0; i < rows.size(); ++i) {
            const CSettingsComparison::Row& r = rows[i];
            if (r.group != g || (r.state == State::Equal && !m_showEqual->isChecked())) continue;
            QTreeWidgetItem*& group = groups[static_cast<size_t>(g)];
            if (!group) {
                group = new QTreeWidgetItem(m_tree, {CParameterMeaning::GroupTitle(r.group)});
                group->setFirstColumnSpanned(true);
                QFont bold = group->font(0);
                bold.setBold(true);
                group->setFont(0, bold);
                group->setExpanded(true);
                group->setFlags(Qt::ItemIsEnabled);
            }
            auto* item = new QTreeWidgetItem(
                group, {QString::number(r.Number()), r.Name(), ValueText(r, false),
                        ValueText(r, true), CSettingsComparison::StateText(r.state)});
            item->setData(0, kRowRole, i);
            item->setTextAlignment(ColNumber, Qt::AlignRight | Qt::AlignVCenter);
            if (writable && r.Writable()) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                item->setCheckState(0, r.checked ? Qt::Checked : Qt::Unchecked);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                item->setForeground(ColState, palette().brush(QPalette::Disabled, QPalette::Text));
            }
        }
    }
    for (int c = 0; c < ColState; ++c) m_tree->resizeColumnToContents(c);
    m_filling = false;
    ApplyFilter();
    UpdateSummary();
}

void CCompareDialog::SetFilter(const QString& text) {
    m_filter->setText(text);
}

void CCompareDialog::ApplyFilter() {
    const QString needle = m_filter->text().trimmed();
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = m_tree->topLevelItem(g);
        const bool groupMatches = group->text(0).contains(needle, Qt::CaseInsensitive);
        int shown = 0;
        for (int c = 0; c < group->childCount(); ++c) {
            QTreeWidgetItem* item = group->child(c);
            const bool match = needle.isEmpty() || groupMatches ||
                               item->text(ColNumber) == needle ||
                               item->text(ColName).contains(needle, Qt::CaseInsensitive);
            item->setHidden(!match);
            shown += match ? 1 : 0;
        }
        group->setHidden(shown == 0);
    }
}

void CCompareDialog::UpdateSummary() {
    const CSettingsComparison& c = m_comparison;
    const int differences = c.Count(State::Differs) + c.Count(State::Unread) +
                            c.Count(State::OnlyInFile) + c.Count(State::OnlyInReference);
    if (c.AgainstController())
        m_summary->setText(Tr(51108)
                               .arg(differences)
                               .arg(c.Checked())
                               .arg(c.Count(State::Equal))
                               .arg(c.Count(State::LeftOut)));
    else
        m_summary->setText(Tr(51109).arg(differences).arg(c.Count(State::Equal)));
    if (m_writeChecked) m_writeChecked->setEnabled(c.Checked() > 0);
}

void CCompareDialog::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (m_filling || column != 0 || !(item->flags() & Qt::ItemIsUserCheckable)) return;
    const int i = item->data(0, kRowRole).toInt();
    if (i < 0 || i >= m_comparison.Rows().size()) return;
    m_comparison.Rows()[i].checked = item->checkState(0) == Qt::Checked;
    UpdateSummary();
}

void CCompareDialog::SetAllChecked(bool on) {
    // Only what the filter shows: "check none" after filtering for one group unchecks that group.
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = m_tree->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            QTreeWidgetItem* item = group->child(c);
            if (!item->isHidden() && (item->flags() & Qt::ItemIsUserCheckable))
                item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        }
    }
}

void CCompareDialog::Finish(Choice choice) {
    m_choice = choice;
    accept();
}

void CCompareDialog::Export() {
    const QString suggested = QDir::home().filePath(QFileInfo(m_fileTitle).completeBaseName() +
                                                    QStringLiteral("-differences.txt"));
    const QString path = CFileDialogService::GetSaveFileName(Tr(51113), suggested, Tr(51114), this);
    if (!path.isEmpty()) ExportTo(path);
}

bool CCompareDialog::ExportTo(const QString& path) {
    const auto format =
        QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0
            ? CSettingsComparison::ReportFormat::Csv
            : CSettingsComparison::ReportFormat::Text;
    if (CRegularFile::Replace(path, m_comparison.Report(format, m_referenceTitle, m_fileTitle)))
        return true;
    CMessageService::ShowMessage(51115, CMessageService::Icon::Stop, CMessageService::Buttons::Ok,
                                 {QDir::toNativeSeparators(path)}, this);
    return false;
}

void CCompareDialog::SetRunner(Runner runner) {
    TestRunner() = std::move(runner);
}

int CCompareDialog::Run() {
    if (!TestRunner()) return exec();
    show();
    TestRunner()(*this);
    return result();
}

CSettingsCommands::Choice CCompareDialog::Choose(CSettingsComparison& comparison,
                                                 const QString& fileTitle, QWidget* parent) {
    CCompareDialog dialog(comparison, Tr(51101), fileTitle, parent);
    dialog.Run();
    return dialog.Result();
}

void CCompareDialog::ShowFiles(CSettingsComparison& comparison, const QString& first,
                               const QString& second, QWidget* parent) {
    CCompareDialog dialog(comparison, first, second, parent);
    dialog.Run();
}

QWidget* CCompareDialog::OpenForScreenshot(QWidget* parent, const QString& path) {
    CGuiTransferUi ui(parent);
    CSettingsCommands commands(CKorvalisControlApp::Instance(), ui);
    // Owned by the dialog, which lives past this call.
    auto* comparison = new CSettingsComparison;
    if (commands.CompareFileWithController(path, *comparison) != CSettingsCommands::Result::Done) {
        delete comparison;
        return nullptr;
    }
    auto* dialog = new CCompareDialog(*comparison, Tr(51101), QFileInfo(path).fileName(), parent);
    QObject::connect(dialog, &QObject::destroyed, [comparison] { delete comparison; });
    dialog->show();
    return dialog;
}
