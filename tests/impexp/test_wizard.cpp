// The wizard's page flow, its remembered paths and the Fields page's rules.
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "impexp/addressbook.h"
#include "impexp/fieldmapping.h"
#include "platform/profile.h"
#include "wizardtesting.h"

#include <algorithm>

namespace {

using WizardFlowTest = WizardStoreTest;

std::vector<int> Formats(const IEWizard& wizard)
{
    std::vector<int> formats;
    for (const IEFormatRow& row : wizard.FormatRows())
        formats.push_back(row.format);
    return formats;
}

}  // namespace

TEST_F(WizardFlowTest, TypeRowsFollowTheDirection)
{
    IEWizard wizard;
    EXPECT_EQ(wizard.Title(), "Import and Export Wizard");
    EXPECT_TRUE(wizard.ShowsNext() && !wizard.ShowsFinish() && !wizard.CanGoBack());
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(wizard.Title(), "Import operation");
    EXPECT_EQ(Formats(wizard), (std::vector<int>{1, 2, 3, 4, 5, 8, 6, 7}));
    // No reader for address books here: the row says so and goes no further.
    EXPECT_EQ(wizard.FormatRows().back().text, "Windows Address book (not available on this system)");
    wizard.SelectFormat(IEF_ADDRESS_BOOK);
    EXPECT_FALSE(wizard.CanGoNext());

    wizard.Back();
    wizard.SetDirection(IED_EXPORT);
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(wizard.Title(), "Export operation");
    EXPECT_EQ(Formats(wizard), (std::vector<int>{1, 2, 3, 4, 8, 6}));
    // An import-only format chosen before falls back to the first row.
    EXPECT_EQ(wizard.m_nFormat, IEF_CSV_DOS);
    wizard.Back();
    wizard.SetDirection(IED_IMPORT);
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(Formats(wizard), (std::vector<int>{1, 2, 3, 4, 5, 8, 6, 7}));

    // The format sets the code page and the separator.
    for (const auto& [format, oem, separator] :
        {std::tuple{1, true, ','}, {2, false, ','}, {3, true, '\t'}, {4, false, '\t'}, {5, false, ';'}}) {
        wizard.SelectFormat(format);
        EXPECT_EQ(wizard.m_state.m_bOem, oem) << format;
        EXPECT_EQ(wizard.m_state.m_chSeparator, separator) << format;
    }
}

TEST_F(WizardFlowTest, FilePageButtonsChecksAndRememberedPaths)
{
    Put("in.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
    Put("out.csv", "old");
    // Formats without fields finish on the File page; the others go on.
    for (const auto& [direction, format, fields] : {std::tuple{IED_IMPORT, 6, false}, {IED_IMPORT, 8, false},
             {IED_EXPORT, 6, false}, {IED_EXPORT, 8, false}, {IED_IMPORT, 5, true}, {IED_EXPORT, 4, true}}) {
        IEWizard wizard;
        wizard.SetDirection(direction);
        wizard.Next();
        wizard.SelectFormat(format);
        wizard.Next();
        wizard.Next();
        ASSERT_EQ(wizard.Page(), IEP_FILE);
        EXPECT_EQ(wizard.ShowsNext(), fields) << format;
        EXPECT_EQ(wizard.ShowsFinish(), !fields) << format;
    }

    IEWizard wizard;
    wizard.SetDirection(IED_IMPORT);
    wizard.Next();
    wizard.SelectFormat(IEF_VCARD);
    wizard.Next();
    wizard.Next();
    EXPECT_FALSE(wizard.Finish());
    EXPECT_EQ(m_messages.shown.back().text, "Please select a file.");
    wizard.Path() = Path("missing.vcf");
    EXPECT_FALSE(wizard.Finish());
    EXPECT_NE(m_messages.shown.back().text.find("could not be located"), std::string::npos);
    wizard.Path() = Path("in.vcf");
    EXPECT_TRUE(wizard.Finish());

    // An existing export file is replaced only when the user says so.
    IEWizard exporter;
    exporter.SetDirection(IED_EXPORT);
    exporter.Next();
    exporter.SelectFormat(IEF_CSV);
    exporter.Next();
    exporter.Next();
    exporter.Path() = Path("out.csv");
    m_messages.reply = IDNO;
    EXPECT_FALSE(exporter.Next());
    EXPECT_EQ(exporter.Page(), IEP_FILE);
    EXPECT_EQ(m_messages.shown.back().text,
        Path("out.csv") + "\nThis file already exists!\n\nReplace existing file?");
    m_messages.reply = IDYES;
    EXPECT_TRUE(exporter.Next());
    EXPECT_EQ(exporter.Page(), IEP_FIELDS);
    exporter.Back();
    EXPECT_EQ(exporter.Page(), IEP_FILE);

    // Each format and direction shows the path last used for it.
    Profile::Sync();
    Profile::Reopen();
    IEWizard again;
    ASSERT_TRUE(WalkToFile(again, IED_IMPORT, IEF_VCARD, nullptr, Path("in.vcf")));
    EXPECT_EQ(Profile::GetString("DataMan", "ImportPathVCARD"), Path("in.vcf"));
    EXPECT_EQ(Profile::GetString("DataMan", "ExportPathCSV"), Path("out.csv"));
    IEWizard shows;
    shows.SetDirection(IED_EXPORT);
    shows.Next();
    shows.SelectFormat(IEF_CSV_DOS);
    shows.Next();
    shows.Next();
    EXPECT_EQ(shows.Path(), Path("out.csv"));
    shows.Back();
    shows.Back();
    shows.SelectFormat(IEF_TSV);
    shows.Next();
    shows.Next();
    EXPECT_EQ(shows.Path(), "");
}

TEST_F(WizardFlowTest, DefaultAddressBookFinishesWithoutAPath)
{
    SetAddressBookOpener([](const std::string&, u32& result) {
        result = 0;
        return std::unique_ptr<AddressBookSource>();
    });
    IEWizard wizard;
    EXPECT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_ADDRESS_BOOK, nullptr, ""));
    EXPECT_TRUE(wizard.Finished());
    SetAddressBookOpener({});
}

