#include "core/userman.h"

#include "core/fontutil.h"
#include "core/records.h"
#include "core/utilities.h"
#include "platform/fontconv.h"
#include "platform/profile.h"
#include "platform/textcodec.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kMainWnd = "UserMan\\MainWnd";
constexpr const char* kToolbar = "UserMan\\MainToolbar";
constexpr const char* kAlphabetBar = "UserMan\\AlphabetBar";
constexpr const char* kContList = "UserMan\\ContList";
constexpr const char* kBookTree = "UserMan\\BookTree";
constexpr const char* kContactInfo = "UserMan\\Contact Info";
constexpr const char* kAddressFormats = "UserMan\\Address Formats";
constexpr const char* kFormatPrefix = "AddressFormat_";

// Beyond this a stored coordinate is taken as garbage.
constexpr i32 kCoordinateLimit = 4096;

constexpr const char* kFirstRunFace = "Tahoma";

template <typename T> struct IntValue {
    const char* section;
    const char* entry;
    T UserMan::*member;
    T byDefault;
};

const IntValue<u32> kWords[] = {
    {kMainWnd, "Flags1", &UserMan::m_dwMainFlags, 0x7BA},
    {kMainWnd, "RebarFlags", &UserMan::m_dwRebarFlags, 0},
    {kToolbar, "Style", &UserMan::m_dwToolbarStyle, 3},
    {kAlphabetBar, "FontClr", &UserMan::m_crAlphabetText, 0x404080},
    {kContList, "Flags1", &UserMan::m_dwListFlags, 9},
    {kContList, "FilterFlags", &UserMan::m_dwFilterFlags, 1},
    {kContList, "NameColumnFlags", &UserMan::m_dwNameColumnFlags, 1},
    {kContList, "FindFlags", &UserMan::m_dwFindFlags, 0x81},
    {kContList, "ListFontClr", &UserMan::m_crListText, 0},
    {kContList, "HeadFontClr", &UserMan::m_crHeaderText, 0x800000},
    {kContList, "ListBkClr", &UserMan::m_crListBack, 0xCBE4E4},
    {kBookTree, "FontClr", &UserMan::m_crTreeText, 0},
    {kBookTree, "BkClr", &UserMan::m_crTreeBack, 0xECDBD7},
    {kBookTree, "Flags1", &UserMan::m_dwTreeFlags, 1},
    {kBookTree, "State", &UserMan::m_dwTreeState, 1},
    {kBookTree, "DockState", &UserMan::m_dwTreeDockState, 4},
    {kContactInfo, "DockState", &UserMan::m_dwInfoDockState, INFO_DOCK_BOTTOM},
};

const IntValue<i32> kSizes[] = {
    {kBookTree, "DimX", &UserMan::m_nTreeDimX, 200},
    {kContactInfo, "Top", &UserMan::m_nInfoTop, 100},
    {kContactInfo, "Right", &UserMan::m_nInfoRight, 100},
    {kContactInfo, "Bottom", &UserMan::m_nInfoBottom, 100},
};

struct FontValue {
    const char* section;
    const char* entry;
    int kind;
};
const FontValue kFontValues[] = {
    {kAlphabetBar, "Font", UFK_ALPHABET},
    {kContList, "ListFont", UFK_LIST},
    {kContList, "HeadFont", UFK_HEADER},
    {kBookTree, "Font", UFK_BOOKTREE},
};

struct BuiltInFormat {
    u32 nameId;
    u32 formatId;
};
const BuiltInFormat kBuiltInFormats[] = {{59700, 59680}, {59701, 59681}, {59702, 59682}};

UserMan* g_appUserMan = nullptr;

// The stock interface font, for when the desktop gives none.
LOGFONT StockGuiFont()
{
    LOGFONT font;
    font.lfHeight = -11;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    return font;
}

bool LiesOnAScreen(const RECT& rc)
{
    const auto screens = HasDesktop() ? QGuiApplication::screens() : QList<QScreen*>();
    // With no screen to ask, nothing can be judged off-screen.
    if (screens.isEmpty())
        return true;
    const QRect rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return std::any_of(screens.begin(), screens.end(),
        [&](const QScreen* screen) { return screen->geometry().intersects(rect); });
}

bool IsUsableRect(const RECT& rc)
{
    for (i32 coordinate : {rc.left, rc.top, rc.right, rc.bottom}) {
        if (coordinate < -kCoordinateLimit || coordinate > kCoordinateLimit)
            return false;
    }
    return rc.right > rc.left && rc.bottom > rc.top && LiesOnAScreen(rc);
}

std::string FormatValueName(size_t index)
{
    return kFormatPrefix + std::to_string(index);
}

}  // namespace

UserMan::UserMan()
{
    for (u32 field = 1; field <= kInfoFieldCount; ++field)
        m_infoFields.push_back(kInfoFieldShown | field);
}

UserMan::~UserMan()
{
    if (g_appUserMan == this)
        g_appUserMan = nullptr;
}

int UserMan::Init(u32 runCounter)
{
    ChooseDefaultFonts(runCounter);
    AppendBuiltInFormats();
    return Load();
}

