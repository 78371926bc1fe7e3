// The alphabet filter: which contacts of the current book show under the
// chosen letter, and how names compare regardless of case.
#include "core/baseletter.h"
#include "core/dataman.h"
#include "core/dataman_arrays.h"
#include "core/userman.h"
#include "platform/textcodec.h"

#include <algorithm>

namespace {

constexpr const char* kAllLettersText = "All";
constexpr const char* kBadFilterText = "!!! ERROR !!!";

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return u8(c) < 0x80; });
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A text in upper case or folded for comparison: plain ASCII by itself, any
// other text through its characters.
template <class Ascii, class Wide> std::string ChangeCase(std::string_view text, Ascii ascii, Wide wide)
{
    if (IsAscii(text)) {
        std::string changed(text);
        std::transform(changed.begin(), changed.end(), changed.begin(), ascii);
        return changed;
    }
    return wide(TextCodec::Decode(text)).toStdString();
}

std::string ToUpper(std::string_view text)
{
    return ChangeCase(text, AsciiUpper, [](const QString& wide) { return wide.toUpper(); });
}

// The first character of a text after its leading blanks, upper-cased; empty
// when there is none.
std::string UpperFirstCharacter(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    if (text.empty())
        return {};
    if (u8(text.front()) < 0x80)
        return std::string(1, AsciiUpper(text.front()));
    const QString decoded = TextCodec::Decode(text);
    const qsizetype length = decoded.size() > 1 && decoded.at(0).isHighSurrogate() ? 2 : 1;
    return decoded.left(length).toUpper().toStdString();
}

// The character at an index of a text; empty past its end.
std::string CharacterAt(std::string_view text, size_t index)
{
    if (IsAscii(text))
        return index < text.size() ? std::string(1, text[index]) : std::string();
    const QList<uint> characters = TextCodec::Decode(text).toUcs4();
    if (index >= size_t(characters.size()))
        return {};
    const char32_t character = characters.at(qsizetype(index));
    return QString::fromUcs4(&character, 1).toStdString();
}

}  // namespace

std::string FoldCase(std::string_view text)
{
    return ChangeCase(text, AsciiLower, [](const QString& wide) { return wide.toCaseFolded(); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (IsAscii(a) && IsAscii(b)) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
            return AsciiLower(x) == AsciiLower(y);
        });
    }
    return FoldCase(a) == FoldCase(b);
}

bool DataMan::IsContactShown(const Contact* contact) const
{
    if (!contact || !IsMember(GetCurrentBook(), contact->m_duID))
        return false;
    if (m_dwAlphabetFilter == kFilterAll)
        return true;
    std::string_view text;
    switch (Settings().m_dwFilterFlags) {
    case 1:
        text = contact->m_strLastName.empty() ? contact->m_strName : contact->m_strLastName;
        break;
    case 0:
        text = contact->m_strFirstName.empty() ? contact->m_strName : contact->m_strFirstName;
        break;
    default:
        text = contact->m_strCompany.empty() ? std::string_view(" ") : contact->m_strCompany;
        break;
    }
    const std::string first = UpperFirstCharacter(text);
    if (first.empty())
        return false;
    const std::string letter = ToUpper(GetFilterLetterText());
    if (first == letter)
        return true;
    // An accented initial that is no letter of the alphabet stands under its
    // base letter, so that "Élise" is found under "E".
    if (u8(first.front()) < 0x80 || BaseLetter(first) != letter)
        return false;
    std::string letters;
    GetCurrentAlphabetLetters(letters);
    return ToUpper(letters).find(first) == std::string::npos;
}

// The alphabet filter and the alphabets.

void DataMan::SetAlphabetFilter(u32 filter)
{
    m_dwAlphabetFilter = filter >= kFilterFirstLetter && filter <= kFilterAll ? filter : kFilterAll;
}

std::string DataMan::GetFilterLetterText() const
{
    if (m_dwAlphabetFilter >= kFilterFirstLetter && m_dwAlphabetFilter <= kFilterLastLetter) {
        std::string letters;
        GetCurrentAlphabetLetters(letters);
        return CharacterAt(letters, m_dwAlphabetFilter - kFilterFirstLetter);
    }
    return m_dwAlphabetFilter == kFilterAll ? kAllLettersText : kBadFilterText;
}

int DataMan::GetCurrentAlphabetIndex() const
{
    const auto& alphabets = m_tables.alphabets;
    const auto it = std::find_if(alphabets.begin(), alphabets.end(),
        [](const auto& alphabet) { return alphabet && (alphabet->m_dwFlags & ALPHABET_CURRENT); });
    return it == alphabets.end() ? -1 : int(it - alphabets.begin());
}

void DataMan::GetCurrentAlphabetLetters(std::string& letters) const
{
    if (const Alphabet* alphabet = At(m_tables.alphabets, GetCurrentAlphabetIndex()))
        letters = alphabet->m_strLetters;
}
