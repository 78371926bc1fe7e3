#include "core/fontutil.h"
#include "core/records.h"
#include "core/userman.h"
#include "platform/fontconv.h"
#include "platform/profile.h"
#include "support/testenv.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>

namespace {

constexpr const char* kFormats = "UserMan\\Address Formats";

// The integer settings with their defaults.
// clang-format off
const std::pair<u32 UserMan::*, u32> kWords[] = {
    {&UserMan::m_dwMainFlags, 1978}, {&UserMan::m_dwRebarFlags, 0}, {&UserMan::m_dwToolbarStyle, 3},
    {&UserMan::m_crAlphabetText, 0x404080}, {&UserMan::m_dwListFlags, 9}, {&UserMan::m_dwFilterFlags, 1},
    {&UserMan::m_dwNameColumnFlags, 1}, {&UserMan::m_dwFindFlags, 129}, {&UserMan::m_crListText, 0},
    {&UserMan::m_crHeaderText, 0x800000}, {&UserMan::m_crListBack, 0xCBE4E4}, {&UserMan::m_crTreeText, 0},
    {&UserMan::m_crTreeBack, 0xECDBD7}, {&UserMan::m_dwTreeFlags, 1}, {&UserMan::m_dwTreeState, 1},
    {&UserMan::m_dwTreeDockState, 4}, {&UserMan::m_dwInfoDockState, 3}};
const std::pair<i32 UserMan::*, i32> kSizes[] = {
    {&UserMan::m_nTreeDimX, 200}, {&UserMan::m_nInfoTop, 100}, {&UserMan::m_nInfoRight, 100},
    {&UserMan::m_nInfoBottom, 100}};
// clang-format on

LOGFONT Font(const char* face, i32 height)
{
    LOGFONT font;
    font.lfHeight = height;
    std::strcpy(font.lfFaceName, face);
    return font;
}

void WriteBytes(const char* section, const char* entry, qsizetype size)
{
    const QByteArray bytes(size, 'A');
    Profile::WriteBinary(section, entry, bytes.constData(), size);
}

class UserManTest : public TolvaTest {
protected:
    void TearDown() override
    {
        SetRecordDefaults(RecordDefaults{});
        TolvaTest::TearDown();
    }
    // What the next start of the program sees.
    static std::unique_ptr<UserMan> Restart()
    {
        Profile::Reopen();
        auto userMan = std::make_unique<UserMan>();
        EXPECT_EQ(userMan->Init(1), 0);
        return userMan;
    }
};

class FakeWindow : public MainWindowHost {
public:
    bool IsMaximized() const override { return m_maximized; }
    RECT NormalRect() const override { return {10, 20, 700, 500}; }
    bool IsToolbarVisible() const override { return true; }
    bool IsStatusBarVisible() const override { return false; }
    void ShowBars(bool toolbar, bool statusBar) override
    {
        m_log += std::string(toolbar ? "T" : "t") + (statusBar ? "S" : "s");
    }
    void SetTitle(const char* title) override { m_log += std::string(" ") + title; }
    void MoveTo(const RECT& rect) override { m_log += " move" + std::to_string(rect.right); }
    void Show(ShowState state) override
    {
        m_log += state == ShowState::Hide ? " hide" : state == ShowState::Normal ? " normal" : " maximized";
    }
    void SetTopmost() override { m_log += " topmost"; }
    void Update() override { m_log += " update"; }

    bool m_maximized = false;
    std::string m_log;
};

}  // namespace

TEST_F(UserManTest, DefaultsWhenNothingIsStored)
{
    EXPECT_EQ(UserMan().m_crTreeBack, 0xF1DDD1u);
    const auto u = Restart();
    for (const auto& [member, value] : kWords)
        EXPECT_EQ((*u).*member, value);
    for (const auto& [member, value] : kSizes)
        EXPECT_EQ((*u).*member, value);
    EXPECT_EQ(u->m_rcMain, kDefaultMainRect);
    EXPECT_EQ(u->m_gridPen, (LOGPEN{2, {0, 0}, 0x808080}));
    const COLORREF colors[] = {0x404080, 0, 0x808080, 0x800000, 0xCBE4E4, 0, 0xECDBD7};
    for (int index = UC_ALPHABET_TEXT; index <= UC_BOOKTREE_BACK; ++index)
        EXPECT_EQ(u->GetColor(index), colors[index - UC_ALPHABET_TEXT]) << index;
    const QColor text = QGuiApplication::palette().color(QPalette::WindowText);
    EXPECT_EQ(u->GetColor(4), RGB(text.red(), text.green(), text.blue()));
    EXPECT_EQ(u->GetColor(12), u->GetColor(4));

    ASSERT_EQ(u->m_infoFields.size(), kInfoFieldCount);
    EXPECT_EQ(u->m_infoFields.front(), 0x10000001u);
    EXPECT_EQ(u->m_infoFields.back(), 0x1000002Eu);
    ASSERT_EQ(u->m_addressFormats.GetSize(), 3u);
    EXPECT_EQ(u->m_addressFormats[0].Name(), "Postal address");
    EXPECT_EQ(u->m_addressFormats[1].Format(),
        "[Business street][NL][Business city][Business state][,][Business zip][NL][Business country]");
    EXPECT_EQ(u->m_addressFormats[2].Name(), "Home address");
    EXPECT_EQ(u->m_addressFormats[2].m_dwFlags, AFF_BUILTIN);
}

