// The time-zone locations of the status-bar clock: each location is a name
// and a zone of the system's zone database, listed with its current time.
#pragma once

#include "controls/dialogpage.h"
#include "core/timezones.h"
#include "editing/prefpages.h"

#include <QBasicTimer>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
struct TimeZoneEntry;

class CTimeZonesPage : public CDialogPage {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    CTimeZonesPage(PrefContext& context, QWidget* host = nullptr);
    ~CTimeZonesPage() override;

    void OnNew();
    void OnEdit();
    void OnDelete();
    void OnApply();
    void OnCancelMode();
    void OnEditDst();
    // The timer's work: a pending deletion, then the times of the rows.
    void OnTick();
    void OnOK() override;
    void OnCancel() override;

    bool InViewMode() const { return !m_bNew && !m_bEdit; }
    QTreeWidget* List() const { return m_list; }
    QComboBox* Picker() const { return m_picker; }
    QLineEdit* CustomName() const { return m_name; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void Fill();
    void SetMode(bool isNew, bool isEdit);
    void ShowSelected();
    void UpdateButtons();
    int SelectedRow() const;
    // The location's name as typed, without blanks around it.
    QString Name() const;
    bool ReadZone(TimeZoneEntry& entry) const;

    PrefContext& m_context;
    QTreeWidget* m_list = nullptr;
    QComboBox* m_picker = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_zoneLabel = nullptr;
    QLabel* m_startLabel = nullptr;
    QLabel* m_endLabel = nullptr;
    QPushButton* m_newButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    std::vector<ZoneChoice> m_zones;
    QBasicTimer m_timer;
    bool m_bNew = false;
    bool m_bEdit = false;
    int m_nEditRow = -1;
    bool m_bStatusZoneEdited = false;
    int m_nPendingDelete = -1;
};
