// The "Call log" dialog: the logged calls of every contact or of one, to
// redial, delete, clear and export as comma-separated text.
#pragma once

#include "controls/framedialog.h"
#include "telephony/calllog.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

class CFlatButton;
class DataMan;
class QTreeView;
class TapiMan;

// The rows of the list, as the log gives them.
class CallLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    void SetRows(std::vector<CallLogRow> rows);
    const std::vector<CallLogRow>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<CallLogRow> m_rows;
};

class CDialogCallLog : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 132;
    static constexpr int kListId = 1660;
    static constexpr int kDialId = 1661;
    static constexpr int kExportId = 1662;
    static constexpr int kDeleteId = 1663;
    static constexpr int kClearId = 1664;

    CDialogCallLog(TapiMan& tapiMan, DataMan& dataMan, QWidget* parent = nullptr);

    // kAllContacts, or the one contact whose calls are shown.
    void SetFilter(u32 contactId) { m_filter = contactId; }
    void SetTitle(const std::string& title);

    void OnDial();
    void OnDelete();
    void OnClear();
    void OnExport();
    // Writes the rows shown to the file; false (and told) when it cannot.
    bool Export(const std::string& path);

    QTreeView* List() const { return m_list; }
    const CallLogModel& Model() const { return m_model; }
    CFlatButton* Button(const QString& text) const;

    void done(int result) override;

protected:
    bool OnInitDialog() override;

private:
    void Refill();
    void UpdateButtons();
    std::vector<int> SelectedRows() const;

    TapiMan& m_tapiMan;
    DataMan& m_dataMan;
    u32 m_filter = kAllContacts;
    CallLogModel m_model;
    QTreeView* m_list;
    CFlatButton* m_dial;
    CFlatButton* m_export;
    CFlatButton* m_delete;
    CFlatButton* m_clear;
    CFlatButton* m_close;
};
