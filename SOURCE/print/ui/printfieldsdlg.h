// "Fields": which contact fields the memo style prints, and in what order.
#pragma once

#include "controls/framedialog.h"

class PrintMan;
class QListWidget;
class QPushButton;

class CDialogPrintFields : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 146;

    explicit CDialogPrintFields(PrintMan& printMan, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }
    void OnMoveUp() { Move(-1); }
    void OnMoveDown() { Move(1); }
    void OnReset();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void Fill(const std::vector<u32>& fields);
    void Move(int step);
    void UpdateButtons();

    PrintMan& m_pm;
    QListWidget* m_list;
    QPushButton* m_up;
    QPushButton* m_down;
};
