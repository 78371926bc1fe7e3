#include "controls/ownerdrawcombo.h"

#include "platform/ui/syscolor.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kTextInset = 2;

class COwnerDrawComboDelegate : public QAbstractItemDelegate {
public:
    using QAbstractItemDelegate::QAbstractItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QFontMetrics fm(option.font);
        const QString text = index.data(Qt::DisplayRole).toString();
        return {fm.horizontalAdvance(text) + 2 * kTextInset, fm.height() + fm.leading()};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(option.rect, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW, pal));
        p->setFont(option.font);
        p->setPen(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT, pal));
        const QRect textRect = option.rect.adjusted(kTextInset, 0, 0, 0);
        const QString text = index.data(Qt::DisplayRole).toString();
        p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine | Qt::TextExpandTabs,
            option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        if (selected) {
            p->setPen(QPen(GetSysColor(COLOR_HIGHLIGHTTEXT, pal), 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }
};

}  // namespace

COwnerDrawCombo::COwnerDrawCombo(QWidget* parent)
    : QComboBox(parent)
{
    setItemDelegate(new COwnerDrawComboDelegate(this));
}
