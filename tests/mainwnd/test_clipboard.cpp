// Copy and paste of contacts: the text other programs receive, the
// program's own format, and pasted vCard files.
#include "framefixture.h"
#include "mainwnd/contactpayload.h"

#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace {

class ClipboardTest : public FrameTest {
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        FrameTest::TearDown();
    }
    void Put(const QString& format, const QByteArray& bytes)
    {
        auto* data = new QMimeData;
        data->setData(format, bytes);
        QGuiApplication::clipboard()->setMimeData(data);
    }
};

const char* const kCard = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Eve;Ada\r\nFN:Ada Eve\r\nEND:VCARD\r\n";

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
    // Trimmed cells each closed by a tab; an empty cell adds nothing, so a
    // row of empty cells is just the line end.
    for (size_t i = 0; i < shown.size(); ++i) {
        const QByteArray line = lines[qsizetype(i)];
        const QByteArray name = QByteArray::fromStdString(shown[i]->m_strName).trimmed();
        EXPECT_TRUE(shown[i] == blank ? line == "\r" : line.startsWith(name + '\t') && line.endsWith("\t\r"))
            << line.constData();
        EXPECT_FALSE(line.contains("\t\t"));
    }
    Trigger(ID_EDIT_COPY);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), text);
    // Text alone cannot be pasted; with nothing selected there is no copy.
    QGuiApplication::clipboard()->setText(QStringLiteral("Anna Berg\t\r\n"));
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    SelectNone();
    EXPECT_FALSE(Enabled(ID_EDIT_COPY));
    EXPECT_EQ(Container().BuildDataSource(), nullptr);
}

TEST_F(ClipboardTest, OwnFormatPastesCopiesIntoTheCurrentBookAndSavesThem)
{
    auto work = std::make_unique<Book>();
    work->m_strName = "Work";
    Book* book = m_dataMan->AddBook(std::move(work), m_dataMan->GetRootBook());
    Frame();
    Select({0, 2});
    const std::vector<Contact*> copied = Grid().SelectedContacts();
    Trigger(ID_EDIT_COPY);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasText());
    m_dataMan->SetCurrentBook(book);
    Container().RefreshForBook();
    Trigger(ID_EDIT_PASTE);
    const std::vector<Contact*> pasted = Grid().ShownContacts();
    ASSERT_EQ(pasted.size(), 2u);
    for (size_t i = 0; i < pasted.size(); ++i) {
        EXPECT_NE(pasted[i]->m_duID, copied[i]->m_duID);
        EXPECT_EQ(pasted[i]->m_strName, copied[i]->m_strName);
    }
    EXPECT_EQ(StoredNames("Work"), (std::vector<std::string>{"Anna Berg", "Carla Dean"}));
}

TEST_F(ClipboardTest, ADamagedPayloadAddsNothingAndSaysSo)
{
    Frame();
    Select({0, 1});
    const QByteArray payload = Container().BuildClipboardContacts();
    for (const QByteArray& bad : {payload.chopped(3), payload + "x", QByteArray("\xff\xff\xff\x7f")}) {
        Put(ContactFormatMime(), bad);
        m_messages.shown.clear();
        Trigger(ID_EDIT_PASTE);
        ASSERT_EQ(m_messages.shown.size(), 1u);
        EXPECT_EQ(m_messages.shown[0].text, "The clipboard holds no contacts Tolva can read.");
        EXPECT_EQ(m_dataMan->GetContactCount(), 3);
    }
}

TEST_F(ClipboardTest, PastedVCardFilesAreEachImportedReportedAndSaved)
{
    QList<QUrl> urls;
    // A file that cannot be read sits between two good ones; a name must
    // end in ".vcf" to be taken.
    for (const char* name : {"ada.VCF", "gone.vcf", "bea.vcf", "notes.vcf.txt"}) {
        const QString path = m_dir->filePath(QString::fromLatin1(name));
        if (QByteArray(name) != "gone.vcf") {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(kCard).replace("Ada", name[0] == 'b' ? "Bea" : "Ada"));
        }
        urls << QUrl::fromLocalFile(path);
    }
    Frame();
    auto* data = new QMimeData;
    data->setUrls({urls.back()});
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    data = new QMimeData;
    data->setUrls(urls);
    QGuiApplication::clipboard()->setMimeData(data);
    m_messages.shown.clear();
    Trigger(ID_EDIT_PASTE);
    // The bad file neither stops nor hides the others: each reports.
    ASSERT_GE(m_messages.shown.size(), 3u);
    const auto icon = [](const RecordingMessageSink::Shown& m) { return m.type & MB_ICONMASK; };
    EXPECT_EQ(icon(m_messages.shown.front()), MB_ICONINFORMATION);
    EXPECT_EQ(icon(m_messages.shown[1]), MB_ICONSTOP);
    EXPECT_NE(m_messages.shown[1].text.find("gone.vcf"), std::string::npos);
    EXPECT_EQ(icon(m_messages.shown.back()), MB_ICONINFORMATION);
    EXPECT_EQ(Grid().RowCount(), 5);
    const std::vector<std::string> stored = StoredNames("Contacts");
    EXPECT_EQ(stored.size(), 5u);
    EXPECT_NE(std::find(stored.begin(), stored.end(), "Bea Eve"), stored.end());
}
