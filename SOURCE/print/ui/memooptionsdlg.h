// "Memo options" and "Report options": header and footer texts with their
// placeholders, the three fonts with their colours, and what is printed.
#pragma once

#include "controls/framedialog.h"
#include "platform/wintypes.h"

#include <array>
#include <functional>

class PrintMan;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDialogMemoOptions : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 152;

    // style: 1 memo, 2 report. In options-only mode the dialog only takes
    // the settings: "&Print" reads "&OK" and there is no preview.
    CDialogMemoOptions(PrintMan& printMan, u32 style, bool optionsOnly, QWidget* parent = nullptr);

    // 2 cancel, 1 print, 1000 preview.
    int Result() const { return m_nResult; }
    // Runs the page setup; the application's by default.
    std::function<void()> m_pageSetup;

    QLineEdit* HeaderEdit(int part) const { return m_head[size_t(part)]; }
    QLineEdit* FooterEdit(int part) const { return m_foot[size_t(part)]; }
    // Appends the placeholder to the header or footer edit that had the focus last.
    void InsertPlaceholder(const QString& placeholder);
    void OnPreview();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FontChoice {
        LOGFONT font;
        COLORREF color = 0;
        QLabel* sample = nullptr;
    };
    void ShowSample(FontChoice& choice);
    void ChooseFont(FontChoice& choice);
    void UpdateTextFont();
    void Save();

    PrintMan& m_pm;
    u32 m_style;
    bool m_optionsOnly;
    int m_nResult = 2;
    std::array<QLineEdit*, 3> m_head{};
    std::array<QLineEdit*, 3> m_foot{};
    std::array<FontChoice, 3> m_fonts;  // header, footer, text
    QCheckBox* m_printHeader;
    QCheckBox* m_printFooter;
    QCheckBox* m_third;  // empty fields (memo) or contact font (report)
    QPushButton* m_textFont = nullptr;
    QPushButton* m_print = nullptr;
    QLineEdit* m_lastEdit = nullptr;
};
