// A book's properties: its name and description, with its icon and a line
// saying what it holds.
#pragma once

#include "controls/framedialog.h"

#include <string>

class CFlatButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class CDialogBookProps : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 145;
    static constexpr int kDescriptionId = 1520;
    static constexpr int kNameId = 1519;
    static constexpr int kInfoId = 1521;
    static constexpr int kIconId = 1522;
    static constexpr int kNameLimit = 255;
    // The bitmap the icons are cut from, and their size.
    static constexpr int kIconBitmapId = 313;
    static constexpr int kIconSize = 20;

    explicit CDialogBookProps(QWidget* parent = nullptr);

    // Set by the caller before the dialog runs; name and description are
    // read back after OK.
    std::string m_strTitle;
    std::string m_strName;
    std::string m_strDescription;
    std::string m_strInfo;
    int m_nIcon = 1;
    bool m_bReadOnlyName = false;

    QLineEdit* NameEdit() const { return m_name; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }
    QLabel* InfoLine() const { return m_info; }

    // Image number of the book icons (0 the root, 1 a book, 2 "Deleted
    // Items"); a stand-in from the desktop's icons when the program's
    // bitmap lacks it.
    static QPixmap BookIcon(int index, const QWidget* widget);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    QLabel* m_icon;
    QLineEdit* m_name;
    QPlainTextEdit* m_description;
    QLabel* m_info;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
};
