#include "ui/HistoryWnd.h"

#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "ui/FileDialog.h"
#include "ui/PropertySheet.h"

namespace {
constexpr int kSortRole = Qt::UserRole + 1;

// The whole record, one member a line, as the history file holds it.
QString RecordText(const CBootRecord& rec) {
    QString str;
    const CJsonObject obj = RecordJson(rec);
    for (const auto& [strKey, value] : obj.Members()) {
        const std::string& strValue =
            value.eKind == CJsonValue::EKind::Null ? std::string("-") : value.strText;
        str += QString::fromStdString(strKey) + ": " + QString::fromStdString(strValue) + "\n";
    }
    return str;
}
}  // namespace

CHistoryWnd::CHistoryWnd(CORXBootApp& app, IMessageBox& boxes, IFileDialog& files)
    : m_app(app), m_boxes(boxes), m_files(files) {}

CHistoryWnd::~CHistoryWnd() {
    Close();
}

void CHistoryWnd::Open() {
    if (m_pWindow) {
        m_pWindow->showNormal();
        m_pWindow->raise();
        m_pWindow->activateWindow();
        return;
    }
    auto* pWindow = new QWidget(nullptr, Qt::Window);
    pWindow->setAttribute(Qt::WA_DeleteOnClose);
    pWindow->setObjectName("historyWindow");
    pWindow->setWindowTitle(QObject::tr("Boot History"));

    auto* pFilterLabel = new QLabel(QObject::tr("&Filter:"), pWindow);
    m_pFilterEdit = new QLineEdit(pWindow);
    m_pFilterEdit->setObjectName("historyFilter");
    m_pFilterEdit->setClearButtonEnabled(true);
    pFilterLabel->setBuddy(m_pFilterEdit);
    m_pCounts = new QLabel(pWindow);
    m_pCounts->setObjectName("historyCounts");

    const std::vector<CRecordColumn>& arrColumns = RecordColumns();
    m_pModel = new QStandardItemModel(0, static_cast<int>(arrColumns.size()), pWindow);
    for (size_t c = 0; c < arrColumns.size(); ++c)
        m_pModel->setHeaderData(static_cast<int>(c), Qt::Horizontal,
                                QObject::tr(arrColumns[c].pszTitle));
    m_pFilter = new QSortFilterProxyModel(pWindow);
    m_pFilter->setSourceModel(m_pModel);
    m_pFilter->setFilterKeyColumn(-1);
    m_pFilter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_pFilter->setSortRole(kSortRole);
    QObject::connect(m_pFilterEdit, &QLineEdit::textChanged, m_pFilter,
                     &QSortFilterProxyModel::setFilterFixedString);

    m_pTable = new QTableView(pWindow);
    m_pTable->setObjectName("historyTable");
    m_pTable->setAccessibleName(QObject::tr("Boot records"));
    m_pTable->setModel(m_pFilter);
    m_pTable->setSortingEnabled(true);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setAlternatingRowColors(true);
    // One line a record: a long reason is read whole on a double click.
    m_pTable->setWordWrap(false);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    // A double click or Return: both at once would show the record twice.
    QObject::connect(m_pTable, &QTableView::activated,
                     [this](const QModelIndex& index) { ShowRecord(index); });

    auto* pWhere = new QLabel(pWindow);
    pWhere->setObjectName("historyFile");
    pWhere->setTextFormat(Qt::PlainText);
    pWhere->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const std::string strFailure = m_app.HistoryFailure();
    pWhere->setText(
        !strFailure.empty() ? QString::fromStdString(strFailure)
        : m_app.HistoryPath().empty()
            ? QObject::tr("No history is kept in this run.")
            : QObject::tr("Kept in %1").arg(QString::fromStdString(m_app.HistoryPath())));
    auto* pExport = new QPushButton(QObject::tr("&Export CSV..."), pWindow);
    pExport->setObjectName("historyExport");
    QObject::connect(pExport, &QPushButton::clicked, [this] { ExportCsv(); });
    auto* pClose = new QPushButton(QObject::tr("&Close"), pWindow);
    QObject::connect(pClose, &QPushButton::clicked, pWindow, &QWidget::close);

    auto* pTop = new QHBoxLayout;
    pTop->addWidget(pFilterLabel);
    pTop->addWidget(m_pFilterEdit, 1);
    pTop->addSpacing(12);
    pTop->addWidget(m_pCounts);
    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(pWhere, 1);
    pBottom->addWidget(pExport);
    pBottom->addWidget(pClose);
    auto* pLayout = new QVBoxLayout(pWindow);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pTable, 1);
    pLayout->addLayout(pBottom);

    m_pWindow = pWindow;
    m_arrRecords.clear();
    const CHistoryContents contents = m_app.ReadHistory();
    for (const CBootRecord& rec : contents.arrRecords) AddRow(rec);
    m_pTable->sortByColumn(0, Qt::DescendingOrder);  // today's first
    m_pTable->resizeColumnsToContents();
    ShowCounts();
    m_app.SetRecordListener([this](const CBootRecord* pRecord) { OnRecorded(pRecord); });
    QObject::connect(pWindow, &QObject::destroyed, [this] {
        m_app.SetRecordListener(nullptr);
        m_pWindow = nullptr;
    });
    pWindow->resize(900, 420);
    if (const QWidget* pSheet = CPropertySheet::Shown())
        pWindow->move(pSheet->frameGeometry().topLeft() + QPoint(60, 60));
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
    m_pTable->setFocus(Qt::ActiveWindowFocusReason);
}

