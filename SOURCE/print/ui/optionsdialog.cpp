#include "print/ui/optionsdialog.h"

#include "controls/fontcolordialog.h"
#include "controls/gradientcaption.h"
#include "platform/fontconv.h"
#include "platform/ui/window.h"
#include "print/ui/printsetup.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {

constexpr int kTakeId = 1576;

}  // namespace

CPrintOptionsDialog::CPrintOptionsDialog(
    int templateId, bool optionsOnly, const QString& previewText, QWidget* parent)
    : CFramedDialog(templateId, parent)
    , m_optionsOnly(optionsOnly)
    , m_print(new QPushButton(optionsOnly ? QStringLiteral("OK") : QStringLiteral("&Print"), Frame()))
    , m_preview(MakeButton(previewText, 1575))
    , m_cancel(MakeButton(QStringLiteral("Cancel"), 2))
{
    SetDlgCtrlIDAndName(m_print, 1);
    m_print->setDefault(true);
    m_preview->setVisible(!optionsOnly);
    connect(m_print, &QPushButton::clicked, this, &CPrintOptionsDialog::accept);
    connect(m_preview, &QPushButton::clicked, this, &CPrintOptionsDialog::OnPreview);
    connect(m_cancel, &QPushButton::clicked, this, &CPrintOptionsDialog::reject);
}

void CPrintOptionsDialog::SetPageSetup()
{
    if (m_take)
        return;
    m_take = MakeButton(QStringLiteral("OK"), kTakeId);
    m_print->setDefault(false);
    m_take->setDefault(true);
    m_buttonRow->insertWidget(m_buttonRow->indexOf(m_print), m_take);
    setTabOrder(m_take, m_print);
    // A dialog that starts on its preview button starts on OK instead, so
    // that Enter takes the settings as in every page setup.
    if (focusWidget() == m_preview)
        m_take->setFocus();
    connect(m_take, &QPushButton::clicked, this, [this] { Finish(m_take, kResultTaken, IDOK); });
}

QPushButton* CPrintOptionsDialog::MakeButton(const QString& text, int id)
{
    auto* button = new QPushButton(text, Frame());
    SetDlgCtrlIDAndName(button, id);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout* CPrintOptionsDialog::EndButtons()
{
    auto* row = new QHBoxLayout;
    m_buttonRow = row;
    row->addStretch();
    row->addWidget(m_print);
    row->addWidget(m_preview);
    row->addWidget(m_cancel);
    return row;
}

void CPrintOptionsDialog::OnOK()
{
    Finish(m_print, kResultPrint, IDOK);
}

void CPrintOptionsDialog::Finish(QPushButton* pressed, int result, int code)
{
    // Enter on another button acts as that button.
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused != pressed) {
        focused->click();
        return;
    }
    if (!CheckChoices())
        return;
    SaveChoices();
    m_nResult = result;
    EndDialog(code);
}

void CPrintOptionsDialog::OnPreview()
{
    if (!CheckChoices())
        return;
    SaveChoices();
    m_nResult = kResultPreview;
    EndDialog(kResultPreview);
}

void CPrintOptionsDialog::OnCancel()
{
    m_nResult = kResultCancel;
    EndDialog(IDCANCEL);
}

bool CPrintOptionsDialog::ChooseFont(LOGFONT& font, COLORREF& color, QWidget* shownIn)
{
    CFontColorDialog dialog(&font, color, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.GetLogFont();
    color = dialog.GetColor();
    ShowFont(shownIn, font, color);
    return true;
}

void CPrintOptionsDialog::ShowFont(QWidget* widget, const LOGFONT& font, COLORREF color)
{
    widget->setFont(QFontFromLogFont(font));
    QPalette palette = widget->palette();
    const QColor text = LegibleOn(
        QColor(GetRValue(color), GetGValue(color), GetBValue(color)), palette.color(QPalette::Base), palette);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    widget->setPalette(palette);
}
