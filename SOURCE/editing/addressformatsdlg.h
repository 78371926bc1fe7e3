// The list of address formats: formats are added, edited and deleted in a
// working copy, and one is chosen; OK hands the copy to the settings.
#pragma once

#include "controls/framedialog.h"
#include "core/addressformat.h"

class CFlatButton;
class DataMan;
class PrintMan;
class QListWidget;
class UserMan;

// Keeps every stored reference to an address format (the contacts'
// addresses, the envelope's and the labels' format) on the same format when
// the list is edited: later formats are renumbered, one whose format was
// deleted takes the default; the data file and the print settings are saved
// at once.
void KeepAddressFormatReferences(UserMan& userMan, DataMan& dataMan, PrintMan* printMan);

class CDialogAddressFormats : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 157;
    static constexpr int kListId = 1639;
    static constexpr int kAddId = 1640;
    static constexpr int kEditId = 1641;
    static constexpr int kDeleteId = 1642;

    // The formats are those of the settings given, else the application's.
    explicit CDialogAddressFormats(QWidget* parent = nullptr, UserMan* userMan = nullptr);

    // The format in use in; after OK, the one chosen. -1 for none.
    int m_nSelected = -1;

    QListWidget* List() const { return m_list; }
    const CAddressFormatArray& WorkingCopy() const { return m_formats; }
    bool CanDelete() const;

    void OnAdd();
    void OnEdit();
    void OnDelete();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    // The selected entry's index, -1 when there is none.
    int SelectedIndex() const;
    void UpdateButtons();

    UserMan& m_userMan;
    CAddressFormatArray m_formats;
    // For each format of the working copy, its index in the settings' list
    // (-1 for one added here).
    std::vector<int> m_origins;
    QListWidget* m_list;
    CFlatButton* m_add;
    CFlatButton* m_edit;
    CFlatButton* m_delete;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
};
