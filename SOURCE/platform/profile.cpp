#include "platform/profile.h"

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
