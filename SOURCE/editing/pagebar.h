// The vertical bar of page buttons beside a page host's frame: one check
// button per page, an image above its label, the checked and the hot
// button framed. Only one button is checked at a time.
#pragma once

#include "platform/ui/imagelist.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <vector>

class CPageBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kId = 1002;

    explicit CPageBar(QWidget* parent = nullptr);

    // Image i of each strip belongs to button i; the strips may be null.
    // Magenta is the strips' mask colour.
    void SetImages(const QImage& normal, const QImage& hot, QSize imageSize);
    // The image drawn on a button, its hot form under the mouse; null
    // without one.
    QImage ImageOf(int index, bool hot) const;
    void AddButton(int command, const QString& label);
    // Qt's AlignLeft or AlignHCenter for the labels.
    void SetLabelAlignment(Qt::Alignment alignment) { m_labelAlign = alignment; }

    int ButtonCount() const { return int(m_buttons.size()); }
    int CommandAt(int index) const { return m_buttons[size_t(index)].command; }
    int IndexOf(int command) const;
    // Checks the button of the command (nothing when it has none).
    void CheckButton(int command);
    int CheckedCommand() const;
    // The button under the mouse or chosen with the arrow keys; -1 for none.
    int HotItem() const { return m_hot; }
    void SetHotItem(int index);
    QRect ButtonRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A button was clicked.
    void commandTriggered(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Button {
        int command;
        QString label;
    };
    int ButtonHeight() const;
    int ButtonAt(QPoint pos) const;
    // Whether the focus coming or going that way leaves the hot button as it is.
    static bool KeepsPlace(Qt::FocusReason reason);

    std::vector<Button> m_buttons;
    int m_checked = -1;
    int m_hot = -1;
    ImageList m_normal;
    ImageList m_hotImages;
    QSize m_imageSize;
    Qt::Alignment m_labelAlign = Qt::AlignHCenter;
};