void UserMan::ChooseDefaultFonts(u32 runCounter)
{
    if (!HasDesktop()) {
        LOGFONT stock = StockGuiFont();
        stock.lfQuality = ANTIALIASED_QUALITY;
        for (FontSlot& slot : m_fonts)
            slot = {stock, 1};
        return;
    }
    LOGFONT base = DesktopFont();
    if (runCounter == 0 && IsFontInstalled(kFirstRunFace))
        TextCodec::ToFixedField(kFirstRunFace, base.lfFaceName, LF_FACESIZE);
    base.lfQuality = ANTIALIASED_QUALITY;

    LOGFONT font = base;
    font.lfHeight = -13;
    SetFont(UFK_LIST, font);
    SetFont(UFK_HEADER, font);
    font.lfHeight = -11;
    SetFont(UFK_BOOKTREE, font);
    font.lfHeight = -18;
    font.lfWeight = FW_BOLD;
    SetFont(UFK_ALPHABET, font);
}

void UserMan::AppendBuiltInFormats()
{
    for (const BuiltInFormat& builtIn : kBuiltInFormats) {
        AddressFormat format;
        format.SetName(LoadResString(builtIn.nameId));
        format.SetFormat(LoadResString(builtIn.formatId));
        format.m_dwFlags = AFF_BUILTIN;
        m_addressFormats.Add(format);
    }
}

int UserMan::Load()
{
    for (const auto& value : kWords)
        this->*value.member = u32(Profile::GetInt(value.section, value.entry, int(value.byDefault)));
    for (const auto& value : kSizes)
        this->*value.member = Profile::GetInt(value.section, value.entry, value.byDefault);

    // A rectangle off every screen (another monitor set-up, a damaged value)
    // would leave the window where nobody can reach it.
    RECT rect = m_rcMain;
    Profile::GetStruct(kMainWnd, "Rect", rect);
    m_rcMain = IsUsableRect(rect) ? rect : kDefaultMainRect;

    for (const FontValue& value : kFontValues) {
        FontSlot& slot = m_fonts[SlotIndex(value.kind)];
        if (Profile::GetStruct(value.section, value.entry, slot.font))
            slot.set = 1;
    }
    Profile::GetStruct(kContList, "GridPen", m_gridPen);

    if (Profile::Exists(kContactInfo, "Fields")) {
        m_infoFields.clear();
        if (const auto bytes = Profile::GetBinary(kContactInfo, "Fields", kInfoFieldCount * sizeof(u32))) {
            m_infoFields.resize(kInfoFieldCount);
            std::memcpy(m_infoFields.data(), bytes->constData(), size_t(bytes->size()));
        }
    }

    LoadAddressFormats();
    InstallRecordDefaults();
    return 0;
}

void UserMan::LoadAddressFormats()
{
    // Capped as on saving, so a damaged count cannot ask for millions of records.
    const int stored = Profile::GetInt(kAddressFormats, "Number", 0);
    if (stored <= 0)
        return;
    const u32 number = std::min(u32(stored), kMaxStoredAddressFormats);
    m_addressFormats.RemoveAll();
    m_addressFormats.SetSize(number);
    for (u32 i = 0; i < number; ++i)
        Profile::GetStruct(kAddressFormats, FormatValueName(i).c_str(), m_addressFormats.ElementAt(i));
}

int UserMan::Save()
{
    for (const auto& value : kWords)
        Profile::WriteInt(value.section, value.entry, int(this->*value.member));
    for (const auto& value : kSizes)
        Profile::WriteInt(value.section, value.entry, this->*value.member);
    Profile::WriteStruct(kMainWnd, "Rect", m_rcMain);
    for (const FontValue& value : kFontValues) {
        if (const LOGFONT* font = GetFont(value.kind))
            Profile::WriteStruct(value.section, value.entry, *font);
    }
    Profile::WriteStruct(kContList, "GridPen", m_gridPen);
    // An empty list (a damaged value emptied it) is stored as it is, so that
    // the address formats behind it are still saved.
    Profile::WriteBinary(
        kContactInfo, "Fields", m_infoFields.data(), qsizetype(m_infoFields.size() * sizeof(u32)));
    SaveAddressFormats();
    return 0;
}

void UserMan::ReplaceAddressFormats(const CAddressFormatArray& formats, const std::vector<int>& origins)
{
    AddressFormatRemap remap(m_addressFormats.GetSize(), kFormatDeleted);
    for (size_t i = 0; i < origins.size(); ++i) {
        if (origins[i] >= 0 && size_t(origins[i]) < remap.size())
            remap[size_t(origins[i])] = u32(i);
    }
    m_addressFormats = formats;
    bool moved = false;
    for (size_t i = 0; i < remap.size(); ++i)
        moved = moved || remap[i] != u32(i);
    if (!moved)
        return;
    // A watcher may stop watching while it is told.
    const auto watchers = m_formatWatchers;
    for (const auto& [token, watcher] : watchers)
        watcher(remap);
}

int UserMan::WatchAddressFormats(std::function<void(const AddressFormatRemap&)> watcher)
{
    m_formatWatchers.emplace(++m_nextFormatWatcher, std::move(watcher));
    return m_nextFormatWatcher;
}

