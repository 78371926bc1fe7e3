// The font dialog with the colour pop-up in place of a colour list: the
// chosen colour is the text colour, shown on the sample.
#pragma once

#include "platform/wintypes.h"

#include <QFontDialog>

class CColorButton;
class QLineEdit;

class CFontColorDialog : public QFontDialog {
    Q_OBJECT
public:
    static constexpr int kColorButtonId = 1543;

    // The font and colour the dialog starts with (a null font: the default).
    CFontColorDialog(const LOGFONT* font, COLORREF colour, QWidget* parent = nullptr);

    // The colour to use: the one the dialog started with until OK takes
    // the one the button shows.
    COLORREF GetColor() const { return m_color; }
    LOGFONT GetLogFont() const;
    CColorButton* ColorButton() const { return m_button; }

    // Opens the colour pop-up under the colour button.
    void OnColorButton();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    void ShowColor();

    COLORREF m_color;
    COLORREF m_shown;  // on the button and the sample
    CColorButton* m_button = nullptr;
    QLineEdit* m_sample = nullptr;
};
