// The base of the pages that a page host shows inside its frame. A page
// does not end itself: OK and Cancel are reported to the host, and the
// page-switching keys are handed to it before the page's controls see them.
#pragma once

#include "controls/gradientcaption.h"

#include <QDialog>

class QKeyEvent;

// What a page reaches of its host (the parent widget).
class CPageKeyHost {
public:
    virtual ~CPageKeyHost() = default;
    // how: 1 for Ctrl+Tab, Ctrl+Page Up and Ctrl+Page Down, 2 for Shift+Tab.
    // True when the host dealt with the key.
    virtual bool OnPageKey(QKeyEvent* key, int how) = 0;
};

class CDialogPage : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCaptionId = 1349;
    static constexpr int kResultNone = -100;
    static constexpr int kCaptionPoints = 10;
    static constexpr int kPageKeyNext = 1;
    static constexpr int kPageKeyBack = 2;

    explicit CDialogPage(QWidget* host = nullptr);

    // The controls that take the focus when the page is entered forwards
    // (first) and backwards (last).
    void SetFocusRange(int firstId, int lastId);
    int FirstFocusId() const { return m_nFirstFocus; }
    int LastFocusId() const { return m_nLastFocus; }

    CGradientCaption* Caption() const { return m_caption; }
    QWidget* Body() const { return m_body; }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    virtual void OnOK();
    virtual void OnCancel();

    // Set by the host before it gives the page the focus: true when the user
    // arrived with Shift+Tab.
    bool m_bFocusLast = false;
    // kResultNone, IDOK or IDCANCEL.
    int m_nResult = kResultNone;

protected:
    virtual bool OnInitDialog();
    // True when the key went to the host.
    virtual bool PreTranslateMessage(QKeyEvent* key);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nFirstFocus = -1;
    int m_nLastFocus = -1;
    bool m_initialised = false;
    CGradientCaption* m_caption;
    QWidget* m_body;
};
