#include "editing/contactgeneralpage.h"

#include "core/dataman.h"
#include "core/utilities.h"
#include "editing/contactpropsdlg.h"
#include "editing/contactservices.h"
#include "editing/imageviewwnd.h"
#include "platform/ui/window.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr u32 kNoBookMessage = 59528;
constexpr u32 kLastBookMessage = 59144;

QLineEdit* NewEdit(QWidget* parent, int id)
{
    auto* edit = new QLineEdit(parent);
    SetDlgCtrlID(edit, id);
    return edit;
}

QPushButton* NewButton(const QString& text, QWidget* parent, int id)
{
    auto* button = new QPushButton(text, parent);
    SetDlgCtrlID(button, id);
    return button;
}

// The part followed by the separator, or nothing for an empty part.
QString Part(const QString& part, const char* separator)
{
    return part.isEmpty() ? QString() : part + QLatin1String(separator);
}

}  // namespace

CContactGeneralPage::CContactGeneralPage(CDialogContactProps* host)
    : CContactPage(host, 1349, QT_TR_NOOP("Enter general information about this contact here"),
        {{1067, 1116}, {1068, 1117}, {1069, 1118}, {1285, 1119}, {1070, 1120}, {1071, 1121}, {1066, 1122},
            {1010, 1123}, {1337, 1124}, {1290, 1125}, {1306, 1126}, {1523, 1127}, {0, 0}})
{
    QWidget* body = Body();
    m_first = NewEdit(body, 1067);
    m_middle = NewEdit(body, 1068);
    m_last = NewEdit(body, 1069);
    m_title = NewEdit(body, 1070);
    m_suffix = NewEdit(body, 1071);
    m_nickname = NewEdit(body, 1285);
    m_display = new QComboBox(body);
    m_display->setEditable(true);
    m_display->setInsertPolicy(QComboBox::NoInsert);
    SetDlgCtrlID(m_display, 1066);
    m_gender = new QComboBox(body);
    SetDlgCtrlID(m_gender, 1290);
    m_gender->addItems({tr("Unspecified"), tr("Male"), tr("Female")});
    m_picture = new CImageViewWnd(body);
    SetDlgCtrlID(m_picture, 1072);
    m_selectImage = NewButton(tr("Select &image"), body, 1337);
    m_clearImage = NewButton(tr("&Clear"), body, 1590);
    m_bookList = new QListWidget(body);
    SetDlgCtrlID(m_bookList, 1010);
    m_bookList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_addBooks = NewButton(tr("&Add books"), body, 1306);
    m_removeBooks = NewButton(tr("&Remove books"), body, 1523);

    QGridLayout* grid = Grid();
    AddLabel(tr("&First:"), m_first, 0, 0);
    grid->addWidget(m_first, 0, 1);
    AddLabel(tr("&Middle:"), m_middle, 0, 2);
    grid->addWidget(m_middle, 0, 3);
    AddLabel(tr("&Last:"), m_last, 1, 0);
    grid->addWidget(m_last, 1, 1);
    AddLabel(tr("&Title:"), m_title, 1, 2);
    grid->addWidget(m_title, 1, 3);
    AddLabel(tr("&Suffix:"), m_suffix, 2, 0);
    grid->addWidget(m_suffix, 2, 1);
    AddLabel(tr("&Nickname:"), m_nickname, 2, 2);
    grid->addWidget(m_nickname, 2, 3);
    AddLabel(tr("&Display name as:"), m_display, 3, 0);
    grid->addWidget(m_display, 3, 1, 1, 3);
    AddLabel(tr("&Gender:"), m_gender, 4, 0);
    grid->addWidget(m_gender, 4, 1);
    AddLabel(tr("&Books:"), m_bookList, 5, 0, Qt::AlignTop);
    grid->addWidget(m_bookList, 5, 1, 2, 1);
    auto* bookButtons = new QHBoxLayout;
    bookButtons->addWidget(m_addBooks);
    bookButtons->addWidget(m_removeBooks);
    bookButtons->addStretch(1);
    grid->addLayout(bookButtons, 7, 1);
    grid->addWidget(m_picture, 4, 3, 3, 1);
    auto* pictureButtons = new QHBoxLayout;
    pictureButtons->addWidget(m_selectImage);
    pictureButtons->addWidget(m_clearImage);
    pictureButtons->addStretch(1);
    grid->addLayout(pictureButtons, 7, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(6, 1);

    // Tab goes row by row: names, display name, gender, the book list, and
    // the last row's book and picture buttons.
    QWidget* order[] = {m_first, m_middle, m_last, m_title, m_suffix, m_nickname, m_display, m_gender,
        m_bookList, m_addBooks, m_removeBooks, m_selectImage, m_clearImage};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QLineEdit* edit : {m_first, m_middle, m_last})
        connect(edit, &QLineEdit::textEdited, this, [this] { FillDisplayNames(false); });
    for (QLineEdit* edit : {m_title, m_suffix})
        connect(edit, &QLineEdit::textEdited, this, [this] { FillDisplayNames(true); });
    connect(m_display, &QComboBox::activated, this, [this](int index) {
        m_displayName = m_display->itemText(index).trimmed();
        Host()->UpdateTitle(m_displayName);
    });
    connect(m_display->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        m_displayName = text.trimmed();
        if (!m_displayName.isEmpty())
            Host()->UpdateTitle(m_displayName);
    });
    m_display->lineEdit()->installEventFilter(this);
    connect(m_bookList, &QListWidget::itemSelectionChanged, this, &CContactGeneralPage::UpdateControls);
    connect(m_addBooks, &QPushButton::clicked, this, &CContactGeneralPage::OnAddBooks);
    connect(m_removeBooks, &QPushButton::clicked, this, &CContactGeneralPage::OnRemoveBooks);
    connect(m_selectImage, &QPushButton::clicked, this, &CContactGeneralPage::OnSelectImage);
    connect(m_clearImage, &QPushButton::clicked, this, &CContactGeneralPage::OnClearImage);
}

