// The About box: the program's picture, name and version, and a link to
// its web page.
#pragma once

#include <QDialog>

class CFlatButton;
class CLinkStatic;
class QLabel;

class CDialogAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 100;
    static constexpr int kLinkId = 1031;
    static constexpr int kVersionId = 1032;

    explicit CDialogAbout(QWidget* parent = nullptr);

    QLabel* VersionLabel() const { return m_version; }
    CLinkStatic* Link() const { return m_link; }

protected:
    // The fonts, title, icon and colours; once, before the box first shows.
    virtual bool OnInitDialog();
    void showEvent(QShowEvent* event) override;

private:
    CLinkStatic* m_link;
    CFlatButton* m_ok;
    QLabel* m_version;
    bool m_initialised = false;
};