TEST_F(WizardFlowTest, ImportMappingRows)
{
    Put("in.csv", "Who,Phone,Mail,Extra\r\nAnn,1,a@x,z\r\n");
    SaveFieldList(true, {FID_NAME, 0, FID_FIRST_EMAIL});
    SaveImportColumnNames({"Who", "Phone", "Mail"});
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_CSV, nullptr, Path("in.csv")));
    IEFieldsModel& fields = wizard.m_fields;
    // A fourth column gets no field; the names line names the rows.
    ASSERT_EQ(fields.m_rows.size(), 4u);
    EXPECT_EQ(fields.m_fields, (std::vector<u32>{FID_NAME, 0, FID_FIRST_EMAIL, 0}));
    EXPECT_EQ(fields.m_rows[0].text, "Who");
    EXPECT_TRUE(fields.m_rows[0].checked);
    EXPECT_TRUE(fields.ClickAsksForField(1));

    // Mapping column 3 to the field of column 0 takes it from column 0.
    fields.ChangeMapping(3, FID_NAME);
    EXPECT_EQ(fields.m_rows[0].fieldId, 0u);
    EXPECT_FALSE(fields.m_rows[0].checked);
    EXPECT_EQ(fields.m_rows[3].fieldId, u32(FID_NAME));
    fields.SetChecked(2, false);

    // Without the names line the rows are numbered.
    fields.RefreshImport(Path("in.csv"), ',', false, false, nullptr);
    EXPECT_EQ(fields.m_rows[1].text, "Field 1");

    // Fewer columns cut the list.
    Put("two.csv", "a,b\r\n");
    fields.m_fields = {FID_NAME, FID_COMPANY, FID_NOTES};
    fields.RefreshImport(Path("two.csv"), ',', false, false, nullptr);
    EXPECT_EQ(fields.m_fields, (std::vector<u32>{FID_NAME, FID_COMPANY}));

    // Nothing checked: refused with the message; a checked row finishes.
    for (size_t row = 0; row < fields.m_rows.size(); ++row)
        fields.SetChecked(row, false);
    EXPECT_FALSE(wizard.Finish());
    EXPECT_EQ(m_messages.shown.back().text, "Please map any file field to some Tolva field");
    fields.SetChecked(1, true);
    EXPECT_TRUE(wizard.Finish());
    EXPECT_EQ(wizard.m_state.m_fields, (std::vector<u32>{0, FID_COMPANY}));
    EXPECT_EQ(LoadFieldList(true), (std::vector<u32>{0, FID_COMPANY}));

    // A sample that is not text leaves only Back.
    Put("nul.csv", QByteArray("a\0b", 3));
    EXPECT_NE(fields.RefreshImport(Path("nul.csv"), ',', false, true, nullptr), 0u);
    EXPECT_TRUE(fields.m_rows.empty());
    EXPECT_NE(m_messages.shown.back().text.find("Error in import/export operation = e"), std::string::npos);

    // The dialog's choices: "None", then the fields that can be read.
    const auto choices = IEFieldsModel::MappingChoices();
    EXPECT_EQ(choices.front(), (std::pair<u32, std::string>{0, "None"}));
    // The postal parts can be read; the whole postal address cannot.
    EXPECT_EQ(choices.size(), 1u + 67u - 3u + 5u);
    EXPECT_EQ(choices.back(), (std::pair<u32, std::string>{FID_POSTAL_STREET + 4, "Postal country"}));
    EXPECT_TRUE(std::none_of(
        choices.begin(), choices.end(), [](const auto& c) { return c.first == FID_HOME_ADDRESS; }));
}

TEST_F(WizardFlowTest, ExportFieldRowsKeepTheOrderOfTheList)
{
    SaveFieldList(false, {FID_COMPANY, FID_NAME});
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_EXPORT, IEF_TSV, nullptr, Path("out.txt")));
    IEFieldsModel& fields = wizard.m_fields;
    ASSERT_EQ(fields.m_rows.size(), 73u);
    EXPECT_EQ(fields.m_rows[0].text, LoadResString(FID_NAME));
    EXPECT_TRUE(fields.m_rows[0].checked && fields.m_rows[1].checked && !fields.m_rows[2].checked);
    fields.SetChecked(2, true);
    EXPECT_TRUE(wizard.Finish());
    EXPECT_EQ(wizard.m_state.m_fields, (std::vector<u32>{FID_NAME, FID_COMPANY, FID_DEPARTMENT}));
    EXPECT_EQ(LoadFieldList(false), wizard.m_state.m_fields);
}
