// The wizard's pages.
#pragma once

#include "impexp/ui/iepage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class QTableWidget;
struct BookTreeItem;

constexpr int IDC_IE_IMPORT = 1286;
constexpr int IDC_IE_EXPORT = 1287;
constexpr int IDC_IE_FORMATS = 1075;
constexpr int IDC_IE_BOOKS = 1552;
constexpr int IDC_IE_DUPLICATES = 1554;
constexpr int IDC_IE_PATH = 1078;
constexpr int IDC_IE_BROWSE = 1100;
constexpr int IDC_IE_DEFAULT_BOOK = 1556;
constexpr int IDC_IE_MAPPING = 1074;
constexpr int IDC_IE_FIRST_LINE = 1073;
constexpr int IDC_IE_DATE_FORMAT = 1076;
constexpr int IDC_IE_CHANGE = 1535;
constexpr int IDC_IE_SEPARATOR = 1591;

class CIEStartPage : public CIEPage {
    Q_OBJECT
public:
    explicit CIEStartPage(CIESheet* sheet);
    void OnSetActive() override;
    void OnKillActive() override;
    QWidget* FirstControl() const override;

private:
    QRadioButton* m_import;
    QRadioButton* m_export;
};

class CIETypePage : public CIEPage {
    Q_OBJECT
public:
    explicit CIETypePage(CIESheet* sheet);
    void OnSetActive() override;
    QWidget* FirstControl() const override;

private:
    void OnSelect();
    QListWidget* m_list;
};

class CIESelBookPage : public CIEPage {
    Q_OBJECT
public:
    explicit CIESelBookPage(CIESheet* sheet);
    void OnSetActive() override;
    void OnKillActive() override;
    QWidget* FirstControl() const override;

private:
    void AddItems(QTreeWidgetItem* parent, const std::vector<BookTreeItem>& items);
    QTreeWidget* m_tree;
    QCheckBox* m_check;
};

class CIEFilePage : public CIEPage {
    Q_OBJECT
public:
    explicit CIEFilePage(CIESheet* sheet);
    void OnSetActive() override;
    void OnKillActive() override;
    QWidget* FirstControl() const override;

private:
    void OnBrowse();
    void OnDefaultBook();
    QLineEdit* m_path;
    QPushButton* m_browse;
    QPushButton* m_default;
};

class CIEFieldsPage : public CIEPage {
    Q_OBJECT
public:
    explicit CIEFieldsPage(CIESheet* sheet);
    void OnSetActive() override;
    void OnKillActive() override;
    QWidget* FirstControl() const override;
    // Runs the Change Mapping dialog for the selected row.
    void ChangeMapping();
    // Fills the list from the rows of the wizard.
    void FillList();
    // Enter in the list changes the mapping rather than finishing.
    bool ListHasFocus() const;

private:
    void Refresh();
    void OnItemChanged(int row, int column);
    void OnSeparatorEdited(const QString& text);
    QLabel* m_title;
    QTableWidget* m_list;
    QCheckBox* m_firstLine;
    QLabel* m_dateLabel;
    QComboBox* m_dateFormat;
    QPushButton* m_change;
    QLabel* m_separatorLabel;
    QLineEdit* m_separator;
    bool m_filling = false;
};