void CContactGeneralPage::LoadFrom(Contact& contact)
{
    m_first->setText(QString::fromStdString(contact.m_strFirstName));
    m_middle->setText(QString::fromStdString(contact.m_strMiddleName));
    m_last->setText(QString::fromStdString(contact.m_strLastName));
    m_nickname->setText(QString::fromStdString(contact.m_strNickName));
    m_title->setText(QString::fromStdString(contact.m_strTitle));
    m_suffix->setText(QString::fromStdString(contact.m_strSuffix));
    m_dwGender = contact.m_dwGender;
    m_gender->setCurrentIndex(m_dwGender <= GENDER_FEMALE ? int(m_dwGender) : -1);

    DataMan& dm = Host()->GetDataMan();
    std::vector<Book*> books;
    if (Host()->GetMode() == CDialogContactProps::MODE_EDIT) {
        for (u32 id : contact.m_books)
            if (Book* book = dm.FindBook(id))
                books.push_back(book);
    } else if (Book* current = dm.GetCurrentBook()) {
        books.push_back(current);
    }
    ListBooks(books);

    m_picturePath = contact.m_picture.m_strText;
    m_nPictureType = contact.m_nPictureType;
    m_picture->SetFile(m_picturePath, m_nPictureType);

    m_storedName = QString::fromStdString(contact.m_strName);
    m_displayName = m_storedName.trimmed();
    FillDisplayNames(false);
    m_selectImage->setEnabled(bool(ContactServices().choosePicture));
    m_addBooks->setEnabled(bool(ContactServices().chooseBooks));
}

QStringList CContactGeneralPage::DisplayNameCandidates() const
{
    const QString title = m_title->text().trimmed();
    const QString first = m_first->text().trimmed();
    const QString middle = m_middle->text().trimmed();
    const QString last = m_last->text().trimmed();
    const QString suffix = m_suffix->text().trimmed();
    if (first.isEmpty() && middle.isEmpty() && last.isEmpty())
        return {};
    const QString candidates[] = {
        (Part(title, " ") + Part(first, " ") + Part(middle, " ") + Part(last, " ") + suffix).trimmed(),
        (Part(first, " ") + Part(middle, " ") + last).trimmed(),
        (Part(last, " ") + Part(first, " ") + middle).trimmed(),
        (Part(last, ", ") + Part(first, " ") + middle).trimmed(),
    };
    QStringList list;
    for (const QString& c : candidates)
        if (!c.isEmpty() && !list.contains(c))
            list.push_back(c);
    return list;
}

