#include "app/datadumpdlg.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "platform/ui/window.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

namespace {

constexpr int kWidthUnits = 328;
constexpr int kHeightUnits = 204;

std::string DateTimeText(const DateValue& date)
{
    return FormatDate(date, DATE_LONGDATE) + " " + FormatTime(date, 0);
}

}  // namespace

std::string DumpBookText(const DataMan& dataMan, const DataItem& item)
{
    if (!item.IsBook())
        return {};
    const Book& book = static_cast<const Book&>(item);
    std::string text;
    text += FormatText("m_dwFlags = \t\t %llx\r\n", (long long)book.m_dwFlags);
    text += FormatText("m_dwBookFlags = \t\t %llx\r\n", (long long)book.m_dwWord);
    text += FormatText("m_dwReserved = \t\t %llx\r\n", (long long)book.m_dwReserved);
    text += "Date and time created = \t" + DateTimeText(book.m_dtCreated) + "\r\n";
    text += "Date and time modif = \t" + DateTimeText(book.m_dtModified) + "\r\n";
    text += FormatText("m_duParentID = \t\t %lld\r\n", (long long)i32(book.m_duParentID));
    text += FormatText("m_duID = \t\t %lld\r\n", (long long)i32(book.m_duID));
    std::size_t position = 0;
    int index = 0;
    while (const Book* child = book.GetNextBook(dataMan, position)) {
        char line[128];
        std::snprintf(line, sizeof line, "Child %d = \t\t\t %d\r\n", index++, int(child->m_duID));
        text += line;
    }
    text += "Name:\t" + book.m_strName + "\r\n";
    text += "Descript:\t" + book.m_strDescription + "\r\n";
    text += "Total books:\t" + std::to_string(dataMan.GetBookCount()) + "\r\n";
    text += "Total contacts:\t" + std::to_string(dataMan.GetContactCount()) + "\r\n";
    return text;
}

CDialogDataDump::CDialogDataDump(DataMan& dataMan, QWidget* owner)
    : QDialog(owner)
    , m_dataMan(dataMan)
    , m_text(new QPlainTextEdit)
{
    setWindowTitle(QStringLiteral("Dialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    SetDlgCtrlID(m_text, kTextId);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(buttons);
    resize(DialogUnitsToPixelsX(this, kWidthUnits), DialogUnitsToPixelsY(this, kHeightUnits));
}

bool CDialogDataDump::Create()
{
    show();
    return true;
}

void CDialogDataDump::DumpRecord(const DataItem* item)
{
    const std::string text = item ? DumpBookText(m_dataMan, *item) : std::string();
    m_text->setPlainText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}