void CHistoryWnd::Close() {
    if (m_pWindow) delete m_pWindow.data();
}

void CHistoryWnd::OnRecorded(const CBootRecord* pRecord) {
    if (!m_pWindow) return;
    if (pRecord) AddRow(*pRecord);
    ShowCounts();
}

void CHistoryWnd::AddRow(const CBootRecord& rec) {
    QList<QStandardItem*> arrRow;
    for (const CRecordColumn& column : RecordColumns()) {
        const QString strText = QString::fromStdString(column.fnText(rec));
        auto* pItem = new QStandardItem(strText);
        // A screen reader says something for a blank cell (a completed transfer's reason).
        if (strText.isEmpty()) pItem->setData(QObject::tr("none"), Qt::AccessibleTextRole);
        if (column.bNumber) {
            pItem->setData(strText.toDouble(), kSortRole);
            pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        } else if (arrRow.isEmpty()) {
            // Local times with their offsets: in time order even across a clock change.
            pItem->setData(QDateTime::fromString(strText, Qt::ISODate).toMSecsSinceEpoch(),
                           kSortRole);
        } else {
            pItem->setData(strText, kSortRole);
        }
        pItem->setData(static_cast<qulonglong>(m_arrRecords.size()), Qt::UserRole);
        arrRow.append(pItem);
    }
    m_arrRecords.push_back(rec);
    m_pModel->appendRow(arrRow);
}

void CHistoryWnd::ShowCounts() {
    const CRecordCounts counts = m_app.TransfersSinceStart();
    m_pCounts->setText(QObject::tr("Since Start: %1 completed, %2 failed")
                           .arg(counts.nCompleted)
                           .arg(counts.nFailed));
}

std::vector<CBootRecord> CHistoryWnd::ShownRecords() const {
    std::vector<CBootRecord> arrShown;
    for (int nRow = 0; nRow < m_pFilter->rowCount(); ++nRow) {
        const size_t i = m_pFilter->index(nRow, 0).data(Qt::UserRole).toULongLong();
        arrShown.push_back(m_arrRecords[i]);
    }
    return arrShown;
}

void CHistoryWnd::ShowRecord(const QModelIndex& index) {
    if (!index.isValid()) return;
    const CBootRecord& rec = m_arrRecords[index.data(Qt::UserRole).toULongLong()];
    auto* pDialog = new QDialog(m_pWindow);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setObjectName("recordDialog");
    pDialog->setWindowTitle(
        QObject::tr("Boot Record - %1").arg(QString::fromStdString(rec.strUnit)));
    auto* pText = new QPlainTextEdit(RecordText(rec), pDialog);
    pText->setObjectName("recordText");
    pText->setAccessibleName(QObject::tr("Boot record"));
    pText->setReadOnly(true);
    pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, pDialog);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, pDialog, &QDialog::reject);
    auto* pLayout = new QVBoxLayout(pDialog);
    pLayout->addWidget(pText);
    pLayout->addWidget(pButtons);
    pDialog->resize(560, 380);
    pDialog->setWindowModality(Qt::WindowModal);
    pDialog->show();
    pDialog->raise();
    pDialog->activateWindow();
}

void CHistoryWnd::ExportCsv() {
    SaveTextAs(m_files, m_boxes, m_pWindow, QObject::tr("Export CSV").toStdString(),
               "boot-history.csv", QObject::tr("CSV files (*.csv)").toStdString(),
               "The history could not be exported to",
               [this] { return RecordsCsv(ShownRecords()); });
}
