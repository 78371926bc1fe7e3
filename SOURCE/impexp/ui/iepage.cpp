#include "impexp/ui/iepage.h"

#include "impexp/ui/iesheet.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kCaptionPoints = 10;

// A sheet of paper with a folded corner, the file kind written across it.
void DrawDocument(QPainter& p, const QPalette& palette, const QString& kind, const QColor& band)
{
    const QRectF sheet(8.5, 3.5, 31, 41);
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - 9, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + 9);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(palette.color(QPalette::WindowText), 1));
    p.setBrush(palette.color(QPalette::Base));
    p.drawPath(outline);
    p.drawLine(QPointF(sheet.right() - 9, sheet.top()), QPointF(sheet.right() - 9, sheet.top() + 9));
    p.drawLine(QPointF(sheet.right() - 9, sheet.top() + 9), QPointF(sheet.right(), sheet.top() + 9));
    p.setPen(QPen(palette.color(QPalette::Mid), 1));
    for (int y = 18; y <= 38; y += 5)
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    const QRectF label(2, 20, 44, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(label, 3, 3);
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(label, Qt::AlignCenter, kind);
}

// An open book, or a card with a face on it.
void DrawBook(QPainter& p, const QPalette& palette)
{
    p.setPen(QPen(palette.color(QPalette::WindowText), 1));
    p.setBrush(QColor(0x2E, 0x7D, 0x32));
    p.drawRoundedRect(QRectF(7.5, 6.5, 33, 36), 3, 3);
    p.setBrush(palette.color(QPalette::Base));
    p.drawRect(QRectF(12.5, 6.5, 28, 32));
    p.setPen(QPen(palette.color(QPalette::Mid), 1));
    for (int y = 14; y <= 32; y += 6)
        p.drawLine(18, y, 36, y);
}

void DrawCard(QPainter& p, const QPalette& palette)
{
    p.setPen(QPen(palette.color(QPalette::WindowText), 1));
    p.setBrush(palette.color(QPalette::Base));
    p.drawRoundedRect(QRectF(3.5, 10.5, 41, 28), 3, 3);
    p.setBrush(QColor(0x15, 0x65, 0xC0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(9, 16, 9, 9));
    p.drawPie(QRectF(6, 25, 15, 14), 0, 180 * 16);
    p.setPen(QPen(palette.color(QPalette::Mid), 2));
    for (int y = 19; y <= 31; y += 6)
        p.drawLine(24, y, 39, y);
}

}  // namespace

int FormatPictureIndex(int format)
{
    switch (format) {
    case IEF_CSV_DOS:
    case IEF_TSV_DOS:
        return 0;
    case IEF_DATA_FILE:
        return 2;
    case IEF_ADDRESS_BOOK:
        return 3;
    case IEF_VCARD:
        return 4;
    default:
        return 1;
    }
}

QPixmap FormatPicture(int index, const QPalette& palette)
{
    QPixmap picture(kFormatPictureSize, kFormatPictureSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0:
        DrawDocument(p, palette, QStringLiteral("DOS"), QColor(0x6D, 0x4C, 0x41));
        break;
    case 2:
        DrawDocument(p, palette, QStringLiteral("DTV"), QColor(0xC6, 0x28, 0x28));
        break;
    case 3:
        DrawBook(p, palette);
        break;
    case 4:
        DrawCard(p, palette);
        break;
    default:
        DrawDocument(p, palette, QStringLiteral("TXT"), QColor(0x15, 0x65, 0xC0));
        break;
    }
    return picture;
}

CIEPage::CIEPage(CIESheet* sheet, int templateId)
    : QWidget(sheet)
    , m_sheet(sheet)
    , m_templateId(templateId)
    , m_caption(new CGradientCaption(this))
    , m_picture(new QLabel(this))
    , m_body(new QVBoxLayout)
{
    SetDlgCtrlID(m_picture, IDC_IE_PICTURE);
    m_caption->SetDialogLook(kCaptionPoints, true);
    m_picture->setFixedSize(kFormatPictureSize, kFormatPictureSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_caption);
    auto* row = new QHBoxLayout;
    const int margin = DialogUnitsToPixelsX(sheet, 7);
    row->setContentsMargins(margin, margin, margin, margin);
    row->setSpacing(margin);
    row->addWidget(m_picture, 0, Qt::AlignTop);
    row->addLayout(m_body, 1);
    layout->addLayout(row, 1);
}

IEWizard& CIEPage::Wizard() const
{
    return m_sheet->Wizard();
}

void CIEPage::ShowPicture()
{
    m_picture->setPixmap(FormatPicture(FormatPictureIndex(Wizard().m_nFormat), palette()));
}

void CIEPage::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        ShowPicture();
    QWidget::changeEvent(event);
}
