// The contact information pane: the focused contact's chosen fields as a
// small page beside the list, under a caption strip with a close button.
#pragma once

#include "platform/wintypes.h"

#include <QTextBrowser>
#include <QWidget>
#include <functional>

class Contact;
class QToolButton;
class QUrl;
class UserMan;

class CContactInfoPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1019;
    static constexpr int kToolBarId = 1601;
    static constexpr int kBrowserId = 1000;
    static constexpr u32 kCloseCommand = 32969;

    CContactInfoPane(const UserMan& userMan, QWidget* parent = nullptr);

    // Shows the contact, or an empty page for none.
    void FillHtml(const Contact* contact);
    const Contact* Shown() const { return m_pContact; }
    QTextBrowser* Browser() const { return m_browser; }
    QToolButton* CloseButton() const { return m_closeButton; }

    // The close button's command, for the container.
    std::function<void(u32 command)> onCommand;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnLink(const QUrl& url);
    int CaptionHeight() const;

    const UserMan& m_userMan;
    QToolButton* m_closeButton = nullptr;
    QTextBrowser* m_browser = nullptr;
    std::string m_template;
    const Contact* m_pContact = nullptr;
};
