#include "platform/desktopmail.h"
#include "support/mailstandin.h"
#include "telephony/mailsession.h"
#include "telephonytest.h"

#include <QFile>

namespace {

std::vector<QUrl> g_opened;

bool RecordUrl(const QUrl& url)
{
    g_opened.push_back(url);
    return true;
}

class MailTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_standIn = std::make_unique<MailProgramStandIn>(m_dir->path());
        SetMailUrlOpenerForTesting(&RecordUrl);
        g_opened.clear();
        m_attachment = m_dir->filePath(QStringLiteral("tolva_error.log")).toStdString();
        QFile log(QString::fromStdString(m_attachment));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    }
    void TearDown() override
    {
        m_standIn.reset();
        SetMailUrlOpenerForTesting(nullptr);
        TolvaTest::TearDown();
    }

    QStringList Recorded() { return m_standIn->Arguments(); }

    std::unique_ptr<MailProgramStandIn> m_standIn;
    std::string m_attachment;
};

}  // namespace

TEST_F(MailTest, TheMailProgramGetsEveryFieldAsItsOwnArgument)
{
    CMailSession session;
    ASSERT_TRUE(session.IsLoaded());
    ASSERT_EQ(session.Logon(), 1);
    CMailMessage message;
    message.m_to = {"support@example.org", "ann@example.org"};
    message.m_cc = {"bob@example.org"};
    message.m_bcc = {"eve@example.org"};
    message.m_strSubject = "Tolva bug report; $(rm -rf ~)";
    message.m_strBody = "Line one\r\nLine \"two\"";
    message.m_attachmentPaths = {m_attachment};
    message.m_attachmentTitles = {"Tolva LogFile"};
    ASSERT_EQ(session.Send(message, true), 1);
    EXPECT_EQ(session.GetLastError(), SUCCESS_SUCCESS);
    const QString attachment = QString::fromStdString(m_attachment);
    EXPECT_EQ(Recorded(),
        (QStringList{"--utf8", "--cc", "bob@example.org", "--bcc", "eve@example.org", "--subject",
            "Tolva bug report; $(rm -rf ~)", "--body", "Line one\r", "Line \"two\"", "--attach", attachment,
            "support@example.org", "ann@example.org"}));

    // Only copies: the mail still goes to them.
    m_standIn->Forget();
    CMailMessage copies;
    copies.m_cc = {"bob@example.org"};
    ASSERT_EQ(session.Send(copies, true), 1);
    EXPECT_EQ(Recorded(), (QStringList{"--utf8", "--cc", "bob@example.org"}));
}

TEST_F(MailTest, UnsafeRecipientsAndMissingAttachmentsSendNothing)
{
    CMailSession session;
    session.Logon();
    for (const std::string& bad : {std::string("--help"), std::string("-x@example.org"),
             std::string("ann@example.org\nBcc: all"), std::string("ann\t@example.org"), std::string()}) {
        CMailMessage message;
        message.m_bcc = {bad};
        EXPECT_EQ(session.Send(message, true), 0) << bad;
        EXPECT_EQ(session.GetLastError(), MAPI_E_INVALID_RECIPS);
    }
    CMailMessage message;
    message.m_to = {"ann@example.org"};
    message.m_attachmentPaths = {m_attachment + ".gone"};
    EXPECT_EQ(session.Send(message, true), 0);
    EXPECT_EQ(session.GetLastError(), MAPI_E_ATTACHMENT_NOT_FOUND);
    EXPECT_TRUE(m_standIn->Arguments(50).isEmpty());
}

TEST_F(MailTest, WithoutTheMailProgramAMailtoAddressIsOpened)
{
    const QString none;
    SetMailProgramForTesting(&none);
    CMailSession session;
    session.Logon();
    CMailMessage message;
    message.m_to = {"ann@example.org", "bob@example.org"};
    message.m_cc = {"carl@example.org"};
    message.m_strSubject = "Hello & welcome";
    message.m_strBody = "a=b\r\n100%";
    ASSERT_EQ(session.Send(message, false), 1);
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(g_opened[0].toString(QUrl::FullyEncoded).toStdString(),
        "mailto:ann@example.org,bob@example.org?cc=carl@example.org&subject=Hello%20%26%20welcome"
        "&body=a%3Db%0D%0A100%25");

    // Attachments cannot travel in an address.
    message.m_attachmentPaths = {m_attachment};
    EXPECT_EQ(session.Send(message, false), 0);
    EXPECT_EQ(session.GetLastError(), MAPI_E_NOT_SUPPORTED);
    EXPECT_EQ(g_opened.size(), 1u);
}
