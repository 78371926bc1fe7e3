// The pages of the Preferences dialog. The general, contact list, book tree
// and dialing pages work on copies and write them back in Store, which the
// dialog runs on OK; the alphabets and time zones pages change DataMan's
// tables while the user works.
#pragma once

#include "controls/dialogpage.h"
#include "platform/wintypes.h"

#include <functional>

class CListPreviewStatic;
class DataMan;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;
class QTreeWidget;
class TapiMan;
class UserMan;

// What the pages reach of the program.
struct PrefContext {
    UserMan& userMan;
    DataMan& dataMan;
    TapiMan& tapiMan;
    // The main window's "&Customize toolbar" and its status-bar clock.
    std::function<void()> customizeToolbar;
    std::function<void(int index)> setStatusTimeZone;
    // The program started at log-in; empty: this program's own path.
    QString programPath;
};

// Font and colour choices open the font dialog (sizes 0 to 20) or the
// colour dialog; tests replace these with their own answers.
struct PrefChooser {
    std::function<bool(QWidget* parent, LOGFONT& font, COLORREF& colour)> font;
    std::function<bool(QWidget* parent, COLORREF& colour)> colour;
};
PrefChooser& PrefChoosers();

class CPrefGeneralPage : public CDialogPage {
    Q_OBJECT
public:
    CPrefGeneralPage(PrefContext& context, QWidget* host = nullptr);
    void Store();
    void OnAlphabetFont();
    bool m_bAlphabetFontChanged = false;

private:
    void ShowPreview();

    PrefContext& m_context;
    std::vector<std::pair<QCheckBox*, u32>> m_flagBoxes;
    QRadioButton* m_clockWithDate = nullptr;
    QRadioButton* m_clockTimeOnly = nullptr;
    QCheckBox* m_sunken = nullptr;
    QCheckBox* m_autostart = nullptr;
    bool m_bAutostartWas = false;
    QLabel* m_preview = nullptr;
    LOGFONT m_font;
    COLORREF m_colour = 0;
};

class CPrefContListPage : public CDialogPage {
    Q_OBJECT
public:
    CPrefContListPage(PrefContext& context, QWidget* host = nullptr);
    void Store();
    void OnChooseFont(bool header);
    void OnChooseColour(bool background);

private:
    void ShowPreview();

    PrefContext& m_context;
    std::vector<std::pair<QCheckBox*, u32>> m_flagBoxes;
    QRadioButton* m_properties = nullptr;
    QRadioButton* m_action = nullptr;
    QComboBox* m_gridLines = nullptr;
    QComboBox* m_nameSort = nullptr;
    QComboBox* m_filter = nullptr;
    CListPreviewStatic* m_preview = nullptr;
    LOGFONT m_listFont;
    LOGFONT m_headerFont;
    COLORREF m_listText = 0;
    COLORREF m_headerText = 0;
    COLORREF m_gridColour = 0;
    COLORREF m_background = 0;
};

class CPrefBookTreePage : public CDialogPage {
    Q_OBJECT
public:
    CPrefBookTreePage(PrefContext& context, QWidget* host = nullptr);
    void Store();
    void OnChooseFont();
    void OnChooseBackground();
    bool m_bChanged = false;

private:
    void ShowPreview();

    PrefContext& m_context;
    QCheckBox* m_confirm = nullptr;
    QRadioButton* m_root = nullptr;
    QRadioButton* m_last = nullptr;
    QLabel* m_preview = nullptr;
    LOGFONT m_font;
    COLORREF m_text = 0;
    COLORREF m_back = 0;
};

class CPrefDialingPage : public CDialogPage {
    Q_OBJECT
public:
    static constexpr int kNoDevices = -10;

    CPrefDialingPage(PrefContext& context, QWidget* host = nullptr);
    void Store();
    void OnModemSettings();
    void OnDialingProperties();

private:
    void UpdateModemButton();
    void OnDevicePicked();
    void RefreshDeviceNames();

    PrefContext& m_context;
    QComboBox* m_devices = nullptr;
    QTimer* m_refresh = nullptr;
    QPushButton* m_modem = nullptr;
    QCheckBox* m_logging = nullptr;
    QCheckBox* m_redial = nullptr;
    QSpinBox* m_interval = nullptr;
};

class CPrefAlphabetsPage : public CDialogPage {
    Q_OBJECT
public:
    static constexpr int kMaxAlphabets = 5;

    CPrefAlphabetsPage(PrefContext& context, QWidget* host = nullptr);
    ~CPrefAlphabetsPage() override;
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnOK() override;
    bool m_bCurrentAlphabetChanged = false;

private:
    void Fill();
    void UpdateButtons();
    int SelectedRow() const;

    PrefContext& m_context;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_letters = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    bool m_bUpdateMode = false;
    int m_nEditRow = -1;
};
