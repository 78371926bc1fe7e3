// The contacts the window benchmarks fill their stores with: names in a
// scattered order, so that sorting has work to do, and the fields the
// default grid columns and quick find read.
#pragma once

#include "core/records.h"

#include <memory>
#include <string>

inline std::unique_ptr<Contact> MakeBenchContact(int i, int total)
{
    auto c = std::make_unique<Contact>();
    const std::string n = std::to_string((i * 7919) % total);
    c->m_strFirstName = "First" + n;
    c->m_strLastName = "Last" + n;
    c->m_strName = c->m_strFirstName + ' ' + c->m_strLastName;
    c->m_strCompany = "Company " + std::to_string(i % 97);
    c->m_strNotes = "Met at the fair in spring, number " + n;
    c->m_phones
        = {{1 | CV_DEFAULT_HOME_PHONE, "+1 555 01" + n}, {11 | CV_DEFAULT_BUSINESS_PHONE, "+1 555 02" + n}};
    c->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "person" + n + "@example.org"}};
    c->m_addresses
        = {{ADDR_HOME | ADDR_DEFAULT, n + " Main Street", "Springfield", "ST", "12345", "Land", 2, 0}};
    return c;
}
