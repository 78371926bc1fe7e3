// The user-interface settings: main-window placement and bars, the fonts and
// colours of the alphabet bar, contact list, list header and book tree, the
// book pane and information pane, the quick-find fields and the address
// formats. Kept in the settings profile under "UserMan".
#pragma once

#include "core/addressformat.h"
#include "platform/wintypes.h"

#include <functional>
#include <map>
#include <vector>

// Font kinds.
constexpr int UFK_ALPHABET = 1;
constexpr int UFK_LIST = 2;
constexpr int UFK_HEADER = 3;
constexpr int UFK_BOOKTREE = 4;

// Colour indexes.
constexpr int UC_ALPHABET_TEXT = 5;
constexpr int UC_LIST_TEXT = 6;
constexpr int UC_GRID_LINES = 7;
constexpr int UC_HEADER_TEXT = 8;
constexpr int UC_LIST_BACK = 9;
constexpr int UC_BOOKTREE_TEXT = 10;
constexpr int UC_BOOKTREE_BACK = 11;

// Main-window "Flags1" bits.
constexpr u32 MWF_MAXIMIZE_ON_START = 1u << 0;
constexpr u32 MWF_REMEMBER_PLACEMENT = 1u << 1;
constexpr u32 MWF_TOPMOST = 1u << 2;
constexpr u32 MWF_TOOLBAR = 1u << 3;
constexpr u32 MWF_STATUSBAR = 1u << 4;
constexpr u32 MWF_BOOKPANE = 1u << 5;
constexpr u32 MWF_CLOCK_DATE = 1u << 6;
constexpr u32 MWF_CONTACT_COUNT = 1u << 7;
constexpr u32 MWF_START_WITH_SYSTEM = 1u << 8;
constexpr u32 MWF_START_IN_TRAY = 1u << 9;
constexpr u32 MWF_CLOSE_TO_TRAY = 1u << 10;
constexpr u32 MWF_WAS_MAXIMIZED = 1u << 11;
constexpr u32 MWF_INFOPANE = 1u << 12;

// The information pane's field list: a field number 1-46 in the low word,
// this bit when the field is shown.
constexpr u32 kInfoFieldCount = 46;
constexpr u32 kInfoFieldShown = 0x10000000;

// Information pane positions.
constexpr u32 INFO_DOCK_TOP = 1;
constexpr u32 INFO_DOCK_RIGHT = 2;
constexpr u32 INFO_DOCK_BOTTOM = 3;

// At most this many address formats are kept across runs.
constexpr u32 kMaxStoredAddressFormats = 32;

constexpr RECT kDefaultMainRect{0, 0, 640, 480};

enum class ShowState { Hide, Normal, Maximized };

// What UserMan needs of the main window to place it and to remember it.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    virtual bool IsMaximized() const = 0;
    virtual RECT NormalRect() const = 0;
    virtual bool IsToolbarVisible() const = 0;
    virtual bool IsStatusBarVisible() const = 0;

    virtual void ShowBars(bool toolbar, bool statusBar) = 0;
    virtual void SetTitle(const char* title) = 0;
    virtual void MoveTo(const RECT& rect) = 0;
    virtual void Show(ShowState state) = 0;
    virtual void SetTopmost() = 0;
    virtual void Update() = 0;
};

class UserMan {
public:
    UserMan();
    ~UserMan();
    UserMan(const UserMan&) = delete;
    UserMan& operator=(const UserMan&) = delete;

    // Chooses the default fonts (run counter 0 is the first run), adds the
    // built-in address formats, then loads.
    int Init(u32 runCounter);
    // Reads every value; missing values and binary values of another size
    // keep their defaults. Installs the defaults of new records.
    int Load();
    int Save();
    int SaveWindowState(const MainWindowHost& window);
    // startHidden: started by the system at log-in.
    void ApplyToMainWindow(MainWindowHost& window, bool startHidden) const;

    // Null for another kind, and for a font not yet chosen.
    const LOGFONT* GetFont(int kind) const;
    void SetFont(int kind, const LOGFONT& font);
    // Another index gives the desktop's window-text colour.
    COLORREF GetColor(int index) const;
    int GetContactInfoSize() const;
    void SetContactInfoSize(const RECT& rect);

    // Fresh contacts take the list's font and colours, fresh books the
    // desktop's font and window colours.
    void InstallRecordDefaults() const;

    // "UserMan\MainWnd", "UserMan\MainToolbar"
    u32 m_dwMainFlags = 0x7BA;
    RECT m_rcMain = kDefaultMainRect;
    u32 m_dwRebarFlags = 0;
    u32 m_dwToolbarStyle = 3;
    // "UserMan\AlphabetBar"
    COLORREF m_crAlphabetText = 0x404080;
    // "UserMan\ContList"
    u32 m_dwListFlags = 9;
    u32 m_dwFilterFlags = 1;
    u32 m_dwNameColumnFlags = 1;
    u32 m_dwFindFlags = 0x81;
    COLORREF m_crListText = 0;
    COLORREF m_crHeaderText = 0x800000;
    LOGPEN m_gridPen{2, {0, 0}, 0x808080};
    COLORREF m_crListBack = 0xCBE4E4;
    // "UserMan\BookTree"
    COLORREF m_crTreeText = 0;
    COLORREF m_crTreeBack = 0xF1DDD1;
    u32 m_dwTreeFlags = 1;
    i32 m_nTreeDimX = 200;
    u32 m_dwTreeState = 1;
    u32 m_dwTreeDockState = 4;
    // "UserMan\Contact Info"
    u32 m_dwInfoDockState = INFO_DOCK_BOTTOM;
    i32 m_nInfoTop = 100;
    i32 m_nInfoRight = 100;
    i32 m_nInfoBottom = 100;
    std::vector<u32> m_infoFields;
    // "UserMan\Address Formats"
    CAddressFormatArray m_addressFormats;

    // Set while a dialog that excludes others runs; not stored.
    u32 m_dwDialogOpen = 0;

    // Replaces the address formats with a list edited from a copy of them;
    // origins gives, for each format of the new list, its index in the old
    // one (-1 for a new format). Contacts and settings refer to formats by
    // index: whoever watches the list learns where every old format went.
    void ReplaceAddressFormats(const CAddressFormatArray& formats, const std::vector<int>& origins);
    // A watcher until it is unwatched by the number returned.
    int WatchAddressFormats(std::function<void(const AddressFormatRemap&)> watcher);
    void UnwatchAddressFormats(int token);

private:
    struct FontSlot {
        LOGFONT font;
        u32 set = 0;
    };
    static int SlotIndex(int kind);
    void ChooseDefaultFonts(u32 runCounter);
    void AppendBuiltInFormats();
    void LoadAddressFormats();
    void SaveAddressFormats() const;

    FontSlot m_fonts[4];
    std::map<int, std::function<void(const AddressFormatRemap&)>> m_formatWatchers;
    int m_nextFormatWatcher = 0;
};

// The application's settings; the application object installs its own.
// Null before.
UserMan* AppUserMan();
void SetAppUserMan(UserMan* userMan);
