#include "controls/flatbutton.h"
#include "core/userman.h"
#include "dialogdriver.h"
#include "editing/addressformatdlg.h"
#include "editing/addressformatsdlg.h"
#include "platform/profile.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

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

void ChooseToken(CDialogAddressFormat& dialog, const QString& caption)
{
    const int index = dialog.TokenList()->findText(caption);
    ASSERT_GE(index, 0) << caption.toStdString();
    dialog.TokenList()->setCurrentIndex(index);
}

class AddressFormatTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        ASSERT_EQ(m_userMan.Init(1), 0);
    }

    std::vector<std::string> Names(const CAddressFormatArray& formats) const
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < formats.GetSize(); ++i)
            names.push_back(formats[i].Name());
        return names;
    }

    void AddFormat(const std::string& name, const std::string& format)
    {
        AddressFormat record;
        record.SetName(name);
        record.SetFormat(format);
        m_userMan.m_addressFormats.Add(record);
    }

    UserMan m_userMan;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST(FormatTemplate, TokensGoInBetweenTokensAndComeOutWithTheirLineBreak)
{
    const QString shown = FormatTemplate::ForDisplay(kPostal);
    EXPECT_EQ(shown,
        "[First name][Last name][NL]\n[Home street][NL]\n[Home city][Home state][,][Home zip][NL]\n[Home "
        "country]");
    EXPECT_EQ(FormatTemplate::ForStorage(shown), kPostal);
    // A stored template with line breaks of its own shows them once.
    EXPECT_EQ(FormatTemplate::ForDisplay("[Name][NL]\r\n[Company]"), "[Name][NL]\n[Company]");

    // Inside "[Home city]" the token goes before the next token.
    QString text = FormatTemplate::ForDisplay("[Home city][Home zip]");
    int end = FormatTemplate::InsertToken(text, 3, "[,]");
    EXPECT_EQ(text, "[Home city][,][Home zip]");
    EXPECT_EQ(end, 14);
    end = FormatTemplate::InsertToken(text, int(text.size()), "[NL]");
    EXPECT_EQ(text, "[Home city][,][Home zip][NL]\n");
    EXPECT_EQ(end, int(text.size()));

    // Inside "[NL]" the token goes with its line break.
    text = FormatTemplate::ForDisplay("[Name][NL][Company]");
    EXPECT_EQ(FormatTemplate::RemoveToken(text, 8, 8), 6);
    EXPECT_EQ(text, "[Name][Company]");
    // Before any bracket everything up to the first "]" goes.
    text = "Dear [Name][Company]";
    FormatTemplate::RemoveToken(text, 2, 2);
    EXPECT_EQ(text, "[Company]");
    // At the end the last token goes; in an empty text nothing happens.
    FormatTemplate::RemoveToken(text, int(text.size()), int(text.size()));
    EXPECT_EQ(text, "");
    FormatTemplate::RemoveToken(text, 0, 0);
    EXPECT_EQ(text, "");

    EXPECT_EQ(FormatTemplate::DefaultTemplate(1), kBusiness);
    EXPECT_EQ(FormatTemplate::DefaultTemplate(0), kPostal);
    EXPECT_EQ(FormatTemplate::DefaultTemplate(7), kPostal);
}

TEST_F(AddressFormatTest, EditorAddsAndRemovesTokensAtTheCaret)
{
    CDialogAddressFormat dialog;
    dialog.m_strName = "Short";
    dialog.m_strFormat = "[Home city][Home zip]";
    Show(dialog);
    EXPECT_EQ(dialog.TokenList()->count(), 24);
    EXPECT_EQ(dialog.TokenList()->currentText(), ",");
    PlaceCaret(dialog, 4);
    ChooseToken(dialog, "NL");
    dialog.OnAdd();
    EXPECT_EQ(dialog.ShownTemplate(), "[Home city][NL]\n[Home zip]");
    PlaceCaret(dialog, 13);
    dialog.OnRemove();
    EXPECT_EQ(dialog.ShownTemplate(), "[Home city][Home zip]");

    // Enter while "Add" has the focus adds rather than closing.
    ChooseToken(dialog, ",");
    dialog.AddButton()->setFocus();
    QTest::keyClick(dialog.AddButton(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ShownTemplate().count("[,]"), 1);

    dialog.NameEdit()->setFocus();
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_strName, "Short");
    EXPECT_EQ(dialog.m_strFormat.find('\n'), std::string::npos);
}

