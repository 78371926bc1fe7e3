// The band across the top of the contacts container: the current book's
// name and the alphabet filter's letter; in find mode the quick-find bar.
#pragma once

#include "platform/wintypes.h"

#include <QWidget>

class CFlatButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

class CBookBanner : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1003;
    static constexpr int kHeight = 25;
    static constexpr int kFindHeight = 59;
    // m_nBannerFlags.
    static constexpr u32 BF_UNDOCKED = 0x1;  // the book button is shown
    static constexpr u32 BF_FIND_MODE = 0x2;
    static constexpr u32 BF_BUTTON_DOWN = 0x4;  // held while the pop-up is open
    static constexpr u32 BF_DOCKED = 0x8;  // the name is painted

    explicit CBookBanner(QWidget* parent = nullptr);

    void SetBookName(const QString& name);
    QString BookName() const { return m_name; }
    void SetLetterText(const QString& text);
    // Docked: the book pane shows the books and the name is painted; else a
    // button opens the pane.
    void SetDocked(bool docked);
    void SetUndocked() { SetDocked(false); }
    void EnterFindMode();
    void LeaveFindMode();
    bool InFindMode() const { return m_nBannerFlags & BF_FIND_MODE; }
    bool AllBooks() const { return m_bAllBooks; }
    u32 BannerFlags() const { return m_nBannerFlags; }
    // The book button shows held down while the pane's pop-up is open.
    void HoldBookButton();
    void ReleaseBookButton();
    QLineEdit* FindEdit() const { return m_edit; }

    QToolButton* BookButton() const { return m_bookButton; }
    // The find controls in Tab order.
    QList<QWidget*> FindControls() const;

signals:
    void bookButtonClicked();
    void findRequested(const QString& text, bool allBooks);
    void selectFieldsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutControls();

    QString m_name;
    QString m_letter;
    u32 m_nBannerFlags = BF_UNDOCKED;
    bool m_bAllBooks = false;
    QToolButton* m_bookButton;
    QLabel* m_lookFor;
    QLineEdit* m_edit;
    QRadioButton* m_thisBook;
    QRadioButton* m_allBooks;
    CFlatButton* m_selectFields;
    CFlatButton* m_findNow;
};
