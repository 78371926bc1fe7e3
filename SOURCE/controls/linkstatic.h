// A clickable link text: blue and underlined, with a hand cursor. Only web
// and mail addresses are opened.
#pragma once

#include <QLabel>
#include <string>

class CLinkStatic : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // A null target links to the control's own text.
    void SetLink(const char* target = nullptr);
    const std::string& Target() const { return m_target; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string m_target;
    bool m_linked = false;
};
