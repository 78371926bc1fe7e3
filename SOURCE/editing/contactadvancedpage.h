// The Advanced page: the font and colours of the contact's row in the
// contact list, each either the list's default or the contact's own.
#pragma once

#include "editing/contactpage.h"
#include "platform/wintypes.h"

class QLabel;
class QPushButton;

class CContactAdvancedPage : public CContactPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 115;

    explicit CContactAdvancedPage(CDialogContactProps* host);

    // Font, colours and the default bits into the contact, when the user
    // changed them.
    void StoreInto(Contact& contact) const;

    void OnFont();
    void OnBackground();
    void OnDefault();

    const LOGFONT& Font() const { return m_font; }
    COLORREF TextColor() const { return m_crText; }
    COLORREF BackColor() const { return m_crBack; }
    u32 StyleFlags() const { return m_dwFlags; }
    QLabel* Preview() const { return m_preview; }

protected:
    void LoadFrom(Contact& contact) override;

private:
    void ShowPreview();
    LOGFONT ListFont() const;

    QLabel* m_preview;
    QPushButton* m_fontButton;
    QPushButton* m_backButton;
    QPushButton* m_defaultButton;
    LOGFONT m_font;
    COLORREF m_crText = 0;
    COLORREF m_crBack = 0;
    u32 m_dwFlags = 0;
    bool m_bChanged = false;
};