void CContactGeneralPage::FillDisplayNames(bool titleOrSuffix)
{
    const int remembered = std::max(m_display->currentIndex(), 0);
    QStringList items;
    if (!m_storedName.trimmed().isEmpty())
        items.push_back(m_storedName.trimmed());
    for (const QString& c : DisplayNameCandidates())
        if (!items.contains(c))
            items.push_back(c);
    if (items.isEmpty())
        items.push_back(QString());
    const QSignalBlocker blocker(m_display);
    m_display->clear();
    m_display->addItems(items);
    const int index = titleOrSuffix || remembered >= items.size() ? 0 : remembered;
    m_display->setCurrentIndex(index);
    m_displayName = m_display->itemText(index);
    Host()->UpdateTitle(m_displayName);
}

bool CContactGeneralPage::eventFilter(QObject* watched, QEvent* event)
{
    // A name typed in keeps its place in the list when the edit is left.
    if (m_display && watched == m_display->lineEdit() && event->type() == QEvent::FocusOut) {
        const QString typed = m_display->currentText().trimmed();
        if (!typed.isEmpty() && m_display->findText(typed, Qt::MatchExactly) < 0) {
            const QSignalBlocker blocker(m_display);
            m_display->addItem(typed);
            m_display->setCurrentIndex(m_display->count() - 1);
        }
    }
    return CContactPage::eventFilter(watched, event);
}

QString CContactGeneralPage::DisplayName() const
{
    return m_display->currentText().trimmed();
}

void CContactGeneralPage::Store()
{
    CContactPage::Store();
    m_displayName = DisplayName();
    const int gender = m_gender->currentIndex();
    if (gender >= 0)
        m_dwGender = u32(gender);
}

void CContactGeneralPage::StoreInto(Contact& contact) const
{
    contact.m_strName = m_displayName.toStdString();
    contact.m_strTitle = m_title->text().toStdString();
    contact.m_strFirstName = m_first->text().toStdString();
    contact.m_strMiddleName = m_middle->text().toStdString();
    contact.m_strLastName = m_last->text().toStdString();
    contact.m_strNickName = m_nickname->text().toStdString();
    contact.m_strSuffix = m_suffix->text().toStdString();
    contact.m_dwGender = m_dwGender;
    contact.m_picture.m_strText = m_picturePath;
    contact.m_nPictureType = m_picturePath.empty() ? -1 : m_nPictureType;
}

void CContactGeneralPage::ListBooks(const std::vector<Book*>& books)
{
    m_books = books;
    m_bookList->clear();
    for (const Book* book : m_books)
        m_bookList->addItem(QString::fromStdString(book->m_strName));
    UpdateControls();
}

void CContactGeneralPage::UpdateControls()
{
    m_removeBooks->setEnabled(!m_bookList->selectedItems().isEmpty() && m_bookList->count() > 1);
}

void CContactGeneralPage::OnAddBooks()
{
    const auto& choose = ContactServices().chooseBooks;
    if (!choose)
        return;
    std::vector<Book*> books = m_books;
    if (choose(this, books) && !books.empty())
        ListBooks(books);
}

void CContactGeneralPage::OnRemoveBooks()
{
    const int count = m_bookList->count();
    if (count < 2) {
        MsgStop(kNoBookMessage, this);
        return;
    }
    if (m_bookList->selectedItems().size() == count) {
        MsgStop(kLastBookMessage, this);
        return;
    }
    for (int row = count - 1; row >= 0; --row) {
        if (m_bookList->item(row)->isSelected()) {
            delete m_bookList->takeItem(row);
            m_books.erase(m_books.begin() + row);
        }
    }
    UpdateControls();
}

void CContactGeneralPage::OnSelectImage()
{
    const auto& choose = ContactServices().choosePicture;
    if (!choose)
        return;
    std::string path = m_picturePath;
    int type = m_nPictureType;
    if (!choose(this, path, type))
        return;
    m_picture->SetFile(path, type);
    m_picturePath = path;
    m_nPictureType = m_picture->GetImage() ? type : -1;
}

void CContactGeneralPage::OnClearImage()
{
    m_picturePath.clear();
    m_nPictureType = -1;
    m_picture->SetFile({}, -1);
}
