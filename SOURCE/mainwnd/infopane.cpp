#include "mainwnd/infopane.h"

#include "core/records.h"
#include "platform/ui/window.h"

namespace {

QString Escaped(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

}  // namespace

CContactInfoPane::CContactInfoPane(QWidget* parent)
    : QTextBrowser(parent)
{
    SetDlgCtrlID(this, kControlId);
    setObjectName(QStringLiteral("ContactInfo"));
    setOpenLinks(false);
}

void CContactInfoPane::Clear()
{
    m_pContact = nullptr;
    clear();
}

void CContactInfoPane::ShowContact(const Contact* contact)
{
    m_pContact = contact;
    if (!contact) {
        clear();
        return;
    }
    QString html = QStringLiteral("<h3>%1</h3>").arg(Escaped(contact->m_strName));
    const auto line = [&html](const std::string& text) {
        if (!text.empty())
            html += Escaped(text) + QStringLiteral("<br>");
    };
    line(contact->m_strCompany);
    line(contact->m_strJobTitle);
    for (const ContactValue& phone : contact->m_phones)
        line(phone.m_strText);
    for (const ContactValue& mail : contact->m_emails)
        line(mail.m_strText);
    for (const ContactAddress& address : contact->m_addresses) {
        line(address.m_strStreet);
        line(address.m_strZip + (address.m_strZip.empty() ? "" : " ") + address.m_strCity);
        line(address.m_strCountry);
    }
    setHtml(html);
}
