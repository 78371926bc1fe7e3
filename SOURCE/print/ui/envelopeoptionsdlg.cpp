#include "print/ui/envelopeoptionsdlg.h"

#include "controls/contexthelp.h"
#include "controls/fontcolordialog.h"
#include "platform/fontconv.h"
#include "platform/ui/window.h"
#include "print/printman.h"
#include "print/ui/measureedit.h"
#include "print/ui/printsetup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// Feed methods by button id: upper row turned envelopes, lower row flat ones,
// each at the left, in the middle and at the right.
struct FeedChoice {
    int id;
    int feed;
    int row;
    int column;
};
constexpr FeedChoice kFeedButtons[]
    = {{1640, 3, 0, 2}, {1639, 2, 0, 1}, {1638, 1, 0, 0}, {1642, 6, 1, 2}, {1641, 5, 1, 1}, {1637, 4, 1, 0}};

// A small picture of the paper with the envelope lying on it; the chosen
// one is framed in the highlight colour, so it shows at a glance.
constexpr int kFeedFrame = 3;
constexpr QSize kFeedPictureSize(28 + 2 * kFeedFrame, 32 + 2 * kFeedFrame);

QPixmap FeedPixmap(int feed, const QPalette& palette, bool chosen)
{
    QPixmap pixmap(kFeedPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    if (chosen) {
        p.setPen(Qt::NoPen);
        p.setBrush(palette.color(QPalette::Highlight));
        p.drawRect(pixmap.rect());
    }
    p.translate(kFeedFrame, kFeedFrame);
    p.setPen(palette.color(QPalette::WindowText));
    p.setBrush(palette.color(QPalette::Base));
    p.drawRect(2, 1, 23, 29);
    const bool turned = feed <= 3;
    const int w = turned ? 9 : 17, h = turned ? 17 : 9;
    const int x = feed % 3 == 1 ? 2 : feed % 3 == 2 ? 2 + (23 - w) / 2 : 25 - w;
    p.setBrush(palette.color(QPalette::Highlight));
    p.drawRect(x, 1, w, h);
    return pixmap;
}

QIcon FeedPicture(int feed, const QPalette& palette)
{
    QIcon icon;
    icon.addPixmap(FeedPixmap(feed, palette, false), QIcon::Normal, QIcon::Off);
    icon.addPixmap(FeedPixmap(feed, palette, true), QIcon::Normal, QIcon::On);
    return icon;
}

constexpr double kMaxCm = 55.88;
constexpr double kMaxInch = 22.0;

}  // namespace

