// The program as the user starts it: a real process in temporary program
// and settings folders, on the offscreen platform, with message boxes
// answered at once and written to standard error.
#pragma once

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// The last line the process that shows a report writes.
inline constexpr const char* kViewerDone = "report viewer done\n";

class StartupTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        const QString runtime = m_dir->filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }

    struct Run {
        std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
        QByteArray firstLine;
    };

    // Starts the program and waits until it reports that start-up ended.
    Run Start(const QStringList& args = {})
    {
        Run run;
        run.process->start(QStringLiteral(TOLVA_BINARY), args);
        EXPECT_TRUE(run.process->waitForStarted(10000));
        while (!run.process->canReadLine() && run.process->state() == QProcess::Running)
            run.process->waitForReadyRead(200);
        run.firstLine = run.process->readLine().trimmed();
        return run;
    }

    static mode_t ModeOf(const QString& path)
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    // What a child wrote into the pipe, to its end; the descriptor is closed.
    static QByteArray ReadToEnd(int fd)
    {
        QByteArray read;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
            if (n > 0)
                read.append(buffer, n);
            else if (errno != EINTR)
                break;
        }
        ::close(fd);
        return read;
    }

    static QByteArray FileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static int Stop(Run& run)
    {
        ::kill(pid_t(run.process->processId()), SIGTERM);
        EXPECT_TRUE(run.process->waitForFinished(20000));
        return run.process->exitCode();
    }

    // Runs the program to its end: for starts that are meant to fail.
    static std::pair<int, QByteArray> RunToEnd(const QStringList& args = {})
    {
        QProcess p;
        p.start(QStringLiteral(TOLVA_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), p.readAllStandardError()};
    }
};
