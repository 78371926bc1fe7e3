// Chooses the contact field that one column of an import file goes to.
#pragma once

#include "controls/framedialog.h"

#include <string>

class QComboBox;
class QLabel;

constexpr int IDD_CHANGE_MAPPING = 147;
constexpr int IDC_MAPPING_NAME = 1350;
constexpr int IDC_MAPPING_FIELDS = 1537;

class CDialogChangeMapping : public CFramedDialog {
    Q_OBJECT
public:
    // The column's current field (0 for none) and its name.
    CDialogChangeMapping(u32 fieldId, const std::string& textField, QWidget* parent = nullptr);

    QComboBox* Fields() const { return m_fields; }

    // After OK: the chosen field (0 for none) and its caption.
    u32 m_nFieldId;
    std::string m_strFieldName;
    std::string m_strTextField;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    QLabel* m_name;
    QComboBox* m_fields;
};