CDialogEnvelopeOptions::CDialogEnvelopeOptions(
    PrintMan& printMan, const Contact* contact, bool optionsOnly, const MeasureUnit& unit, QWidget* parent)
    : CPrintOptionsDialog(kTemplateId, optionsOnly, QStringLiteral("Previe&w"), parent)
    , m_pm(printMan)
    , m_contact(contact)
    , m_unit(unit)
{
    setWindowTitle(QStringLiteral("Envelope options"));
    Caption()->setText(QStringLiteral("Enter delivery and return addresses to be printed on the envelope."));
    QWidget* f = Frame();
    const int ids[MEASURE_COUNT][2]
        = {{1571, 1565}, {1572, 1566}, {1569, 1563}, {1570, 1564}, {1573, 1567}, {1574, 1568}};
    // Made in the order Tab takes them: an edit with arrows keeps its
    // place in the focus chain where it was made.
    const auto measures = [&](Measure first, Measure second) {
        for (const Measure i : {first, second}) {
            m_measures[size_t(i)] = new CMeasureEdit(ids[i][0], ids[i][1], unit, f);
            m_measures[size_t(i)]->SetMaximum(unit.metric ? kMaxCm : kMaxInch);
        }
    };
    m_return = new QPlainTextEdit(f);
    SetDlgCtrlIDAndName(m_return, 1015);
    m_return->setTabChangesFocus(true);
    m_returnFontButton = MakeButton(QStringLiteral("F&ont"), 1562);
    m_noReturn = new QCheckBox(QStringLiteral("Do&n't print return address"), f);
    SetDlgCtrlIDAndName(m_noReturn, 1558);
    measures(RET_LEFT, RET_TOP);
    m_delivery = new QPlainTextEdit(f);
    SetDlgCtrlIDAndName(m_delivery, 1013);
    m_delivery->setReadOnly(true);
    m_delivery->setTabChangesFocus(true);
    for (QPlainTextEdit* e : {m_return, m_delivery})
        e->setFixedHeight(e->fontMetrics().lineSpacing() * 5);
    auto* deliveryFont = MakeButton(QStringLiteral("&Font"), 1561);
    m_format = MakeButton(QStringLiteral("Address form&at"), 1577);
    m_contactFormat = new QCheckBox(QStringLiteral("Use contact's\nad&dress format"), f);
    SetDlgCtrlIDAndName(m_contactFormat, 1645);
    measures(DELIV_LEFT, DELIV_TOP);
    m_sizes = new QComboBox(f);
    SetDlgCtrlIDAndName(m_sizes, 1560);
    measures(ENV_WIDTH, ENV_HEIGHT);
    EnableContextHelp(this,
        {{1015, 1260}, {1013, 1261}, {1558, 1262}, {1645, 1263}, {1562, 1264}, {1561, 1265}, {1577, 1266},
            {1560, 1267}, {1573, 1268}, {1567, 1268}, {1574, 1268}, {1568, 1268}, {1571, 1269}, {1565, 1269},
            {1572, 1269}, {1566, 1269}, {1569, 1270}, {1563, 1270}, {1570, 1270}, {1564, 1270}, {1637, 1271},
            {1638, 1271}, {1639, 1271}, {1640, 1271}, {1641, 1271}, {1642, 1271}, {1575, 1272}, {1, 1273}});
    for (const EnvelopeSize& size : kEnvelopeSizeTable)
        m_sizes->addItem(QString::fromStdString(size.Name())
                             .replace(QRegularExpression(QStringLiteral("\t+")), QStringLiteral("  ")));

    auto margins = [this, f](Measure left, Measure top, const QString& leftText, const QString& topText) {
        auto* box = new QGroupBox(QStringLiteral("Margins"), f);
        auto* grid = new QGridLayout(box);
        auto* l = new QLabel(leftText, box);
        auto* t = new QLabel(topText, box);
        l->setBuddy(m_measures[size_t(left)]->Edit());
        t->setBuddy(m_measures[size_t(top)]->Edit());
        grid->addWidget(l, 0, 0);
        grid->addWidget(m_measures[size_t(left)], 0, 1);
        grid->addWidget(t, 1, 0);
        grid->addWidget(m_measures[size_t(top)], 1, 1);
        return box;
    };
    auto* returnGroup = new QGroupBox(QStringLiteral("Ret&urn address"), f);
    auto* rg = new QGridLayout(returnGroup);
    rg->addWidget(m_return, 0, 0, 1, 2);
    rg->addWidget(m_returnFontButton, 1, 0);
    rg->addWidget(m_noReturn, 1, 1);
    rg->addWidget(
        margins(RET_LEFT, RET_TOP, QStringLiteral("Fro&m left:"), QStringLiteral("F&rom top:")), 2, 0, 1, 2);
    auto* deliveryGroup = new QGroupBox(QStringLiteral("D&elivery address"), f);
    auto* dg = new QGridLayout(deliveryGroup);
    dg->addWidget(m_delivery, 0, 0, 1, 2);
    dg->addWidget(deliveryFont, 1, 0);
    dg->addWidget(m_format, 1, 1);
    dg->addWidget(m_contactFormat, 2, 0, 1, 2);
    dg->addWidget(margins(DELIV_LEFT, DELIV_TOP, QStringLiteral("From &left:"), QStringLiteral("From &top:")),
        3, 0, 1, 2);

    m_custom = new QGroupBox(QStringLiteral("Custom envelope s&ize"), f);
    SetDlgCtrlIDAndName(m_custom, 1584);
    auto* cg = new QGridLayout(m_custom);
    cg->addWidget(new QLabel(QStringLiteral("Envelope width"), m_custom), 0, 0);
    cg->addWidget(m_measures[ENV_WIDTH], 0, 1);
    cg->addWidget(new QLabel(QStringLiteral("Envelope height"), m_custom), 1, 0);
    cg->addWidget(m_measures[ENV_HEIGHT], 1, 1);
    auto* feedGroup = new QGroupBox(QStringLiteral("Feed method"), f);
    auto* fg = new QGridLayout(feedGroup);
    fg->addWidget(new QLabel(QStringLiteral("Portrait"), feedGroup), 0, 0);
    fg->addWidget(new QLabel(QStringLiteral("Landscape"), feedGroup), 1, 0);
    m_feeds = new QButtonGroup(this);
    for (const FeedChoice& fb : kFeedButtons) {
        auto* b = new QPushButton(feedGroup);
        SetDlgCtrlIDAndName(b, fb.id);
        b->setCheckable(true);
        b->setAutoDefault(false);
        b->setIcon(FeedPicture(fb.feed, palette()));
        b->setIconSize(kFeedPictureSize);
        m_feeds->addButton(b, fb.feed);
        fg->addWidget(b, fb.row, fb.column + 1);
    }
    auto* sizeLabel = new QLabel(QStringLiteral("Envelope si&ze"), f);
    sizeLabel->setBuddy(m_sizes);
    auto* layout = new QGridLayout(f);
    layout->addWidget(returnGroup, 0, 0);
    layout->addWidget(deliveryGroup, 0, 1);
    layout->addWidget(sizeLabel, 1, 0);
    layout->addWidget(m_sizes, 1, 1);
    layout->addWidget(m_custom, 2, 0);
    layout->addWidget(feedGroup, 2, 1);
    layout->addLayout(EndButtons(), 3, 0, 1, 2);

    // The feed pictures row by row, then the dialog's own buttons, made
    // before everything else.
    QList<QWidget*> order{m_measures[ENV_HEIGHT]->Edit()};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            for (const FeedChoice& fb : kFeedButtons) {
                if (fb.row == row && fb.column == column)
                    order << m_feeds->button(fb.feed);
            }
        }
    }
    order << m_print << m_preview << m_cancel;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_noReturn, &QCheckBox::toggled, this, &CDialogEnvelopeOptions::UpdateEnables);
    connect(m_contactFormat, &QCheckBox::toggled, this, [this] {
        UpdateEnables();
        UpdatePreview();
    });
    connect(m_sizes, &QComboBox::currentIndexChanged, this, &CDialogEnvelopeOptions::UpdateEnables);
    connect(m_format, &QPushButton::clicked, this, [this] {
        if (m_chooseFormat && m_chooseFormat(m_formatIndex, this))
            UpdatePreview();
    });
    connect(m_returnFontButton, &QPushButton::clicked, this,
        [this] { ChooseFont(m_returnFont, m_returnColor, m_return); });
    connect(deliveryFont, &QPushButton::clicked, this,
        [this] { ChooseFont(m_deliveryFont, m_deliveryColor, m_delivery); });
    m_preview->setFocus();
}