TEST_F(AddressFormatTest, EditorKeepsToTheSizeOfTheRecord)
{
    CDialogAddressFormat dialog;
    dialog.m_strName = "Long";
    // 240 characters: one more "[Business country]" would pass the 255 the
    // record holds.
    std::string format;
    while (format.size() + 6 <= 240)
        format += "[Name]";
    format += std::string(240 - format.size(), 'x');
    dialog.m_strFormat = format;
    Show(dialog);
    ChooseToken(dialog, "Business country");
    dialog.OnAdd();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(
        m_messages.shown[0].text, "You can enter up to 255 characters, please remove one or more fields.");
    EXPECT_EQ(FormatTemplate::ForStorage(dialog.ShownTemplate()).size(), 240);
    // Line breaks do not count: "[NL]" still fits, twice and more.
    ChooseToken(dialog, "NL");
    dialog.OnAdd();
    dialog.OnAdd();
    dialog.OnAdd();
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(FormatTemplate::ForStorage(dialog.ShownTemplate()).size(), 252);

    // A name of many-byte letters is cut to what the record's field holds.
    dialog.NameEdit()->setText(QString(40, QChar(0x00E9)));
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_strName, QString(27, QChar(0x00E9)).toStdString());
    AddressFormat record;
    record.SetName(dialog.m_strName);
    record.SetFormat(dialog.m_strFormat);
    EXPECT_EQ(record.Name(), dialog.m_strName);
    EXPECT_EQ(record.Format(), dialog.m_strFormat);
}

TEST_F(AddressFormatTest, EditorNeedsANameAndFallsBackOnTheDefault)
{
    CDialogAddressFormat dialog;
    dialog.m_nPreset = 1;
    Show(dialog);
    // An empty template starts as the preset's built-in one.
    EXPECT_EQ(FormatTemplate::ForStorage(dialog.ShownTemplate()), kBusiness);
    while (!dialog.ShownTemplate().isEmpty())
        dialog.OnRemove();
    dialog.accept();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Please enter a name for the address format");
    EXPECT_TRUE(dialog.isVisible());
    dialog.NameEdit()->setText("Office");
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_strFormat, kBusiness);

    CDialogAddressFormat other;
    other.m_strName = "Other";
    other.m_strFormat = "[Name]";
    Show(other);
    other.OnDefault();
    EXPECT_EQ(FormatTemplate::ForStorage(other.ShownTemplate()), kPostal);
}

TEST_F(AddressFormatTest, ListChoosesAFormatOnlyWithASelectionAndSavesIt)
{
    CDialogAddressFormats dialog(nullptr, &m_userMan);
    // An index the list does not have selects nothing.
    dialog.m_nSelected = 9;
    Show(dialog);
    EXPECT_EQ(dialog.List()->count(), 3);
    EXPECT_TRUE(dialog.List()->selectedItems().isEmpty());
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());

    DialogDriver<CDialogAddressFormat> driver([](CDialogAddressFormat& editor) {
        EXPECT_EQ(editor.m_nPreset, 0);
        EXPECT_EQ(FormatTemplate::ForStorage(editor.ShownTemplate()), kPostal);
        editor.NameEdit()->setText("Labels");
        editor.accept();
    });
    dialog.OnAdd();
    ASSERT_TRUE(driver.Came());
    EXPECT_EQ(Names(dialog.WorkingCopy()),
        (Strings{"Postal address", "Business address", "Home address", "Labels"}));
    EXPECT_EQ(dialog.WorkingCopy()[3].m_dwFlags, 0u);
    dialog.List()->setCurrentRow(3);
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_nSelected, 3);

    // Kept for the next run.
    Profile::Reopen();
    UserMan next;
    ASSERT_EQ(next.Init(1), 0);
    EXPECT_EQ(Names(next.m_addressFormats), Names(dialog.WorkingCopy()));
    EXPECT_EQ(next.m_addressFormats[3].Format(), kPostal);
}

