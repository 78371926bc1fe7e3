#include "framefixture.h"

#include "platform/programfolder.h"

#include <QDir>
#include <QFile>

std::vector<std::string> FrameTest::StoredNames(const std::string& bookName)
{
    const QString copy = m_dir->filePath(QStringLiteral("second-run"));
    QDir(copy).removeRecursively();
    QDir().mkpath(copy);
    EXPECT_TRUE(QFile::copy(ProgramPath(QStringLiteral("tolva.rdf")), copy + QStringLiteral("/tolva.rdf")));
    ProgramFolder::SetPathForTesting(copy);
    std::vector<std::string> names;
    {
        CDataFile file;
        EXPECT_EQ(file.Open(), 0u);
        DataMan second(file, m_userMan.get());
        EXPECT_EQ(second.Init(), 0u);
        for (int i = 0; i < second.GetBookCount(); ++i) {
            const Book* book = second.GetBookAt(i);
            if (book->m_strName != bookName)
                continue;
            size_t position = 0;
            while (const Contact* contact = book->GetNextContact(second, position))
                names.push_back(contact->m_strName);
        }
        file.Close();
    }
    ProgramFolder::SetPathForTesting(QString());
    std::sort(names.begin(), names.end());
    return names;
}