QAbstractButton* CDialogEnvelopeOptions::FeedButton(int feed) const
{
    return m_feeds->button(feed);
}

bool CDialogEnvelopeOptions::OnInitDialog()
{
    m_pm.m_Printmode = PM_ENVELOPE;
    m_deliveryFont = *m_pm.GetFont(PTE_DELIVERY_ADDRESS);
    m_returnFont = *m_pm.GetFont(PTE_RETURN_ADDRESS);
    m_deliveryColor = m_pm.GetColor(PTE_DELIVERY_ADDRESS);
    m_returnColor = m_pm.GetColor(PTE_RETURN_ADDRESS);
    ShowFont(m_delivery, m_deliveryFont, m_deliveryColor);
    ShowFont(m_return, m_returnFont, m_returnColor);
    m_noReturn->setChecked(m_pm.m_Flags1 & PF_NO_RETURN_ADDRESS);
    m_return->setPlainText(
        QString::fromStdString(m_pm.m_AddrRet).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    int row = 1;  // a paper no row knows shows the first real size
    for (size_t i = 0; i < kEnvelopeSizeTable.size(); ++i)
        if (kEnvelopeSizeTable[i].m_wPaper == m_pm.m_EnvelopeData.m_wPaper)
            row = int(i);
    m_sizes->setCurrentIndex(row);
    m_measures[RET_LEFT]->SetValue(TenthsMmToUnit(m_pm.m_AddrRetMargins.left, m_unit));
    m_measures[RET_TOP]->SetValue(TenthsMmToUnit(m_pm.m_AddrRetMargins.top, m_unit));
    m_measures[DELIV_LEFT]->SetValue(TenthsMmToUnit(m_pm.m_AddrDelivMargins.left, m_unit));
    m_measures[DELIV_TOP]->SetValue(TenthsMmToUnit(m_pm.m_AddrDelivMargins.top, m_unit));
    m_measures[ENV_WIDTH]->SetValue(TenthsMmToUnit(m_pm.m_EnvelopeData.m_wWidth, m_unit));
    m_measures[ENV_HEIGHT]->SetValue(TenthsMmToUnit(m_pm.m_EnvelopeData.m_wHeight, m_unit));
    const int feed = std::clamp(m_pm.m_EnvelopeFeed, 1, 6);
    m_feeds->button(feed)->setChecked(true);
    m_contactFormat->setChecked(m_pm.m_Flags1 & PF_ENVELOPE_CONTACT_FORMAT);
    m_formatIndex = m_pm.m_EnvelopeAddressFormat;
    UpdateEnables();
    UpdatePreview();
    return CFramedDialog::OnInitDialog();
}

void CDialogEnvelopeOptions::UpdateEnables()
{
    const bool returnOn = !m_noReturn->isChecked();
    m_return->setEnabled(returnOn);
    m_returnFontButton->setEnabled(returnOn);
    m_measures[RET_LEFT]->setEnabled(returnOn);
    m_measures[RET_TOP]->setEnabled(returnOn);
    m_format->setEnabled(!m_contactFormat->isChecked() && m_chooseFormat != nullptr);
    m_custom->setVisible(m_sizes->currentIndex() == int(kEnvelopeCustomRow));
}

void CDialogEnvelopeOptions::UpdatePreview()
{
    if (!m_contact)
        return;
    const std::string text
        = AddressTextForContact(*m_contact, m_contactFormat->isChecked(), m_formatIndex, m_pm.Formats());
    m_delivery->setPlainText(
        QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

bool CDialogEnvelopeOptions::CheckChoices()
{
    for (CMeasureEdit* m : m_measures)
        if (m->isVisibleTo(this) && m->isEnabled() && !m->Check())
            return false;
    return true;
}

void CDialogEnvelopeOptions::SaveChoices()
{
    m_pm.SetFont(PTE_DELIVERY_ADDRESS, m_deliveryFont);
    m_pm.SetFont(PTE_RETURN_ADDRESS, m_returnFont);
    m_pm.SetColor(PTE_DELIVERY_ADDRESS, m_deliveryColor);
    m_pm.SetColor(PTE_RETURN_ADDRESS, m_returnColor);
    m_pm.m_AddrRet
        = m_return->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
    auto tenths = [this](Measure m) { return UnitToTenthsMm(m_measures[size_t(m)]->Value(), m_unit); };
    m_pm.m_AddrRetMargins.left = tenths(RET_LEFT);
    m_pm.m_AddrRetMargins.top = tenths(RET_TOP);
    m_pm.m_AddrDelivMargins.left = tenths(DELIV_LEFT);
    m_pm.m_AddrDelivMargins.top = tenths(DELIV_TOP);
    const int row = std::max(0, m_sizes->currentIndex());
    m_pm.m_EnvelopeData = kEnvelopeSizeTable[size_t(row)];
    if (row == int(kEnvelopeCustomRow)) {
        m_pm.m_EnvelopeData.m_wWidth = u16(tenths(ENV_WIDTH));
        m_pm.m_EnvelopeData.m_wHeight = u16(tenths(ENV_HEIGHT));
    }
    m_pm.m_EnvelopeFeed = std::max(1, m_feeds->checkedId());
    auto setBit
        = [this](u32 bit, bool on) { m_pm.m_Flags1 = on ? (m_pm.m_Flags1 | bit) : (m_pm.m_Flags1 & ~bit); };
    setBit(PF_ENVELOPE_CONTACT_FORMAT, m_contactFormat->isChecked());
    setBit(PF_NO_RETURN_ADDRESS, m_noReturn->isChecked());
    m_pm.m_EnvelopeAddressFormat = m_formatIndex;
}
