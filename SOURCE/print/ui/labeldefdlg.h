// One label sheet's measures, edited in centimetres or inches: the label's
// size, the spacing, the rows and columns, the margins and the paper.
#pragma once

#include "controls/framedialog.h"
#include "print/measure.h"
#include "print/printrecords.h"

#include <array>

class CMeasureEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class CDialogLabelDef : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 156;
    enum Measure { HEIGHT, WIDTH, ROW_SPACING, COLUMN_SPACING, TOP_MARGIN, LEFT_MARGIN, MEASURE_COUNT };

    // isNew: a new label ("&New") rather than the details of one.
    CDialogLabelDef(
        const LabelDefinition& label, bool isNew, const MeasureUnit& unit, QWidget* parent = nullptr);

    // After OK with New() set: the definition made.
    const LabelDefinition& Definition() const { return m_def; }
    bool New() const { return m_bNew; }

    CMeasureEdit* MeasureEdit(Measure m) const { return m_measures[size_t(m)]; }
    QLineEdit* NameEdit() const { return m_name; }
    QSpinBox* Rows() const { return m_rows; }
    QSpinBox* Columns() const { return m_columns; }
    QComboBox* Paper() const { return m_paper; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void OnChanged();
    void UpdateMaximums();
    i32 Twips(Measure m) const;

    LabelDefinition m_def;
    bool m_bNew;
    bool m_changed = false;
    bool m_loading = true;
    MeasureUnit m_unit;
    i32 m_pageWidth = 0, m_pageHeight = 0;
    QLineEdit* m_name;
    std::array<CMeasureEdit*, MEASURE_COUNT> m_measures{};
    std::array<QLabel*, MEASURE_COUNT> m_captions{};
    QSpinBox* m_rows;
    QSpinBox* m_columns;
    QComboBox* m_paper;
};
