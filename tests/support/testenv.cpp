#include "support/testenv.h"

#include "platform/profile.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>

void TolvaTest::SetUp()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_dir->isValid());
    const QString data = m_dir->filePath(QStringLiteral("data"));
    const QString config = m_dir->filePath(QStringLiteral("config"));
    QDir().mkpath(data);
    QDir().mkpath(config);
    qputenv("XDG_DATA_HOME", data.toUtf8());
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    ProgramFolder::SetPathForTesting(QString());
    // QSettings reads XDG_CONFIG_HOME once per process; later tests would
    // share the first one's profile.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    Profile::Reopen();
    m_previousSink = SetMessageSink(&m_messages);
}

void TolvaTest::TearDown()
{
    SetMessageSink(m_previousSink);
    Profile::Reopen();
    m_dir.reset();
}

QString TolvaTest::ProgramPath(const QString& name) const
{
    return ProgramFolder::FilePath(name);
}

QByteArray TolvaTest::Contents(const char* name) const
{
    QFile file(ProgramPath(QString::fromUtf8(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TolvaTest::Put(const char* name, const QByteArray& bytes) const
{
    QFile file(ProgramPath(QString::fromUtf8(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString TestDataPath(const QString& name)
{
    QString folder = qEnvironmentVariable("TOLVA_TEST_DATA");
    if (folder.isEmpty())
        folder = QStringLiteral(TOLVA_TEST_DATA_DIR);
    return folder + QLatin1Char('/') + name;
}
