// The contact information pane: the chosen contact's name, phones and
// addresses as a small page beside the list.
#pragma once

#include <QTextBrowser>

class Contact;

class CContactInfoPane : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr int kControlId = 1019;

    explicit CContactInfoPane(QWidget* parent = nullptr);
    void ShowContact(const Contact* contact);
    void Clear();
    const Contact* Shown() const { return m_pContact; }

private:
    const Contact* m_pContact = nullptr;
};
