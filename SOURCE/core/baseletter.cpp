#include "core/baseletter.h"

#include <QString>
#include <algorithm>
#include <iterator>

namespace {

// Letters written with a stroke or bar, which no decomposition takes apart.
struct Barred {
    char16_t letter;
    char base;
};
constexpr Barred kBarred[] = {
    {u'Ø', 'O'},
    {u'Đ', 'D'},
    {u'Ł', 'L'},
    {u'Ħ', 'H'},
    {u'Ŧ', 'T'},
    {u'Ɨ', 'I'},
};

}  // namespace

std::string BaseLetter(std::string_view character)
{
    const QString text = QString::fromUtf8(character.data(), qsizetype(character.size()));
    if (text.size() == 1) {
        const auto it = std::find_if(std::begin(kBarred), std::end(kBarred),
            [c = text.at(0).unicode()](const Barred& b) { return b.letter == c; });
        if (it != std::end(kBarred))
            return std::string(1, it->base);
    }
    const QString parts = text.normalized(QString::NormalizationForm_D);
    if (parts.size() < 2 || !parts.at(0).isLetter())
        return std::string(character);
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (!parts.at(i).isMark())
            return std::string(character);
    return parts.left(1).toStdString();
}