void UserMan::UnwatchAddressFormats(int token)
{
    m_formatWatchers.erase(token);
}

void UserMan::SaveAddressFormats() const
{
    const u32 number = u32(std::min<size_t>(m_addressFormats.GetSize(), kMaxStoredAddressFormats));
    Profile::WriteInt(kAddressFormats, "Number", int(number));
    for (u32 i = 0; i < number; ++i)
        Profile::WriteStruct(kAddressFormats, FormatValueName(i).c_str(), m_addressFormats[i]);
}

int UserMan::SaveWindowState(const MainWindowHost& window)
{
    const auto setFlag
        = [this](u32 flag, bool on) { m_dwMainFlags = on ? m_dwMainFlags | flag : m_dwMainFlags & ~flag; };
    // A maximized window keeps the rectangle it had before it was maximized.
    setFlag(MWF_WAS_MAXIMIZED, window.IsMaximized());
    if (!window.IsMaximized())
        m_rcMain = window.NormalRect();
    setFlag(MWF_TOOLBAR, window.IsToolbarVisible());
    setFlag(MWF_STATUSBAR, window.IsStatusBarVisible());
    return Save();
}

void UserMan::ApplyToMainWindow(MainWindowHost& window, bool startHidden) const
{
    const u32 flags = m_dwMainFlags;
    window.ShowBars(flags & MWF_TOOLBAR, flags & MWF_STATUSBAR);
    window.SetTitle(kProductName);
    window.MoveTo(m_rcMain);
    const bool remember = flags & MWF_REMEMBER_PLACEMENT;
    const bool maximizeOnStart = flags & MWF_MAXIMIZE_ON_START;
    const bool wasMaximized = flags & MWF_WAS_MAXIMIZED;
    if (startHidden) {
        // Shown maximized once, so that it comes back from the tray maximized.
        if ((flags & MWF_START_IN_TRAY) && remember && wasMaximized)
            window.Show(ShowState::Maximized);
        window.Show(ShowState::Hide);
    } else if ((remember && (maximizeOnStart || wasMaximized)) || (!remember && maximizeOnStart)) {
        window.Show(ShowState::Maximized);
    } else {
        window.Show(ShowState::Normal);
    }
    if (flags & MWF_TOPMOST)
        window.SetTopmost();
    window.Update();
}

int UserMan::SlotIndex(int kind)
{
    return (kind >= UFK_ALPHABET && kind <= UFK_BOOKTREE) ? kind - UFK_ALPHABET : -1;
}

const LOGFONT* UserMan::GetFont(int kind) const
{
    const int index = SlotIndex(kind);
    return (index >= 0 && m_fonts[index].set) ? &m_fonts[index].font : nullptr;
}

void UserMan::SetFont(int kind, const LOGFONT& font)
{
    const int index = SlotIndex(kind);
    if (index >= 0)
        m_fonts[index] = {font, 1};
}

COLORREF UserMan::GetColor(int index) const
{
    switch (index) {
    case UC_ALPHABET_TEXT:
        return m_crAlphabetText;
    case UC_LIST_TEXT:
        return m_crListText;
    case UC_GRID_LINES:
        return m_gridPen.lopnColor;
    case UC_HEADER_TEXT:
        return m_crHeaderText;
    case UC_LIST_BACK:
        return m_crListBack;
    case UC_BOOKTREE_TEXT:
        return m_crTreeText;
    case UC_BOOKTREE_BACK:
        return m_crTreeBack;
    default:
        return DesktopColor(QPalette::WindowText, RGB(0, 0, 0));
    }
}

int UserMan::GetContactInfoSize() const
{
    switch (m_dwInfoDockState) {
    case INFO_DOCK_TOP:
        return m_nInfoTop;
    case INFO_DOCK_BOTTOM:
        return m_nInfoBottom;
    default:
        return m_nInfoRight;
    }
}

void UserMan::SetContactInfoSize(const RECT& rect)
{
    switch (m_dwInfoDockState) {
    case INFO_DOCK_TOP:
        m_nInfoTop = rect.bottom - rect.top;
        break;
    case INFO_DOCK_BOTTOM:
        m_nInfoBottom = rect.bottom - rect.top;
        break;
    default:
        m_nInfoRight = rect.right - rect.left;
        break;
    }
}

void UserMan::InstallRecordDefaults() const
{
    RecordDefaults defaults = GetRecordDefaults();
    if (const LOGFONT* font = GetFont(UFK_LIST))
        defaults.contactFont = *font;
    defaults.contactText = m_crListText;
    defaults.contactBack = m_crListBack;
    if (HasDesktop())
        defaults.bookFont = DesktopFont();
    defaults.bookText = DesktopColor(QPalette::WindowText, defaults.bookText);
    defaults.bookBack = DesktopColor(QPalette::Base, defaults.bookBack);
    SetRecordDefaults(defaults);
}

UserMan* AppUserMan()
{
    return g_appUserMan;
}

void SetAppUserMan(UserMan* userMan)
{
    g_appUserMan = userMan;
}
