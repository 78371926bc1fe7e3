// What the option dialogs of the print styles share: "&Print" (or "OK"
// when they only take the settings), "Previe&w" and "Cancel", their result,
// and the font dialog with colour for their texts.
#pragma once

#include "controls/framedialog.h"
#include "platform/wintypes.h"

class QHBoxLayout;
class QPushButton;

// The settings were taken, with nothing to print or preview.
constexpr int kResultTaken = 1002;

class CPrintOptionsDialog : public CFramedDialog {
    Q_OBJECT
public:
    // In options-only mode the dialog only takes the settings: "&Print"
    // reads "OK" and there is no preview. "OK" and "Cancel" need no letter:
    // Enter and Escape are theirs.
    CPrintOptionsDialog(
        int templateId, bool optionsOnly, const QString& previewText, QWidget* parent = nullptr);

    // 2 cancel, 1 print, 1000 preview.
    int Result() const { return m_nResult; }
    // As the menu's page setup: an "OK" before "&Print" takes Enter; it
    // keeps the settings and ends with kResultTaken, printing nothing.
    void SetPageSetup();
    void OnPreview();

protected:
    QPushButton* MakeButton(const QString& text, int id);
    // "&Print", "Previe&w" and "Cancel" in a row at the right.
    QHBoxLayout* EndButtons();
    // Whether every typed value can be taken; a wrong one was reported.
    virtual bool CheckChoices() { return true; }
    virtual void SaveChoices() = 0;
    void OnOK() override;
    // Saves and ends with the result, unless Enter meant the focused button.
    void Finish(QPushButton* pressed, int result, int code);
    void OnCancel() override;

    // The font dialog with colour; on OK the widget shows the new font and colour.
    bool ChooseFont(LOGFONT& font, COLORREF& color, QWidget* shownIn);
    // The font and colour on a widget, the colour kept legible on its background.
    static void ShowFont(QWidget* widget, const LOGFONT& font, COLORREF color);
    static void SetFlag(u32& flags, u32 bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }

    bool m_optionsOnly;
    QPushButton* m_print;
    QPushButton* m_preview;
    QPushButton* m_cancel;
    QPushButton* m_take = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;

private:
    int m_nResult = 2;
};
