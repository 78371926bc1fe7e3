#include "mainwnd/contactinfohtml.h"

#include "core/addressformat.h"
#include "core/fieldtexts.h"
#include "core/records.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "platform/ui/openlink.h"

#include <QUrl>

namespace {

constexpr const char* kTableStart = "<table width=100% border=0 cellspacing=1 cellpadding=5>";
constexpr const char* kTab = "&nbsp;&nbsp;&nbsp;&nbsp;";
constexpr u32 kInfoHomeAddress = 7;

enum class Breaks { Keep, Html };

// Escapes every character that could start markup or end an attribute; a
// contact's text is shown, never interpreted.
std::string Escaped(std::string_view text, Breaks breaks = Breaks::Keep, bool tabs = false)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\r':
            if (breaks == Breaks::Html) {
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
                out += "<br>";
            } else {
                out += ch;
            }
            break;
        case '\n':
            out += breaks == Breaks::Html ? "<br>" : "\n";
            break;
        case '\t':
            out += tabs ? kTab : "\t";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

const ContactValue* FirstOfType(const std::vector<ContactValue>& values, u32 type)
{
    for (const ContactValue& value : values) {
        if (value.Type() == type)
            return &value;
    }
    return nullptr;
}

std::string Link(const QUrl& url, const std::string& text)
{
    if (!url.isValid())
        return Escaped(text);
    return "<a href=\"" + Escaped(url.toString(QUrl::FullyEncoded).toStdString()) + "\">" + Escaped(text)
        + "</a>";
}

// A mail link carries the address alone: a "?" in it is part of the
// address, not a header or an attachment for the mail program.
std::string MailLink(const std::string& address)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(QString::fromStdString(address).trimmed(), QUrl::DecodedMode);
    return Link(url.path().isEmpty() ? QUrl() : url, address);
}

// A page without a scheme is a web address; any scheme but http and https
// (a local file, a script) is shown as text only.
std::string WebLink(const std::string& page)
{
    QUrl url = LinkUrl(page);
    if (url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0)
        url = QUrl();
    return Link(url, page);
}

std::string AddressHtml(const Contact& contact, u32 type, const CAddressFormatArray& formats)
{
    const ContactAddress* address = ContactAddressOfKind(contact, type);
    return address ? Escaped(FormatAddressText(contact, *address, formats, true), Breaks::Html)
                   : std::string();
}

std::string Row(u32 labelId, const std::string& value)
{
    return "<tr><td width=1% class=left>" + Escaped(LoadResString(labelId)) + "</td><td class=right>" + value
        + "</td></tr>";
}

std::string TextOf(const ContactValue* value)
{
    return value ? Escaped(value->m_strText) : std::string();
}

}  // namespace

std::string ContactInfoValue(const Contact& contact, u32 field, const CAddressFormatArray& formats)
{
    if (field >= 8 && field <= 27)
        return TextOf(FirstOfType(contact.m_phones, field - 7));
    if (field >= 28 && field <= 37) {
        const ContactValue* mail = FirstOfType(contact.m_emails, field - 27);
        return mail && !mail->m_strText.empty() ? MailLink(mail->m_strText) : std::string();
    }
    switch (field) {
    case 1:
        return Escaped(contact.m_strName);
    case 2:
        return Escaped(contact.m_strCompany);
    case 3:
        return Escaped(contact.m_strDepartment);
    case 4:
        return Escaped(contact.m_strOffice);
    case 5:
        return Escaped(contact.m_strJobTitle);
    case 6:
        return AddressHtml(contact, ADDR_BUSINESS, formats);
    case 7:
        return AddressHtml(contact, ADDR_HOME, formats);
    case 38:
    case 39: {
        const ContactValue* page
            = FirstOfType(contact.m_web, field == 38 ? WEB_HOME_PAGE : WEB_BUSINESS_PAGE);
        return page && !page->m_strText.empty() ? WebLink(page->m_strText) : std::string();
    }
    case 40:
        return TextOf(FirstOfType(contact.m_web, WEB_ICQ));
    case 41:
        return contact.m_dwGender == GENDER_MALE  ? "Male"
            : contact.m_dwGender == GENDER_FEMALE ? "Female"
                                                  : "";
    case 42:
        return Escaped(contact.m_strChildren, Breaks::Html);
    case 43:
        return Escaped(contact.m_strSpouse);
    case 44:
        return contact.m_dtBirthday.IsValid() ? Escaped(FormatFieldText(contact, FID_BIRTHDAY))
                                              : std::string();
    case 45:
        return contact.m_dtAnniversary.IsValid() ? Escaped(FormatFieldText(contact, FID_ANNIVERSARY))
                                                 : std::string();
    case 46:
        return Escaped(contact.m_strNotes, Breaks::Html, true);
    default:
        return {};
    }
}

std::string MakeContactInfoHtml(
    const Contact& contact, std::span<const u32> fields, const CAddressFormatArray& formats)
{
    std::string html = kTableStart;
    for (const u32 word : fields) {
        const u32 field = word & 0xFFFF;
        if ((word & 0xFFFF0000) != kInfoFieldShown || field < kInfoFirstField || field > kInfoLastField)
            continue;
        const std::string value = ContactInfoValue(contact, field, formats);
        if (!value.empty())
            html += Row(kInfoLabelBase + field, value);
        // The stored list names the pane's fields in a fixed number of
        // words, none of them a postal address: it follows the home one.
        if (field == kInfoHomeAddress) {
            const std::string postal = AddressHtml(contact, ADDR_POSTAL, formats);
            if (!postal.empty())
                html += Row(FID_POSTAL_ADDRESS, postal);
        }
    }
    html += "</table>";
    return html;
}

std::string ContactInfoPage(const std::string& templateHtml, const std::string& table)
{
    const size_t bodyTag = templateHtml.find("<body");
    const size_t bodyStart = bodyTag == std::string::npos ? bodyTag : templateHtml.find('>', bodyTag);
    const size_t bodyEnd = templateHtml.rfind("</body>");
    if (bodyStart == std::string::npos || bodyEnd == std::string::npos || bodyEnd < bodyStart)
        return table;
    return templateHtml.substr(0, bodyStart + 1) + table + templateHtml.substr(bodyEnd);
}
