#pragma once
#include <QPointer>
#include <QWidget>
#include <vector>

#include "app/BootRecord.h"

class CORXBootApp;
class IFileDialog;
class IMessageBox;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// The boot history in a window of its own beside the sheet: a table of every record kept
// (today's first; a click on a heading sorts by that column), a filter over all columns,
// the transfers completed and failed since Start, Export CSV... of the rows shown, and a
// double click that shows the whole record. Records made while it is open join the table.
class CHistoryWnd {
public:
    CHistoryWnd(CORXBootApp& app, IMessageBox& boxes, IFileDialog& files);
    ~CHistoryWnd();
    CHistoryWnd(const CHistoryWnd&) = delete;
    CHistoryWnd& operator=(const CHistoryWnd&) = delete;

    // Opens the window, or brings it to the front.
    void Open();
    void Close();
    QWidget* Window() const { return m_pWindow; }

private:
    // A record just made; nullptr when the servers started (the counts begin again).
    void OnRecorded(const CBootRecord* pRecord);
    void AddRow(const CBootRecord& rec);
    void ShowCounts();
    void ShowRecord(const QModelIndex& index);
    void ExportCsv();
    std::vector<CBootRecord> ShownRecords() const;

    CORXBootApp& m_app;
    IMessageBox& m_boxes;
    IFileDialog& m_files;
    QPointer<QWidget> m_pWindow;
    QTableView* m_pTable = nullptr;
    QStandardItemModel* m_pModel = nullptr;
    QSortFilterProxyModel* m_pFilter = nullptr;
    QLineEdit* m_pFilterEdit = nullptr;
    QLabel* m_pCounts = nullptr;
    std::vector<CBootRecord> m_arrRecords;  // row i of the model is record i
};
