// "Memo options" and "Report options": header and footer texts with their
// placeholders, the three fonts with their colours, and what is printed.
#pragma once

#include "print/ui/optionsdialog.h"

#include <array>
#include <functional>

class PrintMan;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDialogMemoOptions : public CPrintOptionsDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 152;

    // style: 1 memo, 2 report. In options-only mode the dialog only takes
    // the settings: "&Print" reads "&OK" and there is no preview.
    CDialogMemoOptions(PrintMan& printMan, u32 style, bool optionsOnly, QWidget* parent = nullptr);

    // Runs the page setup; the application's by default.
    std::function<void()> m_pageSetup;

    QLineEdit* HeaderEdit(int part) const { return m_head[size_t(part)]; }
    QLineEdit* FooterEdit(int part) const { return m_foot[size_t(part)]; }
    // Appends the placeholder to the header or footer edit that had the focus last.
    void InsertPlaceholder(const QString& placeholder);

protected:
    bool OnInitDialog() override;
    void SaveChoices() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FontChoice {
        LOGFONT font;
        COLORREF color = 0;
        QLabel* sample = nullptr;
    };
    void ShowSample(FontChoice& choice);
    void ChooseElementFont(FontChoice& choice);
    void UpdateTextFont();

    PrintMan& m_pm;
    u32 m_style;
    std::array<QLineEdit*, 3> m_head{};
    std::array<QLineEdit*, 3> m_foot{};
    std::array<FontChoice, 3> m_fonts;  // header, footer, text
    QCheckBox* m_printHeader;
    QCheckBox* m_printFooter;
    QCheckBox* m_third;  // empty fields (memo) or contact font (report)
    QPushButton* m_textFont = nullptr;
    QLineEdit* m_lastEdit = nullptr;
};
