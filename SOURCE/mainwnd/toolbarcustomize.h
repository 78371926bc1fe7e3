// The toolbar's customisation dialog: the buttons it can hold on the left,
// those it holds on the right, in order.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class CMainToolbar;
class QListWidget;
class QPushButton;

class CToolbarCustomizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CToolbarCustomizeDialog(CMainToolbar& toolbar, QWidget* parent = nullptr);

    // "Send mail" and "Dial" stay on the toolbar.
    static bool CanRemove(int buttonIndex);

    std::function<void()> resetRequested;
    std::function<void()> helpRequested;

private:
    void Fill();
    void Apply(const std::vector<int>& layout);
    void OnAdd();
    void OnRemove();
    void OnMove(int step);
    void UpdateButtons();

    CMainToolbar& m_toolbar;
    QListWidget* m_available;
    QListWidget* m_current;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_up;
    QPushButton* m_down;
};
