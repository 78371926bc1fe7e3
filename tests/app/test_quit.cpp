// Quitting as the user quits, through the frame's Exit command, on a disk
// that has no room left: every message at quit is a real message box that
// runs its own event loop while it waits, as the desktop's boxes do.
#include "app/addressbookapp.h"
#include "core/filelimit.h"
#include "mainwnd/commands.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "platform/ui/msgboxsink.h"
#include "startuptest.h"
#include "support/modal.h"

#include <QAction>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>

namespace {

// Shows each message in a real box and presses its default button a little
// later, from the box's own event loop: whatever the program left to run
// (timers, idle updates, paint) runs while the box is up. Each text is
// written to standard error as the program writes it without boxes.
class AnsweredBoxSink : public MessageSink {
public:
    int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) override
    {
        std::fprintf(stderr, "Tolva: %s\n", text.c_str());
        OnModal<QMessageBox>([](QMessageBox* box) {
            QTimer::singleShot(30, box, [box] {
                if (QPushButton* button = box->defaultButton())
                    button->click();
                else
                    box->accept();
            });
        });
        return m_boxes.ShowMessage(owner, text, title, type);
    }
    void ShowHelpPopup(QObject*, const std::string&, const HelpPairs&) override { }

private:
    WidgetMessageSink m_boxes;
};

class QuitTest : public StartupTest {
protected:
    // A store of contacts with phones and e-mails, and the program run on it
    // once, so that the data file holds what a run keeps in it (the grid's
    // layout) and its copy agrees.
    void MakeStore()
    {
        MakeContacts();
        Run first = Start();
        EXPECT_EQ(Stop(first), 0);
    }
    void MakeContacts()
    {
        CDataFile file;
        ASSERT_EQ(file.Open(), 0u);
        UserMan userMan;
        DataMan dataMan(file, &userMan);
        ASSERT_EQ(dataMan.Init(), 0u);
        for (int i = 0; i < 5; ++i) {
            auto contact = std::make_unique<Contact>();
            contact->m_strName = "Contact " + std::to_string(i);
            contact->m_phones.push_back({1, "555 010" + std::to_string(i)});
            contact->m_emails.push_back({1, "c" + std::to_string(i) + "@example.org"});
            dataMan.AddContact(std::move(contact), dataMan.GetRootBook());
        }
        ASSERT_EQ(dataMan.Close(), 0u);
        file.Close();
    }

    // Runs the program in a fresh process of this test program (a forked
    // copy cannot paint: the painting threads stay behind), from its start
    // to its end in this test's folders: the step runs in its event loop
    // and ends with the Exit command. Returns the exit code and what went
    // to standard error.
    std::pair<int, QByteArray> RunAndQuit(const char* step)
    {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kStepToRun), QString::fromLatin1(step));
        environment.insert(QString::fromLatin1(kFolders),
            qEnvironmentVariable("XDG_DATA_HOME") + u'\n' + qEnvironmentVariable("XDG_CONFIG_HOME") + u'\n'
                + qEnvironmentVariable("XDG_RUNTIME_DIR"));
        run.setProcessEnvironment(environment);
        run.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=QuitTest.QuitOnAFullDiskShowsEachMessageOnceAndSaysWhatIsLost")});
        EXPECT_TRUE(run.waitForStarted(10000));
        if (!run.waitForFinished(60000)) {
            run.kill();
            run.waitForFinished(10000);
            ADD_FAILURE() << "the run did not end";
        }
        const int code = run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
        return {code, run.readAllStandardError()};
    }

    // In the fresh process: the program in the folders of the test that
    // started it, through to its end.
    static int RunStep(const QByteArray& step)
    {
        const QList<QByteArray> folders = qgetenv(kFolders).split('\n');
        if (folders.size() != 3)
            return 11;
        qputenv("XDG_DATA_HOME", folders[0]);
        qputenv("XDG_CONFIG_HOME", folders[1]);
        qputenv("XDG_RUNTIME_DIR", folders[2]);
        ProgramFolder::SetPathForTesting(QString());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromUtf8(folders[1]));
        Profile::Reopen();
        AnsweredBoxSink boxes;
        SetMessageSink(&boxes);
        if (!TheApp()->InitInstance())
            return 10;
        CMainFrame& frame = *TheApp()->GetMainFrame();
        frame.show();
        // The first contact is the one the commands act on.
        DataMan& dataMan = TheApp()->GetDataMan();
        frame.GetContainer()->Grid().SelectContact(dataMan.GetContactAt(0));
        QTimer::singleShot(0, &frame, [&frame, step] {
            static FileSizeLimit full(16);
            if (step == "delete")
                frame.Action(ID_CONTACT_DELETE)->trigger();
            frame.Action(ID_APP_EXIT)->trigger();
        });
        const int code = TheApp()->exec();
        return TheApp()->ExitInstance(code);
    }

    static constexpr const char* kStepToRun = "TOLVA_TEST_QUIT_STEP";
    static constexpr const char* kFolders = "TOLVA_TEST_QUIT_FOLDERS";
};

constexpr const char* kChangesLost
    = "the changes of this run since the last save that worked are not in the file";

}  // namespace

// Nothing reads the store once it is emptied, however long a message stays
// up, and each message comes once; what the run did not change is not said
// to be lost.
TEST_F(QuitTest, QuitOnAFullDiskShowsEachMessageOnceAndSaysWhatIsLost)
{
    if (qEnvironmentVariableIsSet(kStepToRun)) {
        const int code = RunStep(qgetenv(kStepToRun));
        m_dir.reset();
        std::_Exit(code);
    }
    MakeStore();
    const QByteArray data = Contents("tolva.rdf");
    const QByteArray copy = Contents("tolva.rd0");
    const QByteArray dataPath = ProgramPath("tolva.rdf").toUtf8();
    const QByteArray sidePath = ProgramPath("tolva.ndf").toUtf8();

    // A run that changed nothing.
    auto [status, shown] = RunAndQuit("nothing");
    EXPECT_EQ(status, 0) << shown.toStdString();
    EXPECT_EQ(shown.count("Tolva: "), 3) << shown.toStdString();
    EXPECT_EQ(shown.count("could not be saved to \"" + dataPath + "\""), 1) << shown.toStdString();
    EXPECT_EQ(shown.count("could not be saved to \"" + sidePath + "\""), 1) << shown.toStdString();
    EXPECT_EQ(shown.count("backup/tolva.rd0\" could not be written"), 1) << shown.toStdString();
    EXPECT_FALSE(shown.contains(kChangesLost)) << shown.toStdString();
    EXPECT_EQ(shown.count("nothing is lost"), 2) << shown.toStdString();
    EXPECT_FALSE(shown.contains("Out of memory")) << shown.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), data);
    EXPECT_EQ(Contents("tolva.rd0"), copy);

    // A contact deleted while the disk is full: that save fails at once, and
    // the quit says the change is not in the file; the side tables did not
    // change.
    std::tie(status, shown) = RunAndQuit("delete");
    EXPECT_EQ(status, 0) << shown.toStdString();
    EXPECT_EQ(shown.count("Tolva: "), 5) << shown.toStdString();
    EXPECT_EQ(shown.count("your next change saves everything again"), 1) << shown.toStdString();
    EXPECT_EQ(shown.count(kChangesLost), 1) << shown.toStdString();
    EXPECT_EQ(shown.count("nothing is lost"), 1) << shown.toStdString();
    EXPECT_FALSE(shown.contains("Out of memory")) << shown.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), data);
}
