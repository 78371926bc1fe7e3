// The small palette window that picks a colour for a colour button: twenty
// swatches, the current colour when it is none of them, and "&Other..."
// for the desktop's colour dialog. The colour goes in and out through the
// process-wide current colour.
#pragma once

#include "platform/wintypes.h"

#include <QAbstractButton>
#include <QDialog>
#include <array>
#include <functional>

class CColorButton;
class QPushButton;

class CColorPopup : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 143;
    static constexpr int kFirstSwatchId = 5101;
    static constexpr int kCurrentSwatchId = 5121;
    static constexpr int kOtherId = 5122;
    static constexpr int kPaletteSize = 20;
    // Size in dialog units.
    static constexpr int kWidthUnits = 49;
    static constexpr int kHeightUnits = 73;

    static const std::array<COLORREF, kPaletteSize> kPalette;

    // The in/out colour of the pop-up, and the custom colours of the colour dialog.
    static COLORREF s_currentColor;
    static std::array<COLORREF, 16> s_customColors;

    // Runs the desktop's colour dialog on the colour; false when cancelled.
    using ColorDialogRunner
        = std::function<bool(QWidget* owner, COLORREF& colour, std::array<COLORREF, 16>& custom)>;
    // Tests replace the dialog; an empty runner restores the real one.
    static void SetColorDialogRunner(ColorDialogRunner runner);

    CColorPopup(CColorButton* button, QWidget* parent = nullptr);

    // IDOK when a colour was chosen (s_currentColor holds it), IDCANCEL otherwise.
    int DoModal();

    QAbstractButton* Swatch(int id) const;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnInitDialog();
    void Place();
    void Choose(int id);
    void OnOther();
    QWidget* ControlAt(QPoint global) const;

    CColorButton* m_button;
    std::array<QAbstractButton*, kPaletteSize + 1> m_swatches{};
    QPushButton* m_other = nullptr;
    int m_separatorY = 0;
    bool m_inOther = false;
};
