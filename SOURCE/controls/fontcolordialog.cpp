#include "controls/fontcolordialog.h"

#include "controls/colorbutton.h"
#include "controls/colorpopup.h"
#include "platform/fontconv.h"
#include "platform/msgbox.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

namespace {

// Where the button goes when the dialog has no effects group to hold it.
constexpr QRect kFallbackPlace(20, 237, 80, 26);

}  // namespace

CFontColorDialog::CFontColorDialog(const LOGFONT* font, COLORREF colour, QWidget* parent)
    : QFontDialog(parent)
    , m_color(colour & 0xFFFFFF)
    , m_shown(m_color)
{
    setOption(QFontDialog::DontUseNativeDialog);
    setCurrentFont(font ? QFontFromLogFont(*font) : QApplication::font());
    OnInitDialog();
}

LOGFONT CFontColorDialog::GetLogFont() const
{
    return LogFontFromQFont(result() == QDialog::Accepted ? selectedFont() : currentFont());
}

void CFontColorDialog::OnInitDialog()
{
    m_button = new CColorButton(this);
    SetDlgCtrlID(m_button, kColorButtonId);
    m_button->setFocusPolicy(Qt::StrongFocus);
    m_button->SetColor(m_shown);
    connect(m_button, &QPushButton::clicked, this, &CFontColorDialog::OnColorButton);

    QGroupBox* effects = nullptr;
    for (QGroupBox* box : findChildren<QGroupBox*>()) {
        if (box->findChild<QCheckBox*>()) {
            effects = box;
        } else if (!m_sample) {
            m_sample = box->findChild<QLineEdit*>();
        }
    }
    if (effects && effects->layout()) {
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("&Color:"), effects);
        label->setBuddy(m_button);
        row->addWidget(label);
        row->addWidget(m_button, 1);
        if (auto* box = qobject_cast<QBoxLayout*>(effects->layout()))
            box->addLayout(row);
        else
            effects->layout()->addWidget(m_button);
    } else {
        m_button->setGeometry(kFallbackPlace);
    }
    m_button->show();
    ShowColor();
}

void CFontColorDialog::showEvent(QShowEvent* event)
{
    // Opened again after Cancel, the dialog starts from the colour in use.
    if (!event->spontaneous())
        m_shown = m_color;
    ShowColor();
    QFontDialog::showEvent(event);
}

void CFontColorDialog::done(int result)
{
    if (result == QDialog::Accepted)
        m_color = m_shown;
    QFontDialog::done(result);
}

void CFontColorDialog::ShowColor()
{
    m_button->SetColor(m_shown);
    if (m_sample) {
        QPalette pal = m_sample->palette();
        pal.setColor(QPalette::Text, ColorFromRef(m_shown));
        pal.setColor(QPalette::Base, GetSysColor(COLOR_3DFACE, this));
        m_sample->setPalette(pal);
    }
}

void CFontColorDialog::OnColorButton()
{
    CColorPopup::s_currentColor = m_shown;
    CColorPopup popup(m_button, m_button);
    if (popup.DoModal() == IDOK) {
        m_shown = CColorPopup::s_currentColor;
        ShowColor();
    }
}
