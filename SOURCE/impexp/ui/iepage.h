// What the wizard's five pages share: the title strip, the picture of the
// chosen format, and the way to the sheet's state. A page fills its
// controls from the wizard when it is shown and writes them back when it
// is left, either way.
#pragma once

#include "controls/gradientcaption.h"

#include <QWidget>

class CIESheet;
class IEWizard;
class QLabel;
class QVBoxLayout;

// The page's format picture.
constexpr int IDC_IE_PICTURE = 1262;
constexpr int kFormatPictureSize = 48;

// The format's picture: 0 comma/tab (DOS), 1 Windows and user separator,
// 2 own file, 3 address book, 4 vCard.
int FormatPictureIndex(int format);
QPixmap FormatPicture(int index, const QPalette& palette);

class CIEPage : public QWidget {
    Q_OBJECT
public:
    CIEPage(CIESheet* sheet, int templateId);

    int TemplateId() const { return m_templateId; }
    CGradientCaption* Caption() const { return m_caption; }

    // Fills the controls from the wizard.
    virtual void OnSetActive() { }
    // Writes the controls back to the wizard.
    virtual void OnKillActive() { }
    // The control that takes the focus when the page is shown.
    virtual QWidget* FirstControl() const = 0;

protected:
    IEWizard& Wizard() const;
    CIESheet* Sheet() const { return m_sheet; }
    // Where the page's controls go, right of the picture.
    QVBoxLayout* Body() const { return m_body; }
    void ShowPicture();
    void changeEvent(QEvent* event) override;

private:
    CIESheet* m_sheet;
    int m_templateId;
    CGradientCaption* m_caption;
    QLabel* m_picture;
    QVBoxLayout* m_body;
};
