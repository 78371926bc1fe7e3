#include "editing/prefutil.h"

#include "controls/fontcolordialog.h"
#include "core/fontutil.h"
#include "core/userman.h"
#include "editing/prefpages.h"
#include "platform/fontconv.h"
#include "platform/profile.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QColorDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <array>

namespace {

constexpr const char* kMiscSection = "UserMan\\Miscellaneous";

template <class Widget> Widget* Add(QBoxLayout* layout, int id, const char* text)
{
    auto* widget = new Widget(QString::fromUtf8(text));
    SetDlgCtrlID(widget, id);
    layout->addWidget(widget);
    return widget;
}

bool ChooseFont(QWidget* parent, LOGFONT& font, COLORREF& colour)
{
    CFontColorDialog dialog(&font, colour, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.GetLogFont();
    colour = dialog.GetColor();
    return true;
}

bool ChooseColour(QWidget* parent, COLORREF& colour)
{
    const QColor chosen = QColorDialog::getColor(ColorFromRef(colour), parent);
    if (!chosen.isValid())
        return false;
    colour = RefFromColor(chosen);
    return true;
}

}  // namespace

PrefChooser& PrefChoosers()
{
    static PrefChooser choosers{ChooseFont, ChooseColour};
    return choosers;
}

QCheckBox* AddCheck(QBoxLayout* layout, int id, const char* text)
{
    return Add<QCheckBox>(layout, id, text);
}

QRadioButton* AddRadio(QBoxLayout* layout, int id, const char* text)
{
    return Add<QRadioButton>(layout, id, text);
}

QPushButton* AddButton(QBoxLayout* layout, int id, const char* text)
{
    return Add<QPushButton>(layout, id, text);
}

QLabel* AddBoldLabel(QBoxLayout* layout, int id, const char* text)
{
    QLabel* label = Add<QLabel>(layout, id, text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

LOGFONT PageFont(const UserMan& userMan, int kind)
{
    const LOGFONT* font = userMan.GetFont(kind);
    return font ? *font : DesktopFont();
}

void ShowFontSample(QLabel* label, const LOGFONT& font, COLORREF text, COLORREF back, bool withBack)
{
    label->setText(QStringLiteral("  ") + QString::fromStdString(FormatFontName(font, ScreenLogicalDpi())));
    label->setFont(QFontFromLogFont(font));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ColorFromRef(text));
    if (withBack)
        palette.setColor(QPalette::Window, ColorFromRef(back));
    label->setAutoFillBackground(withBack);
    label->setPalette(palette);
    label->update();
}

void LoadColumnWidths(QTreeWidget* list, const char* entry, int first, int second)
{
    std::array<i32, 2> widths{first, second};
    const bool stored = Profile::GetStruct(kMiscSection, entry, widths);
    for (int column = 0; column < 2; ++column) {
        const int width = widths[size_t(column)];
        if (!stored && width < 0)
            list->resizeColumnToContents(column);
        else
            list->setColumnWidth(column, std::clamp(width, 0, 4000));
    }
}

void SaveColumnWidths(const QTreeWidget* list, const char* entry)
{
    const std::array<i32, 2> widths{list->columnWidth(0), list->columnWidth(1)};
    Profile::WriteStruct(kMiscSection, entry, widths);
}
