// Copy and paste of contacts: the text other programs receive, the
// program's own format, and pasted vCard files.
#include "framefixture.h"
#include "mainwnd/commands.h"
#include "mainwnd/contactpayload.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace {

const char* const kCard = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Eve;Ada\r\nFN:Ada Eve\r\nEND:VCARD\r\n";

class ClipboardTest : public FrameTest {
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        FrameTest::TearDown();
    }
    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void PutFilesOnClipboard(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        QGuiApplication::clipboard()->setMimeData(data);
    }
    int CountIn(const Book* book)
    {
        int count = 0;
        size_t position = 0;
        while (book->GetNextContact(*m_dataMan, position))
            ++count;
        return count;
    }
};

}  // namespace

TEST_F(ClipboardTest, TextHasTheShownCellsOfEachSelectedRowInGridOrder)
{
    m_dataMan->GetContactAt(1)->m_strName = "  Bruno Cole  ";
    Contact* blank = AddContact("x y");
    blank->m_strName.clear();
    blank->m_strLastName.clear();
    Frame();
    Grid().SelectAllRows();
    const QByteArray text = Container().BuildClipboardText();
    const QList<QByteArray> lines = text.split('\n');
    const std::vector<Contact*> shown = Grid().ShownContacts();
    ASSERT_EQ(lines.size(), qsizetype(shown.size() + 1));
    // In grid order, trimmed cells each closed by a tab; an empty cell adds
    // nothing, so a row of empty cells is just the line end.
    for (size_t i = 0; i < shown.size(); ++i) {
        const QByteArray line = lines[qsizetype(i)];
        if (shown[i] == blank) {
            EXPECT_EQ(line, "\r");
            continue;
        }
        const QByteArray name = QByteArray::fromStdString(shown[i]->m_strName).trimmed();
        EXPECT_TRUE(line.startsWith(name + '\t')) << line.constData();
        EXPECT_TRUE(line.endsWith("\t\r")) << line.constData();
        EXPECT_FALSE(line.contains("\t\t")) << line.constData();
    }
    EXPECT_TRUE(text.endsWith("\r\n"));

    Trigger(ID_EDIT_COPY);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), text);
    // Text alone cannot be pasted; nothing selected, nothing to copy.
    QGuiApplication::clipboard()->setText(QStringLiteral("Anna Berg\t\r\n"));
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    SelectNone();
    EXPECT_FALSE(Enabled(ID_EDIT_COPY));
    EXPECT_EQ(Container().BuildDataSource(), nullptr);
}

TEST_F(ClipboardTest, PastedVCardFilesAreEachImportedReportedAndSaved)
{
    const QString good = WriteFile(QStringLiteral("ada.VCF"), kCard);
    const QString missing = m_dir->filePath(QStringLiteral("gone.vcf"));
    const QString later = WriteFile(QStringLiteral("later.vcf"), QByteArray(kCard).replace("Ada", "Bea"));
    // Named like a card but not one: ".vcf" must end the name.
    const QString other = WriteFile(QStringLiteral("notes.vcf.txt"), kCard);
    Frame();
    PutFilesOnClipboard({other});
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    PutFilesOnClipboard({good, missing, later, other});
    ASSERT_TRUE(Enabled(ID_EDIT_PASTE));
    m_messages.shown.clear();
    Trigger(ID_EDIT_PASTE);
    // The file that cannot be read neither stops nor hides the others:
    // each good one reports its count.
    ASSERT_GE(m_messages.shown.size(), 3u);
    const auto icon = [](const RecordingMessageSink::Shown& m) { return m.type & MB_ICONMASK; };
    EXPECT_EQ(icon(m_messages.shown.front()), MB_ICONEXCLAMATION);
    EXPECT_EQ(icon(m_messages.shown.back()), MB_ICONEXCLAMATION);
    EXPECT_EQ(icon(m_messages.shown[1]), MB_ICONSTOP);
    EXPECT_NE(m_messages.shown[1].text.find("gone.vcf"), std::string::npos);
    EXPECT_EQ(Grid().RowCount(), 5);
    const std::vector<std::string> stored = StoredNames("Contacts");
    EXPECT_EQ(stored.size(), 5u);
    EXPECT_NE(std::find(stored.begin(), stored.end(), "Bea Eve"), stored.end());
}

TEST_F(ClipboardTest, OwnFormatPastesCopiesIntoTheCurrentBookAndSavesThem)
{
    auto work = std::make_unique<Book>();
    work->m_strName = "Work";
    Book* book = m_dataMan->AddBook(std::move(work), m_dataMan->GetRootBook());
    m_dataMan->GetContactAt(0)->m_strNotes = "tab\there";
    Frame();
    Select({0, 2});
    const std::vector<Contact*> copied = Grid().SelectedContacts();
    Trigger(ID_EDIT_COPY);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasFormat(ContactFormatMime()));
    EXPECT_TRUE(data->hasText());

    m_dataMan->SetCurrentBook(book);
    Container().RefreshForBook();
    Trigger(ID_EDIT_PASTE);
    const std::vector<Contact*> pasted = Grid().ShownContacts();
    ASSERT_EQ(pasted.size(), 2u);
    for (size_t i = 0; i < pasted.size(); ++i) {
        EXPECT_NE(pasted[i], copied[i]);
        EXPECT_NE(pasted[i]->m_duID, copied[i]->m_duID);
        EXPECT_EQ(pasted[i]->m_strName, copied[i]->m_strName);
        EXPECT_EQ(pasted[i]->m_strNotes, copied[i]->m_strNotes);
    }
    EXPECT_EQ(m_dataMan->GetContactCount(), 5);
    EXPECT_EQ(StoredNames("Work"), (std::vector<std::string>{"Anna Berg", "Carla Dean"}));
}

TEST_F(ClipboardTest, ADamagedPayloadAddsNothingAndSaysSo)
{
    Frame();
    Select({0, 1});
    QByteArray payload = Container().BuildClipboardContacts();
    ASSERT_FALSE(payload.isEmpty());
    for (const QByteArray& bad :
        {payload.left(payload.size() - 3), payload + "x", QByteArray("\xff\xff\xff\x7f")}) {
        auto* data = new QMimeData;
        data->setData(ContactFormatMime(), bad);
        QGuiApplication::clipboard()->setMimeData(data);
        m_messages.shown.clear();
        Trigger(ID_EDIT_PASTE);
        EXPECT_EQ(m_messages.shown.size(), 1u);
        EXPECT_EQ(m_dataMan->GetContactCount(), 3);
        EXPECT_EQ(Grid().RowCount(), 3);
    }
}