TEST_F(UserManTest, FirstRunFontsFallBackToTheDesktopFont)
{
    UserMan u;
    u.Init(0);
    const LOGFONT desktop = LogFontFromQFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    const i32 heights[] = {-18, -13, -13, -11};
    for (int kind = UFK_ALPHABET; kind <= UFK_BOOKTREE; ++kind) {
        const LOGFONT* font = u.GetFont(kind);
        ASSERT_NE(font, nullptr);
        EXPECT_STREQ(font->lfFaceName, IsFontInstalled("Tahoma") ? "Tahoma" : desktop.lfFaceName);
        EXPECT_EQ(font->lfHeight, heights[kind - 1]);
        EXPECT_EQ(font->lfQuality, ANTIALIASED_QUALITY);
        EXPECT_EQ(font->lfWeight, kind == UFK_ALPHABET ? FW_BOLD : desktop.lfWeight);
    }
    u.SetFont(5, Font("X", -1));
    EXPECT_EQ(u.GetFont(0), nullptr);
    EXPECT_EQ(u.GetFont(5), nullptr);

    // Fresh records take the list's font and colours, books the desktop's font.
    EXPECT_EQ(Contact().m_font, *u.GetFont(UFK_LIST));
    EXPECT_EQ(Contact().m_crBack, 0xCBE4E4u);
    EXPECT_EQ(Book().m_font, desktop);

    // A later run keeps what was saved.
    u.SetFont(UFK_LIST, Font("DejaVu Sans", -15));
    u.Save();
    const auto next = Restart();
    EXPECT_EQ(*next->GetFont(UFK_LIST), Font("DejaVu Sans", -15));
    EXPECT_EQ(*next->GetFont(UFK_HEADER), *u.GetFont(UFK_HEADER));
}

TEST_F(UserManTest, EveryValueSurvivesANewSettingsObject)
{
    UserMan u;
    u.Init(1);
    u32 change = 0x10;
    for (const auto& [member, value] : kWords)
        u.*member = value + ++change;
    for (const auto& [member, value] : kSizes)
        u.*member = value + i32(++change);
    u.m_rcMain = {10, 20, 600, 400};
    u.m_gridPen = {0, {1, 1}, 0xABCDEF};
    u.m_infoFields[4] = 5;
    for (int kind = UFK_ALPHABET; kind <= UFK_BOOKTREE; ++kind)
        u.SetFont(kind, Font("DejaVu Serif", -10 - kind));
    u.m_addressFormats.SetSize(2);
    u.m_addressFormats.ElementAt(1).SetName("Ünïcode");
    u.m_addressFormats.ElementAt(1).SetFormat("[Name][NL][Home city]");
    EXPECT_EQ(u.Save(), 0);

    const auto v = Restart();
    for (const auto& [member, value] : kWords)
        EXPECT_EQ((*v).*member, u.*member);
    for (const auto& [member, value] : kSizes)
        EXPECT_EQ((*v).*member, u.*member);
    for (int kind = UFK_ALPHABET; kind <= UFK_BOOKTREE; ++kind)
        EXPECT_EQ(*v->GetFont(kind), *u.GetFont(kind)) << kind;
    EXPECT_EQ(v->m_rcMain, u.m_rcMain);
    EXPECT_EQ(v->m_gridPen, u.m_gridPen);
    EXPECT_EQ(v->m_infoFields, u.m_infoFields);
    EXPECT_EQ(v->m_addressFormats, u.m_addressFormats);
}

TEST_F(UserManTest, BinaryValuesOfAnotherSizeKeepTheirDefaults)
{
    UserMan first;
    first.Init(1);
    WriteBytes("UserMan\\MainWnd", "Rect", 15);
    WriteBytes("UserMan\\AlphabetBar", "Font", 59);
    WriteBytes("UserMan\\ContList", "ListFont", 61);
    WriteBytes("UserMan\\ContList", "HeadFont", 0);
    WriteBytes("UserMan\\ContList", "GridPen", 17);
    WriteBytes("UserMan\\BookTree", "Font", 120);
    Profile::WriteInt(kFormats, "Number", 3);
    WriteBytes(kFormats, "AddressFormat_0", 320);
    WriteBytes(kFormats, "AddressFormat_1", 100);
    WriteBytes(kFormats, "AddressFormat_2", 321);

    const auto u = Restart();
    EXPECT_EQ(u->m_rcMain, kDefaultMainRect);
    EXPECT_EQ(u->m_gridPen, first.m_gridPen);
    for (int kind = UFK_ALPHABET; kind <= UFK_BOOKTREE; ++kind)
        EXPECT_EQ(*u->GetFont(kind), *first.GetFont(kind)) << kind;
    ASSERT_EQ(u->m_addressFormats.GetSize(), 3u);
    EXPECT_EQ(u->m_addressFormats[1], AddressFormat{});
    EXPECT_EQ(u->m_addressFormats[2], AddressFormat{});
    // A record without a terminating zero is cut at its field's end.
    EXPECT_EQ(u->m_addressFormats[0].Name(), std::string(56, 'A'));
    EXPECT_EQ(u->m_addressFormats[0].Format(), std::string(256, 'A'));
}

