// The "Speed Dial" dialog, ten buttons that dial the ten speed-dial slots,
// and the "Speed dial preferences" dialog that edits the slots.
#pragma once

#include "controls/framedialog.h"

#include <array>

class CFlatButton;
class DataMan;
class QLineEdit;
class QTreeWidget;
class TapiMan;

class CDialogSpeedDial : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;
    // The ten buttons, slot 0 first.
    static constexpr int kFirstSlotId = 1670;

    CDialogSpeedDial(TapiMan& tapiMan, DataMan& dataMan, QWidget* parent = nullptr);

    // Dials the slot, or opens the preferences on it when it is not filled.
    void DialSlot(int slot);
    CFlatButton* SlotButton(int slot) const { return m_buttons[std::size_t(slot)]; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    // Runs the preferences on one slot; true when the slot was saved.
    virtual bool EditSlot(int slot);

private:
    void ShowTitles();

    TapiMan& m_tapiMan;
    DataMan& m_dataMan;
    std::array<CFlatButton*, 10> m_buttons{};
};

class CDialogSpeedDialPrefs : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;
    static constexpr int kListId = 1680;
    static constexpr int kTitleId = 1681;
    static constexpr int kNumberId = 1682;
    static constexpr int kSlotId = 1683;
    static constexpr int kModifyId = 1684;
    static constexpr int kDeleteId = 1685;

    explicit CDialogSpeedDialPrefs(DataMan& dataMan, QWidget* parent = nullptr);

    void SetPreselected(int slot) { m_nPreselected = slot; }
    void SetSingleSlot(bool single) { m_bSingleSlot = single; }
    bool IsChanged() const { return m_bChanged; }

    void OnModify();
    void OnDelete();

    QTreeWidget* List() const { return m_list; }
    QLineEdit* TitleEdit() const { return m_title; }
    QLineEdit* NumberEdit() const { return m_number; }
    QLineEdit* SlotEdit() const { return m_slot; }
    CFlatButton* ModifyButton() const { return m_modify; }
    CFlatButton* DeleteButton() const { return m_delete; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    int CurrentSlot() const;
    void OnSelectionChanged(int row);
    void ShowRow(int slot);
    void EmptyFields();
    bool Locked() const { return m_bEditing || m_bSingleSlot; }

    DataMan& m_dataMan;
    int m_nPreselected = -1;
    bool m_bSingleSlot = false;
    bool m_bCreateMode = true;
    bool m_bEditing = false;
    bool m_bChanged = false;
    bool m_bReady = false;
    int m_nCurrent = -1;
    QTreeWidget* m_list;
    QLineEdit* m_title;
    QLineEdit* m_number;
    QLineEdit* m_slot;
    CFlatButton* m_modify;
    CFlatButton* m_delete;
    CFlatButton* m_close;
};
