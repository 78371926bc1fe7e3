// The one view of the main frame: the banner, the contact list, the
// alphabet bar in its pager, the book pane and the information pane, laid
// out with splitters between them. It carries out the contact commands.
#pragma once

#include "mainwnd/commands.h"
#include "mainwnd/gridcontactview.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Book;
class DataItem;
class CBookBanner;
class CContactInfoPane;
class CDockWnd;
class CEditingHooks;
class CLetterToolBar;
class CMainFrame;
class CPagerWnd;
class Contact;
class ContactListView;
class DataMan;
class QMenu;
class QMimeData;
class TapiMan;
class UserMan;

// Splitter modes; the numbers are also those of their cursors.
constexpr int SPLIT_NONE = 0;
constexpr int SPLIT_VERTICAL = 500;
constexpr int SPLIT_HORIZONTAL = 502;

// Contact-list flags ("UserMan\ContList" Flags1).
constexpr u32 CLF_CONFIRM_DELETE = 0x1;
constexpr u32 CLF_DELETE_FOR_GOOD = 0x2;
constexpr u32 CLF_SIMPLE_DIALOG = 0x20;

// What the update rules of the contact commands are made of, worked out
// once per update.
struct ContactFacts {
    int selected = 0;
    bool findMode = false;
    bool inDeletedItems = false;
    bool dialogOpen = false;
    bool editing = false;
    bool firstHasMail = false;
    bool firstHasPhone = false;
    bool deletedItemsHoldSomething = false;
};

// What the wizard hands back for the container to report.
struct ImportExportOutcome {
    // -1 or 3 the wizard failed; 0 cancelled; 1 Finish.
    int wizardResult = 0;
    bool import = false;
    // The driver's result: 0 success.
    u32 result = 0;
    u32 booksAdded = 0;
    u32 contactsAdded = 0;
};

class CContainerWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPaneId = 59648;
    static constexpr int kGridId = 1007;

    CContainerWnd(
        CMainFrame& frame, DataMan& dataMan, UserMan& userMan, TapiMan& tapiMan, QWidget* parent = nullptr);
    ~CContainerWnd() override;

    // The panes.
    ContactListView& Grid() const { return *m_grid; }
    CDockWnd* BookPane() const { return m_bookPane; }
    CBookBanner* Banner() const { return m_banner; }
    CLetterToolBar* AlphabetBar() const { return m_alphabetBar; }
    CContactInfoPane* InfoPane() const { return m_infoPane; }
    bool InFindMode() const { return m_bFindMode; }

    void RecalcLayout();
    // The contact of the first selected row, or null.
    Contact* GetFocusedContact() const;
    // The first default home phone of that contact, else empty.
    std::string GetDefaultPhone() const;
    QString ContactCountText() const;
    void RebuildAlphabetBar();
    void ApplyAlphabetBarFont();
    void RefreshForBook();
    void RefreshGrid();
    void SetCurrentLetterCommand(u32 command);
    void FlagContactsForPrint(u32 printRange);
    void Find(const QString& text, bool allBooks, u32 fieldMask);
    static std::string BuildSearchText(const Contact& contact, u32 fieldMask);

    // The commands, with the book pane's first.
    const CommandMap& Commands() const { return m_commands; }
    bool OnCmdMsg(u32 id) const;
    bool OnUpdateCmdMsg(class CCmdUI& ui) const;
    // Around a pass over many commands: the facts are worked out once.
    void BeginCommandUpdate();
    void EndCommandUpdate();
    ContactFacts WorkOutFacts() const;

    void NewContact(const std::string& phone, const std::string& mail);
    bool EditContact(Contact& contact, int startPage);
    void Dial(const std::string& number);
    // Reports the wizard's outcome and refreshes after an import.
    void AfterImportExport(const ImportExportOutcome& outcome);
    void DoPreferences(int startPage);

    // The dialogs of the editing area; null until installed.
    void SetEditingHooks(CEditingHooks* hooks);
    CEditingHooks* EditingHooks() const { return m_editing; }
    // Dials a number for a contact; installed by telephony.
    using Dialer = std::function<void(const std::string& number, Contact* contact)>;
    void SetDialer(Dialer dialer) { m_dialer = std::move(dialer); }
    // Sends a file as a mail attachment; false when the mail program did
    // not take it. Installed by the mail side of telephony.
    using FileMailer = std::function<bool(const QString& path, const QString& name)>;
    void SetFileMailer(FileMailer mailer) { m_fileMailer = std::move(mailer); }
    // Told of the selected item: the contact focused in the grid, else the
    // book shown.
    using SelectionObserver = std::function<void(const DataItem* item)>;
    void SetSelectionObserver(SelectionObserver observer) { m_selectionObserver = std::move(observer); }

    // The clipboard (clipboard.cpp). The data source is null when no row
    // is selected; the own format is left out when it cannot be written.
    QMimeData* BuildDataSource() const;
    QByteArray BuildClipboardText() const;
    QByteArray BuildClipboardContacts() const;
    bool CanPaste(const QMimeData* data) const;
    // Adds what the data (the clipboard's when null) carries to the
    // current book.
    void DoPaste(const QMimeData* data);

    // Before the frame closes: find mode ends so the letter in force is kept.
    void PrepareClose();

    // The registered messages the container answers.
    void OnDialHotPhone(int position);
    void OnSendHotMail(int position);
    void OnDialPhone(const std::string& number);
    void OnSendMail(const std::string& address);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // containerwnd.cpp: panes, layout, splitters, focus, menus.
    void CreatePanes();
    void CreateInfoPane();
    void DestroyInfoPane();
    int BannerHeight() const;
    int BookPaneWidth() const;
    int SplitterAt(QPoint pos, bool* bookPane) const;
    void FinishSplit(int distance);
    void OpenContextMenu(QWidget* source, QPoint globalPos, bool fromKeyboard);
    void OnSelectionChanged();
    void OnInfoTimer();
    void MoveFocus(bool forward);
    QList<QWidget*> FocusChain() const;

    void OnCopy();
    void OnPaste();

    // contactcommands.cpp: the command map and the handlers.
    void MapCommands();
    void OnModifyContact();
    void OnDelete();
    void OnEmptyDeletedItems();
    void OnSendMailCommand();
    void OnDialCommand();
    void OpenMailTo(const std::vector<std::string>& addresses, bool toClipboard);
    void OnAlphabetLetter(u32 command);
    void OnAlphabet();
    void OnFindContact();
    void OnSetColors(u32 id);
    void OnVCard(u32 id);
    void OnInfoDock(u32 id);
    void OnViewBookTree();
    // containerbooks.cpp: the book pane's pop-up, drag and drop wiring.
    void WireDragAndDrop();
    void OpenBookPopup();
    void DeleteContacts(const std::vector<Contact*>& contacts);
    void OnViewContactInfo();
    void OnBookMembership(u32 id);
    void OnCallLogDelete(bool all);
    void UpdateCount();
    void SaveData();

    CMainFrame& m_frame;
    DataMan& m_dataMan;
    UserMan& m_userMan;
    TapiMan& m_tapiMan;
    CEditingHooks* m_editing = nullptr;
    Dialer m_dialer;
    FileMailer m_fileMailer;
    SelectionObserver m_selectionObserver;

    CBookBanner* m_banner = nullptr;
    CLetterToolBar* m_alphabetBar = nullptr;
    CPagerWnd* m_pager = nullptr;
    std::unique_ptr<CGridContactView> m_grid;
    CDockWnd* m_bookPane = nullptr;
    CContactInfoPane* m_infoPane = nullptr;
    std::unique_ptr<QMenu> m_contextMenu;

    int m_nAlphabetButtonHeight = 20;
    qint64 m_nSavedLetter = -1;
    int m_nSplitMode = SPLIT_NONE;
    bool m_bSplitBookPane = false;
    bool m_bTracking = false;
    QPoint m_trackPos{100, 0};
    QPoint m_trackStart{100, 0};
    const Contact* m_pInfoContact = nullptr;
    bool m_bFindMode = false;
    // The last search looked through every book, not the current one only.
    bool m_bFindAllBooks = false;
    QTimer m_infoTimer;
    std::optional<ContactFacts> m_pFacts;

    CommandMap m_commands;
};
