#include "platform/helptopics.h"

#include "platform/textline.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <charconv>
#include <memory>

namespace {

constexpr std::string_view kTopicMark = ".topic";

bool IsValidUtf8(std::string_view text)
{
    const QString decoded = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return decoded.toUtf8() == QByteArray(text.data(), qsizetype(text.size()));
}

bool Fail(std::string& error, size_t lineNo, const char* what)
{
    error = lineNo == 0 ? std::string(what) : "line " + std::to_string(lineNo) + ": " + what;
    return false;
}

// Lines of one topic become paragraphs: lines joined by a blank, a blank
// line between paragraphs.
void AppendLine(std::string& text, bool& paragraphBreak, std::string_view line)
{
    if (line.empty()) {
        paragraphBreak = !text.empty();
        return;
    }
    if (!text.empty())
        text += paragraphBreak ? "\n\n" : " ";
    paragraphBreak = false;
    text.append(line);
}

}  // namespace

const std::string& HelpTopics::Text(u32 topicId) const
{
    static const std::string none;
    const auto found = texts.find(topicId);
    return found == texts.end() ? none : found->second;
}

bool ParseHelpTopics(std::string_view bytes, HelpTopics& topics, std::string& error)
{
    topics.texts.clear();
    if (bytes.size() > HelpTopics::kMaxFileSize)
        return Fail(error, 0, "the file is too large");
    // A file of another kind (or cut in the middle of a character) is not
    // shown in part.
    if (bytes.find('\0') != std::string_view::npos || !IsValidUtf8(bytes))
        return Fail(error, 0, "the file is not UTF-8 text");

    HelpTopics read;
    std::string* current = nullptr;
    bool paragraphBreak = false;
    size_t lineNo = 0;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view raw = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        ++lineNo;
        const std::string_view line = TrimBlanks(raw);
        if (!line.empty() && line.front() == '#')
            continue;
        if (line.substr(0, kTopicMark.size()) == kTopicMark) {
            const std::string_view idText = TrimBlanks(line.substr(kTopicMark.size()));
            u32 id = 0;
            const auto [rest, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
            if (idText.empty() || ec != std::errc() || rest != idText.data() + idText.size() || id == 0
                || id > HelpTopics::kMaxTopicId)
                return Fail(error, lineNo, "a topic needs a number from 1 to 65535");
            const auto [slot, added] = read.texts.try_emplace(id);
            if (!added)
                return Fail(error, lineNo, "a topic number is used twice");
            current = &slot->second;
            paragraphBreak = false;
            continue;
        }
        if (!current) {
            if (line.empty())
                continue;
            return Fail(error, lineNo, "text before the first topic");
        }
        AppendLine(*current, paragraphBreak, line);
    }
    topics = std::move(read);
    return true;
}

std::string HelpTopicsFileOf(const std::string& helpPath)
{
    const QString path = QString::fromStdString(helpPath);
    const qsizetype inner = path.indexOf(u"::/");
    if (inner < 0)
        return helpPath;
    return (QFileInfo(path.left(inner)).absolutePath() + QLatin1Char('/') + path.mid(inner + 3))
        .toStdString();
}

const HelpTopics& HelpTopicsOfFile(const std::string& path, std::string* firstError)
{
    static std::map<std::string, std::unique_ptr<HelpTopics>> files;
    auto& slot = files[path];
    if (slot)
        return *slot;
    slot = std::make_unique<HelpTopics>();
    std::string error;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString().toStdString();
    } else if (file.size() > qint64(HelpTopics::kMaxFileSize)) {
        error = "the file is too large";
    } else {
        const QByteArray bytes = file.readAll();
        ParseHelpTopics(std::string_view(bytes.constData(), size_t(bytes.size())), *slot, error);
    }
    if (!error.empty() && firstError)
        *firstError = error;
    return *slot;
}
