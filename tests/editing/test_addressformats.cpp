#include "controls/flatbutton.h"
#include "core/userman.h"
#include "dialogdriver.h"
#include "editing/addressformatdlg.h"
#include "editing/addressformatsdlg.h"
#include "platform/profile.h"
#include "platform/ui/window.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;
constexpr const char* kPostal
    = "[First name][Last name][NL][Home street][NL][Home city][Home state][,][Home zip][NL][Home country]";
constexpr const char* kBusiness
    = "[Business street][NL][Business city][Business state][,][Business zip][NL][Business country]";

void Show(QWidget& dialog)
{
    dialog.show();
    QApplication::processEvents();
}

void PlaceCaret(CDialogAddressFormat& dialog, int position)
{
    QTextCursor cursor = dialog.TemplateEdit()->textCursor();
    cursor.setPosition(position);
    dialog.TemplateEdit()->setTextCursor(cursor);
}

void AddAt(CDialogAddressFormat& dialog, int position, const QString& caption)
{
    PlaceCaret(dialog, position);
    dialog.TokenList()->setCurrentIndex(dialog.TokenList()->findText(caption));
    dialog.OnAdd();
}

QString Stored(const CDialogAddressFormat& dialog)
{
    return FormatTemplate::ForStorage(dialog.ShownTemplate());
}

class AddressFormatTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        ASSERT_EQ(m_userMan.Init(1), 0);
        for (const char* name : {"Short", "Letter", "Badge"}) {
            AddressFormat record;
            record.SetName(name);
            record.SetFormat("[Name]");
            m_userMan.m_addressFormats.Add(record);
        }
    }

    static Strings Names(const CAddressFormatArray& formats)
    {
        Strings names;
        for (size_t i = 0; i < formats.GetSize(); ++i)
            names.push_back(formats[i].Name());
        return names;
    }

    UserMan m_userMan;
};

}  // namespace

TEST(FormatTemplate, TokensAreNeverSplitAndGoWithTheirLineBreak)
{
    EXPECT_EQ(FormatTemplate::ForDisplay("[Name][NL]\r\n[Company][NL]"), "[Name][NL]\n[Company][NL]\n");
    EXPECT_EQ(FormatTemplate::ForStorage(FormatTemplate::ForDisplay(kPostal)), kPostal);

    // Inside "[Home city]" a token goes before the next token.
    QString text = "[Home city][Home zip]";
    EXPECT_EQ(FormatTemplate::InsertToken(text, 3, "[,]"), 14);
    EXPECT_EQ(text, "[Home city][,][Home zip]");

    // Inside "[NL]" the token goes with its line break.
    text = FormatTemplate::ForDisplay("[Name][NL][Company]");
    EXPECT_EQ(FormatTemplate::RemoveToken(text, 8, 8), 6);
    EXPECT_EQ(text, "[Name][Company]");
    // Before any bracket everything up to the first "]" goes; at the end,
    // the last token.
    text = "Dear [Name][Company]";
    FormatTemplate::RemoveToken(text, 2, 2);
    EXPECT_EQ(text, "[Company]");
    FormatTemplate::RemoveToken(text, 9, 9);
    FormatTemplate::RemoveToken(text, 0, 0);
    EXPECT_EQ(text, "");
}

TEST_F(AddressFormatTest, EditorInsertsAndRemovesTokensWithinTheRecordsSize)
{
    CDialogAddressFormat dialog;
    dialog.m_strName = "Short";
    dialog.m_strFormat = "[Home city][Home zip]";
    Show(dialog);
    AddAt(dialog, 4, "NL");
    EXPECT_EQ(dialog.ShownTemplate(), "[Home city][NL]\n[Home zip]");
    PlaceCaret(dialog, 13);
    dialog.OnRemove();
    EXPECT_EQ(dialog.ShownTemplate(), "[Home city][Home zip]");

    // Enter while "Add" has the focus adds rather than closing.
    dialog.AddButton()->setFocus();
    QTest::keyClick(dialog.AddButton(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ShownTemplate(), "[Home city][NL]\n[Home zip]");

    // Up to the 255 characters the record holds; line breaks do not count.
    while (Stored(dialog).size() + 10 <= 245)
        AddAt(dialog, 0, "Home zip");
    const qsizetype before = Stored(dialog).size();
    AddAt(dialog, 0, "Business country");
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(
        m_messages.shown[0].text, "You can enter up to 255 characters, please remove one or more fields.");
    EXPECT_EQ(Stored(dialog).size(), before);
    AddAt(dialog, 0, "NL");
    EXPECT_EQ(m_messages.shown.size(), 1u);

    // A name of two-byte letters is cut to what the record's field holds.
    dialog.NameEdit()->setText(QString(40, QChar(0x00E9)));
    dialog.NameEdit()->setFocus();
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_strName, QString(27, QChar(0x00E9)).toStdString());
    EXPECT_EQ(dialog.m_strFormat.find('\n'), std::string::npos);
    EXPECT_LE(dialog.m_strFormat.size(), 255u);
}

