#include "app/bugreportdlg.h"
#include "app/datadumpdlg.h"
#include "controls/flatbutton.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/errorreport.h"
#include "platform/programfolder.h"
#include "support/mailstandin.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace {

class BugReportTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_standIn = std::make_unique<MailProgramStandIn>(m_dir->path());
    }
    void TearDown() override
    {
        m_standIn.reset();
        TolvaTest::TearDown();
    }
    std::unique_ptr<MailProgramStandIn> m_standIn;
};

std::vector<std::string> Texts(const RecordingMessageSink& sink)
{
    std::vector<std::string> texts;
    for (const auto& shown : sink.shown)
        texts.push_back(shown.text);
    return texts;
}

// What the user is told to do by hand: the real folder of the log, the
// mail program that failed.
std::string Fallback()
{
    return "The report was not sent: the mail program (xdg-email) could not send it.\r\n\r\nPlease send a "
           "message with the file 'tolva_error.log' to the support@tolva.invalid.\r\nThis file is located "
           "in the folder "
        + QDir::toNativeSeparators(ProgramFolder::Path()).toStdString()
        + ".\r\n\r\nOr make a copy of the text from the error message box and send it to the "
          "support@tolva.invalid.\r\n";
}

}  // namespace

TEST_F(BugReportTest, SendingMailsTheLogOnlyWhenAsked)
{
    Put(kErrorLogName, QByteArray(kErrorLogLimit, 'x'));
    CDialogBugReport dialog;
    dialog.SetReportText("Exception ACCESS_VIOLATION");
    dialog.show();
    EXPECT_TRUE(m_standIn->Arguments(50).isEmpty());
    EXPECT_EQ(dialog.ReportEdit()->toPlainText(), "Exception ACCESS_VIOLATION");
    EXPECT_TRUE(dialog.ReportEdit()->isReadOnly());

    dialog.SendButton()->click();
    EXPECT_EQ(m_standIn->Arguments(),
        (QStringList{"--utf8", "--subject", "Tolva bug report", "--body",
            "Please, write some words to describe this error.\r", "\r", "Your text:\r", "", "--attach",
            ProgramPath(kErrorLogName), "support@tolva.invalid"}));
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(BugReportTest, AMissingLogOrMailProgramLeavesTheDialogOpenWithTheFallback)
{
    CDialogBugReport dialog;
    dialog.show();
    dialog.OnSendBugReport();
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_EQ(m_messages.shown[1].text, Fallback());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(m_standIn->Arguments(50).isEmpty());

    // An empty log is still the log; without the mail program it cannot be
    // attached, and the fallback says what to do.
    m_messages.shown.clear();
    Put(kErrorLogName, QByteArray());
    const QString none;
    SetMailProgramForTesting(&none);
    dialog.OnSendBugReport();
    EXPECT_EQ(Texts(m_messages), std::vector<std::string>{Fallback()});
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(BugReportTest, TheExceptionLineWrapsWithinTheDialog)
{
    const std::string line
        = "Exception ACCESS_VIOLATION (0xc0000005) at address 0x000055d0c1a2b3c4 trying to "
          "read address 0x0000000000000000.";
    CDialogBugReport dialog;
    dialog.SetReportText("2026-12-07 08:00:00 UTC\r\n" + line + "\r\nException code:\t\tc0000005\r\n");
    const QImage picture = Grab(&dialog);
    QPlainTextEdit* edit = dialog.ReportEdit();
    // Nothing to scroll sideways: every line of the report fits the box.
    EXPECT_FALSE(edit->horizontalScrollBar()->isVisible());
    EXPECT_EQ(edit->horizontalScrollBar()->maximum(), 0);
    const QTextBlock block = edit->document()->findBlockByNumber(1);
    ASSERT_EQ(block.text().toStdString(), line);
    QTextCursor cursor(block);
    for (int at = 0; at <= block.length() - 1; ++at) {
        cursor.setPosition(block.position() + at);
        const QRect shown = edit->cursorRect(cursor);
        ASSERT_TRUE(edit->viewport()->rect().contains(shown.center())) << "character " << at;
    }
    EXPECT_TRUE(LayoutFaults(&dialog).isEmpty()) << LayoutFaults(&dialog).join('\n').toStdString();
    if (FontsAvailable())
        SavePicture(picture, QStringLiteral("bugreport-wrapped"));
}

TEST_F(BugReportTest, DataDumpShowsABooksFieldsAndNothingForAContact)
{
    CDataFile file;
    ASSERT_EQ(file.Open(), 0u);
    DataMan dm(file);
    ASSERT_EQ(dm.Init(), 0u);
    auto book = std::make_unique<Book>();
    book->m_strName = "Friends";
    book->m_strDescription = "Old friends";
    Book* friends = dm.AddBook(std::move(book), dm.GetRootBook());
    ASSERT_NE(friends, nullptr);
    auto contact = std::make_unique<Contact>();
    contact->m_strName = "Ann";
    dm.AddContact(std::move(contact), friends);

    const std::string root = DumpBookText(dm, *dm.GetRootBook());
    EXPECT_EQ(root.rfind("m_dwFlags = \t\t 10010001\r\n", 0), 0u) << root;
    EXPECT_NE(root.find("m_duID = \t\t 0\r\n"), std::string::npos);
    EXPECT_NE(root.find("Child 0 = \t\t\t 1\r\nChild 1 = \t\t\t " + std::to_string(friends->m_duID) + "\r\n"),
        std::string::npos);
    EXPECT_NE(root.find("Name:\tContacts\r\n"), std::string::npos);
    EXPECT_NE(root.find("Total books:\t3\r\nTotal contacts:\t1\r\n"), std::string::npos);

    auto* dump = new CDialogDataDump(dm, nullptr);
    ASSERT_TRUE(dump->Create());
    dump->DumpRecord(friends);
    EXPECT_TRUE(dump->Text()->toPlainText().contains("Descript:\tOld friends"));
    dump->DumpRecord(dm.GetContactAt(0));
    EXPECT_TRUE(dump->Text()->toPlainText().isEmpty());

    if (FontsAvailable()) {
        dump->DumpRecord(friends);
        CDialogBugReport report;
        report.SetReportText(std::string(40, '-')
            + "\r\nException ACCESS_VIOLATION (0xc0000005) at 0x0040a1b2\r\n"
              "trying to read address 0x00000000.\r\n");
        for (const auto& [name, palette] :
            {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
            ScopedPalette scoped(palette);
            SavePicture(Grab(dump), QStringLiteral("datadump-%1").arg(name));
            SavePicture(Grab(&report), QStringLiteral("bugreport-%1").arg(name));
        }
    }
    QPointer<CDialogDataDump> guard(dump);
    dump->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}
