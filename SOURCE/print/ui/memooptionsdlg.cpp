#include "print/ui/memooptionsdlg.h"

#include "controls/contexthelp.h"
#include "controls/fontcolordialog.h"
#include "controls/gradientcaption.h"
#include "core/fontutil.h"
#include "platform/fontconv.h"
#include "platform/ui/window.h"
#include "print/printman.h"
#include "print/ui/printfieldsdlg.h"
#include "print/ui/printsetup.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>

namespace {

enum { FONT_HEADER, FONT_FOOTER, FONT_TEXT };

QLineEdit* Edit(int id, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    SetDlgCtrlIDAndName(edit, id);
    return edit;
}

}  // namespace

CDialogMemoOptions::CDialogMemoOptions(PrintMan& printMan, u32 style, bool optionsOnly, QWidget* parent)
    : CPrintOptionsDialog(kTemplateId, optionsOnly, QStringLiteral("Pre&view"), parent)
    , m_pm(printMan)
    , m_style(style == PM_REPORT ? PM_REPORT : PM_MEMO)
{
    const bool report = m_style == PM_REPORT;
    setWindowTitle(report ? QStringLiteral("Report options") : QStringLiteral("Memo options"));
    Caption()->setText(QStringLiteral("Adjust your page layout before printing"));
    m_pageSetup = [this] { DoPageSetup(m_pm, AppPrinter(), this); };
    QWidget* f = Frame();

    const int ids[2][3] = {{1446, 1448, 1449}, {1450, 1451, 1500}};
    for (int i = 0; i < 3; ++i) {
        m_head[size_t(i)] = Edit(ids[0][i], f);
        m_foot[size_t(i)] = Edit(ids[1][i], f);
        m_head[size_t(i)]->installEventFilter(this);
        m_foot[size_t(i)]->installEventFilter(this);
    }
    m_printHeader = new QCheckBox(QStringLiteral("Print &header"), f);
    SetDlgCtrlIDAndName(m_printHeader, 1260);
    m_printFooter = new QCheckBox(QStringLiteral("Print foote&r"), f);
    SetDlgCtrlIDAndName(m_printFooter, 1261);
    m_third = new QCheckBox(
        report ? QStringLiteral("Use contact font") : QStringLiteral("Print &empty fields"), f);
    SetDlgCtrlIDAndName(m_third, 1263);
    EnableContextHelp(this,
        {{1446, 1280}, {1448, 1280}, {1449, 1280}, {1450, 1281}, {1451, 1281}, {1500, 1281}, {1260, 1282},
            {1261, 1283}, {1263, report ? 1295u : 1284u}, {1245, 1285}, {1246, 1286}, {1247, 1287},
            {1252, 1288}, {1253, 1288}, {1254, 1288}, {1248, 1289}, {1249, 1290}, {1251, 1291}, {1533, 1292},
            {1534, 1293}, {1575, 1294}, {1, 1273}});

    auto* headFont = MakeButton(QStringLiteral("Hea&der font"), 1245);
    m_textFont = MakeButton(QStringLiteral("&Text font"), 1246);
    auto* footFont = MakeButton(QStringLiteral("F&ooter font"), 1247);
    const int sampleIds[3] = {1252, 1253, 1254};
    for (int i = 0; i < 3; ++i) {
        m_fonts[size_t(i)].sample = new QLabel(f);
        SetDlgCtrlIDAndName(m_fonts[size_t(i)].sample, sampleIds[i]);
        m_fonts[size_t(i)].sample->setAutoFillBackground(true);
        m_fonts[size_t(i)].sample->setFrameShape(QFrame::StyledPanel);
    }
    auto* time = MakeButton(QStringLiteral("Ti&me"), 1248);
    time->setToolTip(QStringLiteral("[Current time]"));
    auto* date = MakeButton(QStringLiteral("D&ate"), 1249);
    date->setToolTip(QStringLiteral("[Current date]"));
    auto* page = MakeButton(QStringLiteral("Pa&ge #"), 1251);
    page->setToolTip(QStringLiteral("[Page #]"));
    auto* fields = MakeButton(QStringLiteral("Define &fields"), 1533);
    auto* pageSettings = MakeButton(QStringLiteral("Page &settings"), 1534);
    fields->setVisible(!report);

    auto* layout = new QGridLayout(f);
    auto* header = new QGroupBox(QStringLiteral("Header"), f);
    auto* headerLayout = new QGridLayout(header);
    auto* footer = new QGroupBox(QStringLiteral("Footer"), f);
    auto* footerLayout = new QGridLayout(footer);
    for (int i = 0; i < 3; ++i) {
        headerLayout->addWidget(m_head[size_t(i)], 0, i);
        footerLayout->addWidget(m_foot[size_t(i)], 0, i);
    }
    headerLayout->addWidget(headFont, 1, 0);
    headerLayout->addWidget(m_fonts[FONT_HEADER].sample, 1, 1);
    headerLayout->addWidget(m_printHeader, 1, 2);
    footerLayout->addWidget(footFont, 1, 0);
    footerLayout->addWidget(m_fonts[FONT_FOOTER].sample, 1, 1);
    footerLayout->addWidget(m_printFooter, 1, 2);
    auto* text = new QGroupBox(QStringLiteral("Text"), f);
    auto* textLayout = new QGridLayout(text);
    textLayout->addWidget(m_textFont, 0, 0);
    textLayout->addWidget(m_fonts[FONT_TEXT].sample, 0, 1);
    textLayout->addWidget(m_third, 0, 2);
    auto* placeholders = new QHBoxLayout;
    placeholders->addWidget(new QLabel(QStringLiteral("Insert:"), f));
    placeholders->addWidget(time);
    placeholders->addWidget(date);
    placeholders->addWidget(page);
    placeholders->addStretch();
    placeholders->addWidget(fields);
    placeholders->addWidget(pageSettings);
    layout->addWidget(header, 0, 0);
    layout->addWidget(text, 1, 0);
    layout->addWidget(footer, 2, 0);
    layout->addLayout(placeholders, 3, 0);
    layout->addLayout(EndButtons(), 4, 0);

    // Tab goes row by row: each group's edits, its font and its check box,
    // then the placeholders and the buttons.
    QWidget* order[] = {m_head[0], m_head[1], m_head[2], headFont, m_printHeader, m_textFont, m_third,
        m_foot[0], m_foot[1], m_foot[2], footFont, m_printFooter, time, date, page, fields, pageSettings,
        m_print, m_preview, m_cancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(headFont, &QPushButton::clicked, this, [this] { ChooseElementFont(m_fonts[FONT_HEADER]); });
    connect(footFont, &QPushButton::clicked, this, [this] { ChooseElementFont(m_fonts[FONT_FOOTER]); });
    connect(m_textFont, &QPushButton::clicked, this, [this] { ChooseElementFont(m_fonts[FONT_TEXT]); });
    connect(
        time, &QPushButton::clicked, this, [this] { InsertPlaceholder(QStringLiteral("[Current time]")); });
    connect(
        date, &QPushButton::clicked, this, [this] { InsertPlaceholder(QStringLiteral("[Current date]")); });
    connect(page, &QPushButton::clicked, this, [this] { InsertPlaceholder(QStringLiteral("[Page #]")); });
    connect(fields, &QPushButton::clicked, this, [this] { CDialogPrintFields(m_pm, this).DoModal(); });
    connect(pageSettings, &QPushButton::clicked, this, [this] {
        if (m_pageSetup)
            m_pageSetup();
    });
    connect(m_third, &QCheckBox::toggled, this, &CDialogMemoOptions::UpdateTextFont);
}

bool CDialogMemoOptions::OnInitDialog()
{
    const bool report = m_style == PM_REPORT;
    const u32 flags = m_pm.m_Flags1;
    m_printHeader->setChecked(flags & (report ? PF_REPORT_HEADER : PF_MEMO_HEADER));
    m_printFooter->setChecked(flags & (report ? PF_REPORT_FOOTER : PF_MEMO_FOOTER));
    m_third->setChecked(flags & (report ? PF_REPORT_CONTACT_FONT : PF_MEMO_EMPTY_FIELDS));
    const int first = report ? PTE_REPORT_HEADER : PTE_MEMO_HEADER;
    for (int i = 0; i < 3; ++i) {
        m_fonts[size_t(i)].font = *m_pm.GetFont(first + i);
        m_fonts[size_t(i)].color = m_pm.GetColor(first + i);
        ShowSample(m_fonts[size_t(i)]);
    }
    const PrintTextParts& head = report ? m_pm.m_reportHead : m_pm.m_memoHead;
    const PrintTextParts& foot = report ? m_pm.m_reportFoot : m_pm.m_memoFoot;
    for (size_t i = 0; i < 3; ++i) {
        m_head[i]->setText(QString::fromStdString(head[i]));
        m_foot[i]->setText(QString::fromStdString(foot[i]));
    }
    UpdateTextFont();
    return CFramedDialog::OnInitDialog();
}

void CDialogMemoOptions::UpdateTextFont()
{
    const bool on = !(m_style == PM_REPORT && m_third->isChecked());
    m_textFont->setEnabled(on);
    m_fonts[FONT_TEXT].sample->setEnabled(on);
}

void CDialogMemoOptions::ShowSample(FontChoice& choice)
{
    QLabel* sample = choice.sample;
    sample->setText(
        QStringLiteral("  ") + QString::fromStdString(FormatFontName(choice.font, ScreenLogicalDpi())));
    sample->setFont(QFontFromLogFont(choice.font));
    QPalette palette = sample->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    // The chosen colour, unless it would hardly show on this desktop's background.
    const QColor color(GetRValue(choice.color), GetGValue(choice.color), GetBValue(choice.color));
    palette.setColor(QPalette::WindowText, LegibleOn(color, palette.color(QPalette::Base), palette));
    sample->setPalette(palette);
}

void CDialogMemoOptions::ChooseElementFont(FontChoice& choice)
{
    if (ChooseFont(choice.font, choice.color, choice.sample))
        ShowSample(choice);
}

bool CDialogMemoOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            m_lastEdit = edit;
    return CFramedDialog::eventFilter(watched, event);
}