TEST_F(AddressFormatTest, EditorNeedsANameAndFallsBackOnThePresetsTemplate)
{
    CDialogAddressFormat dialog;
    dialog.m_nPreset = 1;
    Show(dialog);
    EXPECT_EQ(Stored(dialog), kBusiness);
    while (!dialog.ShownTemplate().isEmpty())
        dialog.OnRemove();
    dialog.accept();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Please enter a name for the address format");
    EXPECT_TRUE(dialog.isVisible());
    dialog.NameEdit()->setText("Office");
    dialog.accept();
    EXPECT_EQ(dialog.m_strFormat, kBusiness);
}

TEST_F(AddressFormatTest, ListChoosesOnlyWithASelectionAndKeepsTheListForTheNextRun)
{
    CDialogAddressFormats dialog(nullptr, &m_userMan);
    // An index the list does not have selects nothing; OK then waits.
    dialog.m_nSelected = 9;
    Show(dialog);
    EXPECT_TRUE(dialog.List()->selectedItems().isEmpty());
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());

    DialogDriver<CDialogAddressFormat> add([](CDialogAddressFormat& editor) {
        EXPECT_EQ(Stored(editor), kPostal);
        editor.NameEdit()->setText("Labels");
        editor.accept();
    });
    dialog.OnAdd();
    ASSERT_TRUE(add.Came());
    dialog.List()->setCurrentRow(6);
    dialog.accept();
    EXPECT_EQ(dialog.m_nSelected, 6);

    Profile::Reopen();
    UserMan next;
    ASSERT_EQ(next.Init(1), 0);
    EXPECT_EQ(Names(next.m_addressFormats).back(), "Labels");
    EXPECT_EQ(next.m_addressFormats[6].Format(), kPostal);
    EXPECT_EQ(next.m_addressFormats[6].m_dwFlags, 0u);
}

TEST_F(AddressFormatTest, ListAsksBeforeEditingABuiltInFormatAndIgnoresCaseOnlyChanges)
{
    CDialogAddressFormats dialog(nullptr, &m_userMan);
    dialog.m_nSelected = 1;
    Show(dialog);
    m_messages.reply = IDNO;
    dialog.OnEdit();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text,
        "This is a predefined address format.\nAre you sure you want to modify it?");
    EXPECT_TRUE(m_messages.shown[0].type & MB_DEFBUTTON2);

    m_messages.reply = IDYES;
    DialogDriver<CDialogAddressFormat> caseOnly([](CDialogAddressFormat& editor) {
        editor.NameEdit()->setText("BUSINESS ADDRESS");
        editor.accept();
    });
    dialog.OnEdit();
    ASSERT_TRUE(caseOnly.Came());
    EXPECT_EQ(dialog.WorkingCopy()[1].Name(), "Business address");

    DialogDriver<CDialogAddressFormat> renamed([](CDialogAddressFormat& editor) {
        // "Default" on the business entry gives its own template.
        editor.OnDefault();
        EXPECT_EQ(Stored(editor), kBusiness);
        editor.NameEdit()->setText("Office");
        editor.accept();
    });
    dialog.OnEdit();
    EXPECT_EQ(dialog.List()->item(1)->text(), "Office");
    EXPECT_TRUE(dialog.WorkingCopy()[1].IsBuiltIn());
    dialog.reject();
    EXPECT_EQ(m_userMan.m_addressFormats[1].Name(), "Business address");
}

TEST_F(AddressFormatTest, DeletingKeepsListPositionsAndRecordsInStep)
{
    CDialogAddressFormats dialog(nullptr, &m_userMan);
    Show(dialog);
    dialog.List()->setCurrentRow(0);
    EXPECT_FALSE(GetDlgItem(&dialog, CDialogAddressFormats::kDeleteId)->isEnabled());
    dialog.List()->setCurrentRow(4);
    dialog.OnDelete();
    EXPECT_EQ(Names(dialog.WorkingCopy()),
        (Strings{"Postal address", "Business address", "Home address", "Short", "Badge"}));

    dialog.List()->setCurrentRow(4);
    DialogDriver<CDialogAddressFormat> edit([](CDialogAddressFormat& editor) {
        EXPECT_EQ(editor.NameEdit()->text(), "Badge");
        editor.NameEdit()->setText("Name badge");
        editor.accept();
    });
    dialog.OnEdit();
    dialog.accept();
    EXPECT_EQ(dialog.m_nSelected, 4);
    EXPECT_EQ(m_userMan.m_addressFormats[4].Name(), "Name badge");

    // The last format left cannot go.
    m_userMan.m_addressFormats.SetSize(1);
    CDialogAddressFormats single(nullptr, &m_userMan);
    Show(single);
    single.List()->setCurrentRow(0);
    single.OnDelete();
    EXPECT_EQ(single.List()->count(), 1);
}

TEST_F(AddressFormatTest, PicturesOfTheAddressFormatDialogs)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        CDialogAddressFormats list(nullptr, &m_userMan);
        list.m_nSelected = 1;
        SavePicture(Grab(&list), "addressformats" + look);
        CDialogAddressFormat editor;
        editor.m_strName = "Postal address";
        editor.m_strFormat = kPostal;
        SavePicture(Grab(&editor), "addressformat" + look);
    }
}