TEST_F(AddressFormatTest, ListAsksBeforeEditingABuiltInFormatAndIgnoresCaseOnlyChanges)
{
    CDialogAddressFormats dialog(nullptr, &m_userMan);
    dialog.m_nSelected = 1;
    Show(dialog);
    // "No" stops before the editor opens.
    m_messages.reply = IDNO;
    dialog.OnEdit();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text,
        "This is a predefined address format.\nAre you sure you want to modify it?");
    EXPECT_EQ(m_messages.shown[0].type & MB_DEFBUTTON2, MB_DEFBUTTON2);

    m_messages.reply = IDYES;
    DialogDriver<CDialogAddressFormat> caseOnly([](CDialogAddressFormat& editor) {
        editor.NameEdit()->setText("BUSINESS ADDRESS");
        editor.accept();
    });
    dialog.OnEdit();
    ASSERT_TRUE(caseOnly.Came());
    EXPECT_EQ(dialog.WorkingCopy()[1].Name(), "Business address");

    DialogDriver<CDialogAddressFormat> changed([](CDialogAddressFormat& editor) {
        // "Default" on the business entry gives its own template.
        editor.OnDefault();
        EXPECT_EQ(FormatTemplate::ForStorage(editor.ShownTemplate()), kBusiness);
        editor.NameEdit()->setText("Office");
        editor.accept();
    });
    dialog.OnEdit();
    ASSERT_TRUE(changed.Came());
    EXPECT_EQ(dialog.WorkingCopy()[1].Name(), "Office");
    EXPECT_TRUE(dialog.WorkingCopy()[1].IsBuiltIn());
    EXPECT_EQ(dialog.List()->item(1)->text(), "Office");
    // Cancel leaves the settings as they were.
    dialog.reject();
    EXPECT_EQ(m_userMan.m_addressFormats[1].Name(), "Business address");
}

TEST_F(AddressFormatTest, DeletingKeepsListPositionsAndRecordsInStep)
{
    AddFormat("Short", "[Name]");
    AddFormat("Letter", "[Name][NL][Home street]");
    AddFormat("Badge", "[Nick name]");
    CDialogAddressFormats dialog(nullptr, &m_userMan);
    Show(dialog);
    dialog.List()->setCurrentRow(0);
    EXPECT_FALSE(dialog.CanDelete());
    dialog.List()->setCurrentRow(4);
    EXPECT_TRUE(dialog.CanDelete());
    dialog.OnDelete();
    EXPECT_EQ(Names(dialog.WorkingCopy()),
        (Strings{"Postal address", "Business address", "Home address", "Short", "Badge"}));

    dialog.List()->setCurrentRow(4);
    DialogDriver<CDialogAddressFormat> driver([](CDialogAddressFormat& editor) {
        EXPECT_EQ(editor.NameEdit()->text(), "Badge");
        editor.NameEdit()->setText("Name badge");
        editor.accept();
    });
    dialog.OnEdit();
    ASSERT_TRUE(driver.Came());
    EXPECT_TRUE(m_messages.shown.empty());
    dialog.accept();
    EXPECT_EQ(dialog.m_nSelected, 4);
    EXPECT_EQ(m_userMan.m_addressFormats[4].Name(), "Name badge");
    EXPECT_EQ(m_userMan.m_addressFormats[4].Format(), "[Nick name]");

    // The last format left cannot go.
    CAddressFormatArray one;
    one.Add(m_userMan.m_addressFormats[3]);
    m_userMan.m_addressFormats = one;
    CDialogAddressFormats single(nullptr, &m_userMan);
    Show(single);
    single.List()->setCurrentRow(0);
    EXPECT_FALSE(single.CanDelete());
    single.OnDelete();
    EXPECT_EQ(single.List()->count(), 1);
}

TEST_F(AddressFormatTest, PicturesOfTheAddressFormatDialogs)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    AddFormat("Name badge", "[Nick name]");
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        CDialogAddressFormats list(nullptr, &m_userMan);
        list.m_nSelected = 1;
        SavePicture(Grab(&list), QStringLiteral("addressformats") + look);
        CDialogAddressFormat editor;
        editor.m_strName = "Postal address";
        editor.m_strFormat = kPostal;
        SavePicture(Grab(&editor), QStringLiteral("addressformat") + look);
    }
}
