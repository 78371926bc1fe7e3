// "Label options": the label sheet from the standard and the user's own
// sheets, its measures, the label font and the address format, with the
// user's own sheets made, changed and deleted here.
#pragma once

#include "print/measure.h"
#include "print/printrecords.h"
#include "print/ui/optionsdialog.h"

#include <functional>

class Contact;
class PrintMan;
class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

constexpr const char* kLabelListPosEntry = "LabelListPos";

class CDialogLabelOptions : public CPrintOptionsDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 155;

    CDialogLabelOptions(PrintMan& printMan, const Contact* contact, bool optionsOnly, const MeasureUnit& unit,
        QWidget* parent = nullptr);

    // Reads both label files and makes the sheet saved as the chosen one
    // PrintMan's current sheet, without a window.
    static void ApplySavedLabel(PrintMan& printMan);

    std::function<bool(u32& index, QWidget* parent)> m_chooseFormat;
    // Edits a sheet (the definition dialog by default); true on OK with the result in label.
    std::function<bool(LabelDefinition& label, bool isNew)> m_editLabel;

    const LabelDefinitionArray& Labels() const { return m_labels; }
    QListWidget* List() const { return m_list; }
    QLabel* Info(int id) const;
    QPushButton* DeleteButton() const { return m_delete; }
    QPlainTextEdit* Address() const { return m_address; }
    void OnNew();
    void OnDetails();
    void OnDelete();

protected:
    bool OnInitDialog() override;
    void SaveChoices() override;

private:
    void AddEntry(size_t index);
    int SelectedIndex() const;
    void SelectIndex(size_t index);
    void ShowSelected();
    void UpdatePreview();
    // False, with the reason shown, when the custom file may not be rewritten.
    bool MayChangeCustomLabels();

    PrintMan& m_pm;
    const Contact* m_contact;
    MeasureUnit m_unit;
    u32 m_formatIndex = 0;
    LOGFONT m_font;
    COLORREF m_color = 0;
    LabelDefinitionArray m_labels;
    bool m_customReadWhole = true;
    QListWidget* m_list;
    QPlainTextEdit* m_address;
    QPushButton* m_new;
    QPushButton* m_details;
    QPushButton* m_delete;
    QPushButton* m_format;
    QCheckBox* m_contactFormat;
    QLabel* m_height;
    QLabel* m_width;
    QLabel* m_pageSize;
    QLabel* m_layout;
};
