// How the text of a value becomes the fields of its property: quoted-
// printable and backslash escapes taken out, characters read by their set.
#include "impexp/cardproperties.h"
#include "impexp/cardreader.h"
#include "platform/textcodec.h"

#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The next ';' between fields. A backslash keeps a ';' in the field; in
// version 3.0 it escapes any character.
size_t NextSeparator(std::string_view s, size_t i, bool modern)
{
    for (; i < s.size(); ++i) {
        if (s[i] == ';')
            return i;
        if (s[i] == '\\' && i + 1 < s.size() && (modern || s[i + 1] == ';'))
            ++i;
    }
    return s.size();
}

}  // namespace

// How the bytes of a value become UTF-8: a declared character set that the
// converters know, else UTF-8 when the bytes are UTF-8, else Windows-1252.
struct CardReader::Charset {
    // Decoding changes a converter's state, not what it stands for.
    mutable std::optional<QStringDecoder> decoder;

    explicit Charset(std::string_view name)
    {
        if (name.empty() || EqualsNoCase(name, "UTF-8"))
            return;
        const std::string z(name);
        const auto known = QStringConverter::encodingForName(z.c_str());
        // UTF-16 and UTF-32 cannot stand in a line of text; UTF-8 keeps the fallback.
        if (known
            && (*known == QStringConverter::Utf8 || *known == QStringConverter::Utf16
                || *known == QStringConverter::Utf16LE || *known == QStringConverter::Utf16BE
                || *known == QStringConverter::Utf32 || *known == QStringConverter::Utf32LE
                || *known == QStringConverter::Utf32BE))
            return;
        QStringDecoder d(z.c_str());
        if (d.isValid())
            decoder.emplace(std::move(d));
    }
};

// A name with fields (N, ADR, ORG, the alarms) gets one child per non-empty
// field; what lies past its last field, and the whole value of any other
// name, becomes the property's own value, ';' and all.
void CardReader::StoreFields(
    CardNode* property, std::string_view value, Encoding encoding, std::string_view charsetName)
{
    const Charset charset(charsetName);
    const auto fields
        = property->row >= 0 ? CardPropertyAt(property->row).subFields : std::span<const std::string_view>();
    // Blanks of folds that make UTF-8 text invalid were no text.
    const bool dropFolds = encoding == Encoding::QuotedPrintable && !m_foldBlanks.empty() && !charset.decoder
        && !TextCodec::IsValidUtf8(DecodeQuotedPrintable(value, false))
        && TextCodec::IsValidUtf8(DecodeQuotedPrintable(value, true));
    size_t start = 0;
    for (size_t index = 0; index < fields.size() && start <= value.size(); ++index) {
        const size_t end = NextSeparator(value, start, m_modern);
        std::string_view piece = value.substr(start, end - start);
        if (index > 0)
            while (!piece.empty() && IsBlank(piece.front()))
                piece.remove_prefix(1);
        const std::string_view text = DecodeText(piece, encoding, charset, dropFolds);
        if (!text.empty()) {
            CardNode* field = m_tree.Append(property, fields[index], CardSubFieldRow(property->row, index));
            field->type = CardValueType::Text;
            field->value = text;
        }
        start = end + 1;
    }
    if (start < value.size() || (fields.empty() && !value.empty())) {
        const std::string_view text = DecodeText(value.substr(start), encoding, charset, dropFolds);
        if (!text.empty()) {
            property->type = CardValueType::Text;
            property->value = text;
        }
    }
}

// The bytes of quoted-printable text, without the blanks of its folds when
// asked.
std::string_view CardReader::DecodeQuotedPrintable(std::string_view s, bool dropFolds)
{
    auto fold = std::lower_bound(m_foldBlanks.begin(), m_foldBlanks.end(), s.data());
    if (dropFolds && fold != m_foldBlanks.end() && *fold < s.data() + s.size()) {
        char* out = m_tree.Allocate(s.size());
        size_t n = 0;
        for (const char* p = s.data(); p < s.data() + s.size(); ++p) {
            if (fold != m_foldBlanks.end() && *fold == p)
                ++fold;
            else
                out[n++] = *p;
        }
        m_tree.Shrink(out, s.size(), n);
        s = std::string_view(out, n);
    }
    if (s.find('=') != std::string_view::npos) {
        char* out = m_tree.Allocate(s.size());
        size_t n = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            int hi, lo;
            // An '=' that starts no escape is kept as it stands.
            if (s[i] == '=' && i + 2 < s.size() && (hi = HexValue(s[i + 1])) >= 0
                && (lo = HexValue(s[i + 2])) >= 0) {
                out[n++] = char(hi * 16 + lo);
                i += 2;
            } else {
                out[n++] = s[i];
            }
        }
        m_tree.Shrink(out, s.size(), n);
        s = std::string_view(out, n);
    }
    return s;
}

// Quoted-printable escapes, backslash escapes, then the character set.
std::string_view CardReader::DecodeText(
    std::string_view raw, Encoding encoding, const Charset& charset, bool dropFolds)
{
    std::string_view s = encoding == Encoding::QuotedPrintable ? DecodeQuotedPrintable(raw, dropFolds) : raw;
    if (s.find('\\') != std::string_view::npos) {
        char* out = m_tree.Allocate(s.size());
        size_t n = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            const char next = i + 1 < s.size() ? s[i + 1] : '\0';
            if (s[i] == '\\' && (next == ';' || (m_modern && (next == '\\' || next == ',')))) {
                out[n++] = next;
                ++i;
            } else if (s[i] == '\\' && m_modern && (next == 'n' || next == 'N')) {
                out[n++] = '\r';
                out[n++] = '\n';
                ++i;
            } else {
                out[n++] = s[i];
            }
        }
        m_tree.Shrink(out, s.size(), n);
        s = std::string_view(out, n);
    }
    if (TextCodec::IsAscii(s))
        return s;
    if (charset.decoder) {
        charset.decoder->resetState();
        const QString text = charset.decoder->decode(QByteArrayView(s.data(), qsizetype(s.size())));
        const QByteArray utf8 = text.toUtf8();
        return m_tree.Copy(std::string_view(utf8.constData(), size_t(utf8.size())));
    }
    if (TextCodec::IsValidUtf8(s))
        return s;
    return m_tree.Copy(TextCodec::ToUtf8(s));
}
