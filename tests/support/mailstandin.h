// A stand-in for the desktop's "xdg-email": a small script that writes each
// argument it gets on a line of its own and exits at once with the status
// given (as "xdg-email" does, with 3, when no mail program is set up),
// installed as the mail program for the life of the object.
#pragma once

#include "platform/desktopmail.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QThread>

class MailProgramStandIn {
public:
    explicit MailProgramStandIn(const QString& folder, int exitStatus = 0)
        : m_program(folder + QStringLiteral("/xdg-email"))
        , m_record(folder + QStringLiteral("/xdg-email-arguments"))
    {
        QFile script(m_program);
        if (script.open(QIODevice::WriteOnly)) {
            const QByteArray record = m_record.toUtf8();
            // Written aside and moved, so a reader never sees half a list.
            script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + record
                + ".tmp\"\nmv \"" + record + ".tmp\" \"" + record + "\"\nexit "
                + QByteArray::number(exitStatus) + "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        SetMailProgramForTesting(&m_program);
    }
    ~MailProgramStandIn() { SetMailProgramForTesting(nullptr); }
    MailProgramStandIn(const MailProgramStandIn&) = delete;
    MailProgramStandIn& operator=(const MailProgramStandIn&) = delete;

    // The arguments of the last run, waiting a while for it; empty when
    // the program did not run.
    QStringList Arguments(int waitMs = 5000) const
    {
        QDeadlineTimer deadline(waitMs);
        while (!QFile::exists(m_record) && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QFile file(m_record);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        lines.removeLast();
        return lines;
    }
    void Forget() const { QFile::remove(m_record); }
    // Whether every run has ended and been heard of, waiting a while.
    static bool AllEnded(int waitMs = 10000)
    {
        QDeadlineTimer deadline(waitMs);
        while (RunningMailPrograms() > 0 && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QCoreApplication::processEvents();
        return RunningMailPrograms() == 0;
    }

private:
    QString m_program;
    QString m_record;
};
