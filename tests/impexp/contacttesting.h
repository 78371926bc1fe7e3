// Contacts for import and export tests: one with every field filled, and
// the means to read back what a card or a file made of it.
#pragma once

#include "core/fieldtexts.h"
#include "impexp/cardexchange.h"
#include "impexp/fieldmapping.h"

#include <QBuffer>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

inline DateValue Day(int year, int month, int day)
{
    DateValue date;
    EXPECT_TRUE(DateFromParts(year, month, day, date));
    return date;
}

// Every field a contact has, with texts that need care on the way: a ';',
// line breaks as typed, an '=' and a backslash, letters outside ASCII, a
// year before 1900.
inline Contact FullContact()
{
    Contact c;
    c.m_strName = "Dr. Ana María López-Núñez";
    c.m_strTitle = "Dr.";
    c.m_strFirstName = "Ana";
    c.m_strMiddleName = "María";
    c.m_strLastName = "López-Núñez";
    c.m_strSuffix = "PhD";
    c.m_strNickName = "Anita";
    c.m_strCompany = "Acme; Ltd.";
    c.m_strDepartment = "R&D";
    c.m_strOffice = "B-204";
    c.m_strJobTitle = "Engineer";
    c.m_strChildren = "Pablo, Lucía";
    c.m_strSpouse = "Jordi";
    c.m_strNotes = "Line one\nLine two: a=b \\ c; done";
    c.m_dwGender = GENDER_FEMALE;
    c.m_dtBirthday = Day(1899, 5, 17);
    c.m_dtAnniversary = Day(2001, 12, 31);
    for (u32 type = 1; type <= 20; ++type) {
        const u32 flag = type == 1 ? CV_DEFAULT_HOME_PHONE : type == 11 ? CV_DEFAULT_BUSINESS_PHONE : 0;
        c.m_phones.push_back({type | flag, "+34 91 555 " + std::to_string(1000 + type)});
    }
    for (u32 type = 1; type <= 10; ++type) {
        const u32 flag = type == 1 ? CV_DEFAULT_HOME_EMAIL : type == 6 ? CV_DEFAULT_BUSINESS_EMAIL : 0;
        c.m_emails.push_back({type | flag, "ana" + std::to_string(type) + "@example.es"});
    }
    c.m_web = {{WEB_BUSINESS_PAGE | CV_WEB_BUSINESS_PAGE_SHOWN, "https://acme.example/ana"},
        {WEB_HOME_PAGE | CV_WEB_HOME_PAGE_SHOWN, "http://ana.example/?a=1;b=2"}, {WEB_ICQ, "123456789"}};
    ContactAddress business{
        ADDR_BUSINESS, "Edificio 4\nCalle Mayor 1", "Madrid", "Madrid", "28013", "España", 0, 0};
    ContactAddress home{ADDR_HOME | ADDR_DEFAULT, "Calle del Sol 7, 3º", "Toledo", "Castilla-La Mancha",
        "45001", "España", 0, 0};
    ContactAddress postal{ADDR_POSTAL, "Apartado 55", "Madrid", "", "28080", "España", 0, 0};
    c.m_addresses = {business, home, postal};
    return c;
}

// What two contacts show for each field id of the mapping lists, compared
// field by field so a failure names the field.
inline void ExpectSameFields(const Contact& expected, const Contact& actual, const std::vector<u32>& ids)
{
    for (const u32 id : ids)
        EXPECT_EQ(FormatFieldText(expected, id), FormatFieldText(actual, id)) << "field " << id;
}

// The contacts a card text makes, and the result of the load.
inline std::vector<std::unique_ptr<Contact>> ImportCards(std::string_view text, u32* result = nullptr)
{
    QByteArray data(text.data(), qsizetype(text.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CCardExchange exchange;
    const u32 loaded = exchange.LoadFromFile(&buffer);
    if (result)
        *result = loaded;
    return std::move(exchange.Contacts());
}

inline std::unique_ptr<Contact> ImportCard(std::string_view text)
{
    auto contacts = ImportCards(text);
    EXPECT_EQ(contacts.size(), 1u);
    return contacts.empty() ? std::make_unique<Contact>() : std::move(contacts.front());
}

// A contact's card as the writer makes it.
inline std::string ExportCard(const Contact& contact)
{
    CCardExchange exchange;
    exchange.CopyContact(contact);
    std::string text;
    exchange.WriteCard(text);
    return text;
}

// The clock stands at 2024-03-05 14:30:15 in UTC+1 while the fixture lives.
class FixedClock {
public:
    FixedClock()
    {
        SetClockForTesting([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15), QTimeZone(3600)); });
    }
    ~FixedClock() { SetClockForTesting(nullptr); }
};
