// "Envelope options": the return and delivery addresses with their fonts,
// colours and places on the envelope, the envelope's size and how it lies
// in the printer.
#pragma once

#include "print/measure.h"
#include "print/ui/optionsdialog.h"

#include <array>
#include <functional>

class CMeasureEdit;
class Contact;
class PrintMan;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

class CDialogEnvelopeOptions : public CPrintOptionsDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 151;
    enum Measure { RET_LEFT, RET_TOP, DELIV_LEFT, DELIV_TOP, ENV_WIDTH, ENV_HEIGHT, MEASURE_COUNT };

    // contact: the one the delivery address is shown for (may be null).
    CDialogEnvelopeOptions(PrintMan& printMan, const Contact* contact, bool optionsOnly,
        const MeasureUnit& unit, QWidget* parent = nullptr);

    // Chooses an address format (in and out); true on OK. Without it the
    // "Address format" button stays disabled.
    std::function<bool(u32& index, QWidget* parent)> m_chooseFormat;

    CMeasureEdit* MeasureEdit(Measure m) const { return m_measures[size_t(m)]; }
    QComboBox* Sizes() const { return m_sizes; }
    QGroupBox* CustomSize() const { return m_custom; }
    QCheckBox* NoReturn() const { return m_noReturn; }
    QCheckBox* ContactFormat() const { return m_contactFormat; }
    QPushButton* FormatButton() const { return m_format; }
    QPlainTextEdit* Delivery() const { return m_delivery; }
    // The feed button of a feed method (1-6).
    QAbstractButton* FeedButton(int feed) const;

protected:
    bool OnInitDialog() override;
    bool CheckChoices() override;
    void SaveChoices() override;

private:
    void UpdateEnables();
    void UpdatePreview();

    PrintMan& m_pm;
    const Contact* m_contact;
    MeasureUnit m_unit;
    u32 m_formatIndex = 0;
    LOGFONT m_deliveryFont, m_returnFont;
    COLORREF m_deliveryColor = 0, m_returnColor = 0;
    QPlainTextEdit* m_return;
    QPlainTextEdit* m_delivery;
    QCheckBox* m_noReturn;
    QCheckBox* m_contactFormat;
    QPushButton* m_format;
    QPushButton* m_returnFontButton;
    QComboBox* m_sizes;
    QGroupBox* m_custom;
    QButtonGroup* m_feeds;
    std::array<CMeasureEdit*, MEASURE_COUNT> m_measures{};
};
