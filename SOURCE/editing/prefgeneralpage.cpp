#include "core/userman.h"
#include "editing/prefpages.h"
#include "editing/prefutil.h"
#include "platform/autostart.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr u32 kRebarSunkenOff = 0x1;
constexpr u32 kStoredMainFlags = 0x7FF;

}  // namespace

CPrefGeneralPage::CPrefGeneralPage(PrefContext& context, QWidget* host)
    : CDialogPage(host)
    , m_context(context)
    , m_font(PageFont(context.userMan, UFK_ALPHABET))
    , m_colour(context.userMan.m_crAlphabetText)
{
    Caption()->setText(tr("General settings"));
    SetFocusRange(1130, 1135);
    auto* grid = new QGridLayout(Body());
    auto* window = new QVBoxLayout;
    auto* start = new QVBoxLayout;
    auto* clock = new QVBoxLayout;
    auto* alphabet = new QVBoxLayout;
    grid->addLayout(window, 0, 0);
    grid->addLayout(start, 0, 1);
    grid->addLayout(clock, 1, 0);
    grid->addLayout(alphabet, 1, 1);
    grid->setRowStretch(2, 1);

    const UserMan& user = context.userMan;
    const auto flag = [this, &user](QBoxLayout* layout, int id, const char* text, u32 bit) {
        QCheckBox* box = AddCheck(layout, id, text);
        box->setChecked(user.m_dwMainFlags & bit);
        m_flagBoxes.emplace_back(box, bit);
        return box;
    };
    AddBoldLabel(window, 1365, "Main window");
    QCheckBox* maximize = flag(window, 1130, "&Maximize on start", MWF_MAXIMIZE_ON_START);
    flag(window, 1136, "Save &window size and position on exit", MWF_REMEMBER_PLACEMENT);
    flag(window, 1105, "Always &on top", MWF_TOPMOST);
    flag(window, 1367, "&Toolbar", MWF_TOOLBAR);
    flag(window, 1368, "&Statusbar", MWF_STATUSBAR);
    flag(window, 1369, "&Book Tree", MWF_BOOKPANE);
    m_sunken = AddCheck(window, 1107, "Sun&ken toolbar");
    m_sunken->setChecked(!(user.m_dwRebarFlags & kRebarSunkenOff));
    QPushButton* customize = AddButton(window, 1370, "&Customize toolbar");
    connect(customize, &QPushButton::clicked, this, [this] {
        if (m_context.customizeToolbar)
            m_context.customizeToolbar();
    });

    AddBoldLabel(start, 1366, "Start and exit");
    // The box says whether the desktop starts the program now, whatever the
    // stored flag claims: only the entry's presence is true.
    m_autostart = flag(start, 1109, "&Load Tolva at desktop start", MWF_START_WITH_SYSTEM);
    m_bAutostartWas = Autostart::IsEnabled();
    m_autostart->setChecked(m_bAutostartWas);
    QCheckBox* tray = flag(start, 1110, "&Hide in tray on start", MWF_START_IN_TRAY);
    flag(start, 1111, "E&xit button minimizes Tolva", MWF_CLOSE_TO_TRAY);
    start->addStretch(1);
    // Starting maximized and starting hidden in the tray exclude each other.
    connect(maximize, &QCheckBox::toggled, tray, [tray](bool on) {
        if (on)
            tray->setChecked(false);
    });
    connect(tray, &QCheckBox::toggled, maximize, [maximize](bool on) {
        if (on)
            maximize->setChecked(false);
    });

    AddBoldLabel(clock, 1371, "Status bar");
    m_clockWithDate = AddRadio(clock, 1373, "Show time zone name, time and &date");
    m_clockTimeOnly = AddRadio(clock, 1372, "Show time zone name &and time");
    (user.m_dwMainFlags & MWF_CLOCK_DATE ? m_clockWithDate : m_clockTimeOnly)->setChecked(true);
    flag(clock, 1374, "Show contacts co&unt", MWF_CONTACT_COUNT);

    AddBoldLabel(alphabet, 0, "Alphabet bar");
    QPushButton* font = AddButton(alphabet, 1135, "Alphabet bar &font");
    connect(font, &QPushButton::clicked, this, &CPrefGeneralPage::OnAlphabetFont);
    m_preview = new QLabel;
    SetDlgCtrlID(m_preview, 1138);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setMinimumHeight(fontMetrics().height() * 2);
    alphabet->addWidget(m_preview);
    alphabet->addStretch(1);
    ShowPreview();
}

void CPrefGeneralPage::ShowPreview()
{
    ShowFontSample(m_preview, m_font, m_colour, 0, false);
}

void CPrefGeneralPage::OnAlphabetFont()
{
    if (!PrefChoosers().font(this, m_font, m_colour))
        return;
    m_bAlphabetFontChanged = true;
    ShowPreview();
}

void CPrefGeneralPage::Store()
{
    UserMan& user = m_context.userMan;
    u32 flags = user.m_dwMainFlags & ~kStoredMainFlags;
    for (const auto& [box, bit] : m_flagBoxes) {
        if (box->isChecked())
            flags |= bit;
    }
    if (m_clockWithDate->isChecked())
        flags |= MWF_CLOCK_DATE;
    user.m_dwMainFlags = flags;
    if (m_sunken->isChecked())
        user.m_dwRebarFlags &= ~kRebarSunkenOff;
    else
        user.m_dwRebarFlags |= kRebarSunkenOff;
    user.SetFont(UFK_ALPHABET, m_font);
    user.m_crAlphabetText = m_colour;

    // Only the user's own tick or untick touches the desktop's start-up.
    const bool autostart = m_autostart->isChecked();
    if (autostart == m_bAutostartWas)
        return;
    const QString program
        = m_context.programPath.isEmpty() ? QCoreApplication::applicationFilePath() : m_context.programPath;
    if (autostart)
        Autostart::Enable(program);
    else
        Autostart::Disable();
}
