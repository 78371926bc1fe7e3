#include "platform/profile.h"

#include "platform/textline.h"

#include <QFile>
#include <QSettings>
#include <memory>

namespace {

QString Key(const char* section, const char* entry)
{
    QString path = QString::fromUtf8(section);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path + QLatin1Char('/') + QString::fromUtf8(entry);
}

// The program reads and writes its settings on the user-interface thread only.
std::unique_ptr<QSettings> g_settings;

QSettings& Settings()
{
    if (!g_settings) {
        g_settings = std::make_unique<QSettings>(
            QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vexa+"), QStringLiteral("Tolva"));
        g_settings->setFallbacksEnabled(false);
    }
    return *g_settings;
}

bool Ok()
{
    return Settings().status() == QSettings::NoError;
}

// A settings file worth reading by hand is small; a larger one is not read.
constexpr qint64 kMaxFileText = 1 << 20;

}  // namespace

namespace Profile {

int GetInt(const char* section, const char* entry, int defaultValue)
{
    const QVariant v = Settings().value(Key(section, entry));
    if (!v.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok)
        return defaultValue;
    // Stored as a 32-bit registry word: keep its bits.
    return int(u32(n));
}

bool WriteInt(const char* section, const char* entry, int value)
{
    Settings().setValue(Key(section, entry), value);
    return Ok();
}

std::string GetString(const char* section, const char* entry, const std::string& defaultValue)
{
    const QVariant v = Settings().value(Key(section, entry));
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return defaultValue;
    return v.toString().toStdString();
}

bool WriteString(const char* section, const char* entry, const std::string& value)
{
    Settings().setValue(Key(section, entry), QString::fromStdString(value));
    return Ok();
}

std::optional<QByteArray> GetBinaryAnySize(const char* section, const char* entry)
{
    const QVariant v = Settings().value(Key(section, entry));
    if (!v.isValid() || v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

std::optional<QByteArray> GetBinary(const char* section, const char* entry, qsizetype size)
{
    auto bytes = GetBinaryAnySize(section, entry);
    if (!bytes || bytes->size() != size)
        return std::nullopt;
    return bytes;
}

bool WriteBinary(const char* section, const char* entry, const void* data, qsizetype size)
{
    Settings().setValue(Key(section, entry), QByteArray(static_cast<const char*>(data), size));
    return Ok();
}

std::optional<std::string> FindIniText(
    std::string_view text, std::string_view section, std::string_view entry)
{
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            inSection = line.substr(1, line.size() - 2) == section;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSection && equals != std::string_view::npos && TrimBlanks(line.substr(0, equals)) == entry)
            return std::string(TrimBlanks(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<std::string> GetFileText(const char* section, const char* entry)
{
    QFile file(FilePath());
    if (file.size() > kMaxFileText || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxFileText);
    // Only a section of the top level is found: "[TapiMan]", not "TapiMan\\Location".
    return FindIniText(std::string_view(bytes.constData(), std::size_t(bytes.size())), section, entry);
}

bool Remove(const char* section, const char* entry)
{
    Settings().remove(Key(section, entry));
    return Ok();
}

bool RemoveSection(const char* section)
{
    QString path = QString::fromUtf8(section);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    Settings().remove(path);
    return Ok();
}

bool Exists(const char* section, const char* entry)
{
    return Settings().contains(Key(section, entry));
}

void Sync()
{
    Settings().sync();
}

void Reopen()
{
    if (g_settings)
        g_settings->sync();
    g_settings.reset();
}

QString FilePath()
{
    return Settings().fileName();
}

}  // namespace Profile