TEST_F(UserManTest, DamagedFieldListIsSavedEmptyAndFormatsStillSaved)
{
    WriteBytes("UserMan\\Contact Info", "Fields", 100);
    auto u = Restart();
    EXPECT_TRUE(u->m_infoFields.empty());
    u->m_addressFormats.ElementAt(0).SetName("Renamed");
    EXPECT_EQ(u->Save(), 0);

    u = Restart();
    EXPECT_TRUE(u->m_infoFields.empty());
    EXPECT_EQ(u->m_addressFormats[0].Name(), "Renamed");
}

TEST_F(UserManTest, AddressFormatCountsAreCappedBothWays)
{
    UserMan u;
    u.Init(1);
    u.Save();
    EXPECT_EQ(Profile::GetInt(kFormats, "Number", 0), 3);
    u.m_addressFormats.SetSize(40);
    u.Save();
    EXPECT_EQ(Profile::GetInt(kFormats, "Number", 0), 32);
    EXPECT_FALSE(Profile::Exists(kFormats, "AddressFormat_32"));

    Profile::WriteInt(kFormats, "Number", 1000000);
    EXPECT_EQ(Restart()->m_addressFormats.GetSize(), 32u);
    Profile::WriteInt(kFormats, "Number", -1);
    EXPECT_EQ(Restart()->m_addressFormats[0].Name(), "Postal address");
}

TEST_F(UserManTest, RectanglesOutOfRangeOrOffEveryScreenAreReset)
{
    const RECT cases[][2] = {
        {{0, 0, 5000, 480}, kDefaultMainRect},
        {{3000, 3000, 3640, 3480}, kDefaultMainRect},
        {{500, 400, 100, 100}, kDefaultMainRect},
        {{-600, -400, 40, 30}, {-600, -400, 40, 30}},
    };
    for (const auto& [stored, expected] : cases) {
        Profile::WriteStruct("UserMan\\MainWnd", "Rect", stored);
        EXPECT_EQ(Restart()->m_rcMain, expected) << stored.left << "," << stored.top;
    }
}

TEST_F(UserManTest, WindowStateIsSavedAndApplied)
{
    UserMan u;
    u.Init(1);
    FakeWindow window;
    window.m_maximized = true;
    u.SaveWindowState(window);
    EXPECT_EQ(
        u.m_dwMainFlags & (MWF_WAS_MAXIMIZED | MWF_TOOLBAR | MWF_STATUSBAR), MWF_WAS_MAXIMIZED | MWF_TOOLBAR);
    EXPECT_EQ(u.m_rcMain, kDefaultMainRect);
    window.m_maximized = false;
    u.SaveWindowState(window);
    EXPECT_FALSE(u.m_dwMainFlags & MWF_WAS_MAXIMIZED);
    EXPECT_EQ(Restart()->m_rcMain, window.NormalRect());

    const std::tuple<u32, bool, std::string> cases[] = {
        {MWF_REMEMBER_PLACEMENT | MWF_WAS_MAXIMIZED, false, "ts Tolva move640 maximized update"},
        {MWF_REMEMBER_PLACEMENT, false, "ts Tolva move640 normal update"},
        {MWF_MAXIMIZE_ON_START | MWF_TOPMOST | MWF_TOOLBAR, false,
            "Ts Tolva move640 maximized topmost update"},
        {MWF_WAS_MAXIMIZED | MWF_STATUSBAR, false, "tS Tolva move640 normal update"},
        {MWF_MAXIMIZE_ON_START, true, "ts Tolva move640 hide update"},
        {MWF_START_IN_TRAY | MWF_REMEMBER_PLACEMENT | MWF_WAS_MAXIMIZED, true,
            "ts Tolva move640 maximized hide update"},
    };
    for (const auto& [flags, hidden, log] : cases) {
        FakeWindow target;
        UserMan settings;
        settings.m_dwMainFlags = flags;
        settings.ApplyToMainWindow(target, hidden);
        EXPECT_EQ(target.m_log, log) << flags;
    }
}

TEST_F(UserManTest, FontNameAndTextExtent)
{
    EXPECT_EQ(FormatFontName(Font("DejaVu Sans", -13), 96), "10pt. DejaVu Sans");
    EXPECT_EQ(FormatFontName(Font("X", INT32_MIN), 72), "2147483648pt. X");
    const QFont font(QStringLiteral("DejaVu Sans"), 10);
    EXPECT_EQ(GetWindowTextExtent(font, "Tolva").cy, QFontMetrics(font).height());
    EXPECT_GT(GetWindowTextExtent(font, "a\tb").cx, GetWindowTextExtent(font, "ab").cx);
    EXPECT_TRUE(IsFontInstalled("DejaVu"));
    EXPECT_FALSE(IsFontInstalled("dejavu"));
}