void CDialogMemoOptions::InsertPlaceholder(const QString& placeholder)
{
    if (m_lastEdit)
        m_lastEdit->setText(m_lastEdit->text() + placeholder);
}

void CDialogMemoOptions::SaveChoices()
{
    const bool report = m_style == PM_REPORT;
    auto setBit
        = [this](u32 bit, bool on) { m_pm.m_Flags1 = on ? (m_pm.m_Flags1 | bit) : (m_pm.m_Flags1 & ~bit); };
    setBit(report ? PF_REPORT_HEADER : PF_MEMO_HEADER, m_printHeader->isChecked());
    setBit(report ? PF_REPORT_FOOTER : PF_MEMO_FOOTER, m_printFooter->isChecked());
    setBit(report ? PF_REPORT_CONTACT_FONT : PF_MEMO_EMPTY_FIELDS, m_third->isChecked());
    const int first = report ? PTE_REPORT_HEADER : PTE_MEMO_HEADER;
    for (int i = 0; i < 3; ++i) {
        m_pm.SetFont(first + i, m_fonts[size_t(i)].font);
        m_pm.SetColor(first + i, m_fonts[size_t(i)].color);
    }
    PrintTextParts& head = report ? m_pm.m_reportHead : m_pm.m_memoHead;
    PrintTextParts& foot = report ? m_pm.m_reportFoot : m_pm.m_memoFoot;
    for (size_t i = 0; i < 3; ++i) {
        head[i] = m_head[i]->text().toStdString();
        foot[i] = m_foot[i]->text().toStdString();
    }
    m_pm.m_Printmode = m_style;
}
