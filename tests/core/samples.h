// Records with every field set away from its default, and the means to see
// them as the bytes a file or the memory channel holds.
#pragma once

#include "core/datafile.h"
#include "core/records.h"

#include <QByteArray>
#include <cstring>

inline Contact SampleContact()
{
    Contact c;
    c.m_duID = 42;
    c.m_dwReserved = 3;
    c.m_dtCreated = {45000.25, DateStatus::Valid};
    c.m_dtModified = {45100.5, DateStatus::Invalid};
    c.m_books = {0, 17, 23};
    int n = 0;
    for (std::string* text :
        {&c.m_strName, &c.m_strTitle, &c.m_strFirstName, &c.m_strMiddleName, &c.m_strLastName,
            &c.m_strNickName, &c.m_strSuffix, &c.m_strCompany, &c.m_strDepartment, &c.m_strOffice,
            &c.m_strJobTitle, &c.m_strExtra1, &c.m_strExtra2, &c.m_strChildren, &c.m_strSpouse})
        *text = "text " + std::to_string(++n);
    c.m_strNotes = "line 1\r\nline 2 \xc3\xa9";
    c.m_dwGender = 2;
    c.m_picture = {9, "/pics/ann.png"};
    c.m_nPictureType = 3;
    c.m_dValue1 = 2.5;
    c.m_dValue2 = -1.0;
    c.m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "555-1"}, {12, "555-2"}};
    c.m_emails = {{6 | CV_DEFAULT_BUSINESS_EMAIL, "ann@example.org"}};
    c.m_web = {{WEB_HOME_PAGE, "https://ann.example.org"}, {WEB_ICQ, "12345"}};
    c.m_addresses = {{ADDR_HOME | ADDR_DEFAULT, "1 Main St", "Town", "ST", "12345", "Land", 2, 7},
        {ADDR_POSTAL, "", "", "", "", "", 0, 0}};
    c.m_custom.resize(2);
    c.m_custom[0].m_dwType = 3;
    c.m_custom[0].m_strText = "x";
    std::memset(c.m_custom[0].m_value, 0xAB, 16);
    c.m_dtBirthday = {30000.0, DateStatus::Valid};
    c.m_dwWord = 4;
    c.m_crText = 0x00102030;
    c.m_crBack = 0x00F0E0D0;
    c.m_font.lfHeight = -13;
    std::strcpy(c.m_font.lfFaceName, "DejaVu Sans");
    c.m_dwWord1 = 5;
    c.m_dwWord2 = 6;
    c.m_dwDisplayFlags = 0x3;
    c.m_dwIcon = 8;
    return c;
}

inline Book SampleBook()
{
    Book b;
    b.m_dwFlags |= DIF_CURRENT_BOOK;
    b.m_duID = 17;
    b.m_duParentID = 1;
    b.m_members = {42, 23, 99};
    for (u32 type : {1u, 2u, 3u, 4u, 7u}) {
        BookCondition c;
        c.m_dwType = type;
        c.m_dwField = type * 10;
        c.m_strText2 = "layout";
        std::memset(c.m_value, int(type), sizeof c.m_value);
        b.m_conditions.push_back(c);
    }
    b.m_dwWord = 11;
    b.m_strName = "Friends";
    b.m_strDescription = "People I know";
    b.m_font.lfWeight = 700;
    b.m_crText = 0x000000FF;
    b.m_crBack = 0x00EEEEEE;
    b.m_dwWord1 = 12;
    b.m_dwWord2 = 13;
    b.m_dwImage = 4;
    return b;
}

// What a record writes through the memory channel: the same bytes as in a
// file, without a head.
template <class R> QByteArray RecordBytes(const R& record, u32 version = kFormatVersion)
{
    CDataFile file;
    file.ResetMemory();
    record.Write(RecordIo{file, DFK_MEMORY, nullptr, version});
    return file.DetachMemory();
}

template <class R> u32 ReadRecordBytes(const QByteArray& bytes, R& record, u32 version = kFormatVersion)
{
    CDataFile file;
    file.AttachMemory(bytes);
    return record.Read(RecordIo{file, DFK_MEMORY, nullptr, version});
}
