// A CUPS scheduler of the test's own, for the tests that print on real
// queues: its configuration, spool, cache, state and log folders and its
// socket lie in the test's temporary folders, it listens on nothing else,
// and it ends with the test. The machine's scheduler and queues are never
// asked: the test's process talks to this one alone while it runs.
//
// Its two queues hold their jobs (they are stopped), so a test reads each
// job's options and file as the scheduler received them:
// - kLaser: hardware margins of 6.35 mm at the sides and 12.7 mm at the top
//   and the bottom, A4 and Letter only, no two-sided printing;
// - kDuplex: A4 and Letter to their edges, printing on both sides.
//
// libcups reads where the scheduler's configuration lies (CUPS_SERVERROOT)
// once per thread, when first used: the test programs name a folder of
// their own for it before anything runs (support/machine.cpp), and the
// scheduler keeps its configuration there. Without it libcups would ask
// for a queue's description at localhost's port 631, the machine's own
// scheduler.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

class CCupsScheduler {
public:
    static constexpr const char* kLaser = "tolva-laser";
    static constexpr const char* kDuplex = "tolva-duplex";

    // One job as the scheduler holds it: its attributes as text, by name,
    // and its file.
    struct Job {
        int id = 0;
        QMap<QString, QString> attributes;
        QString file;
        QString Value(const char* name) const { return attributes.value(QString::fromLatin1(name)); }
    };

    // The scheduler's program; an administrator's folders are often not
    // searched for a user.
    static QString Program()
    {
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("cupsd"));
        return onPath.isEmpty() ? QStandardPaths::findExecutable(
                   QStringLiteral("cupsd"), {"/usr/sbin", "/usr/local/sbin", "/sbin"})
                                : onPath;
    }

    // Starts the scheduler; Error() says why it did not.
    CCupsScheduler()
    {
        m_root = QString::fromLocal8Bit(qgetenv("CUPS_SERVERROOT"));
        if (Program().isEmpty()) {
            m_error = "cupsd is not installed";
            return;
        }
        if (m_root.isEmpty() || !m_dir.isValid() || !m_cups.load()) {
            m_error = "no folder for the scheduler's configuration, or no libcups";
            return;
        }
        // A socket's path is at most 107 bytes long.
        m_socket = m_dir.filePath(QStringLiteral("cups.sock"));
        if (QFile::encodeName(m_socket).size() > 100) {
            m_error = "the temporary folder's path is too long for a socket";
            return;
        }
        QDir(m_root).removeRecursively();
        for (const QString& folder : {m_root + "/ppd", Folder("spool"), Folder("cache"), Folder("state"),
                 Folder("log"), Folder("temp")})
            QDir().mkpath(folder);
        Write(m_root + "/cups-files.conf",
            "ServerRoot " + m_root + "\nStateDir " + Folder("state") + "\nCacheDir " + Folder("cache")
                + "\nRequestRoot " + Folder("spool") + "\nTempDir " + Folder("temp")
                + "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\nErrorLog " + Folder("log")
                + "/error_log\nAccessLog " + Folder("log") + "/access_log\nPageLog " + Folder("log")
                + "/page_log\n");
        Write(m_root + "/cupsd.conf",
            "Listen " + m_socket
                + "\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                  "<Location />\nOrder allow,deny\nAllow all\n</Location>\n");
        Write(m_root + "/ppd/" + kLaser + ".ppd", Ppd("Laser", "18 36 577 806", "18 36 594 756", false));
        Write(m_root + "/ppd/" + kDuplex + ".ppd", Ppd("Duplex", "0 0 595 842", "0 0 612 792", true));
        QString printers;
        for (const char* queue : {kLaser, kDuplex})
            printers
                += QStringLiteral("<Printer %1>\nInfo %1\nDeviceURI file:///dev/null\nState Stopped\n"
                                  "StateMessage Held for the test\nAccepting Yes\nShared No\n</Printer>\n")
                       .arg(QLatin1String(queue));
        Write(m_root + "/printers.conf", printers);

        m_process.setProgram(Program());
        m_process.setArguments({"-f", "-c", m_root + "/cupsd.conf", "-s", m_root + "/cups-files.conf"});
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000)) {
            m_error = "cupsd did not start";
            return;
        }
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 15000 && m_process.state() == QProcess::Running) {
            if (Answers())
                break;
            QThread::msleep(50);
        }
        if (m_process.state() != QProcess::Running) {
            m_error = "cupsd stopped: " + m_process.readAll().toStdString() + ErrorLog();
            return;
        }
        m_previousServer = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", QFile::encodeName(m_socket));
        SetServer();
        m_running = true;
    }

    ~CCupsScheduler()
    {
        if (m_running) {
            qputenv("CUPS_SERVER", m_previousServer);
            SetServer();
        }
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(2000);
            }
        }
        if (!m_root.isEmpty())
            QDir(m_root).removeRecursively();
    }

    bool Running() const { return m_running; }
    const std::string& Error() const { return m_error; }
    std::string ErrorLog() const
    {
        QFile log(Folder("log") + "/error_log");
        return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string();
    }

    // The jobs the queue holds, oldest first.
    std::vector<Job> Jobs(const char* queue)
    {
        std::vector<Job> jobs;
        auto newRequest = Resolve<void* (*)(int)>("ippNewRequest");
        auto addString
            = Resolve<void* (*)(void*, int, int, const char*, const char*, const char*)>("ippAddString");
        auto doRequest = Resolve<void* (*)(void*, void*, const char*)>("cupsDoRequest");
        auto first = Resolve<void* (*)(void*)>("ippFirstAttribute");
        auto next = Resolve<void* (*)(void*)>("ippNextAttribute");
        auto name = Resolve<const char* (*)(void*)>("ippGetName");
        auto valueTag = Resolve<int (*)(void*)>("ippGetValueTag");
        auto groupTag = Resolve<int (*)(void*)>("ippGetGroupTag");
        auto count = Resolve<int (*)(void*)>("ippGetCount");
        auto string = Resolve<const char* (*)(void*, int, const char**)>("ippGetString");
        auto integer = Resolve<int (*)(void*, int)>("ippGetInteger");
        auto boolean = Resolve<int (*)(void*, int)>("ippGetBoolean");
        auto free = Resolve<void (*)(void*)>("ippDelete");
        if (!newRequest || !addString || !doRequest || !first || !next || !name || !valueTag || !groupTag
            || !count || !string || !integer || !boolean || !free)
            return jobs;
        constexpr int kGetJobs = 0x000A, kOperation = 1, kJob = 2, kUri = 0x45, kKeyword = 0x44;
        constexpr int kInteger = 0x21, kBoolean = 0x22, kEnum = 0x23;
        void* request = newRequest(kGetJobs);
        const QByteArray uri = QByteArray("ipp://localhost/printers/") + queue;
        addString(request, kOperation, kUri, "printer-uri", nullptr, uri.constData());
        addString(request, kOperation, kKeyword, "which-jobs", nullptr, "not-completed");
        addString(request, kOperation, kKeyword, "requested-attributes", nullptr, "all");
        void* response = doRequest(nullptr, request, "/");
        if (!response)
            return jobs;
        // Each job's attributes are a group of their own.
        bool inJob = false;
        for (void* a = first(response); a; a = next(response)) {
            const char* n = name(a);
            if (!n || groupTag(a) != kJob) {
                inJob = false;
                continue;
            }
            if (!inJob)
                jobs.emplace_back();
            inJob = true;
            const int tag = valueTag(a);
            QStringList values;
            for (int i = 0; i < count(a); ++i) {
                if (tag == kInteger || tag == kEnum)
                    values << QString::number(integer(a, i));
                else if (tag == kBoolean)
                    values << (boolean(a, i) ? "true" : "false");
                else if (const char* s = string(a, i, nullptr))
                    values << QString::fromUtf8(s);
            }
            if (QLatin1String(n) == QLatin1String("job-id")) {
                jobs.back().id = values.value(0).toInt();
                jobs.back().file
                    = Folder("spool") + QStringLiteral("/d%1-001").arg(jobs.back().id, 5, 10, QChar('0'));
            }
            jobs.back().attributes[QString::fromUtf8(n)] = values.join(',');
        }
        free(response);
        std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.id < b.id; });
        return jobs;
    }

private:
    // Whether the scheduler takes a connection on its socket.
    bool Answers() const
    {
        const QByteArray path = QFile::encodeName(m_socket);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::copy(path.begin(), path.end(), address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return answered;
    }

    QString Folder(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    template <typename F> F Resolve(const char* symbol)
    {
        return reinterpret_cast<F>(m_cups.resolve(symbol));
    }

    // libcups keeps the server it was told for the thread: told none, it
    // reads CUPS_SERVER again.
    void SetServer()
    {
        if (auto set = Resolve<void (*)(const char*)>("cupsSetServer"))
            set(nullptr);
    }

    static void Write(const QString& path, const QString& text)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text.toUtf8());
    }

    // A queue's description: A4 and Letter with the given printable areas
    // (in points, from the paper's bottom left), and two-sided printing when
    // asked. It takes the PDF files Tolva sends as they are.
    static QString Ppd(const char* model, const char* a4Area, const char* letterArea, bool twoSided)
    {
        QString ppd = QStringLiteral(
            "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
            "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"TOLVA.PPD\"\n"
            "*Manufacturer: \"Tolva tests\"\n*Product: \"(%1)\"\n*ModelName: \"%1\"\n*ShortNickName: \"%1\"\n"
            "*NickName: \"%1\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
            "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n*LandscapeOrientation: "
            "Plus90\n"
            "*TTRasterizer: Type42\n*cupsFilter: \"application/pdf 0 -\"\n")
                          .arg(QLatin1String(model));
        for (const char* option : {"PageSize", "PageRegion"})
            ppd += QStringLiteral(
                "*OpenUI *%1: PickOne\n*OrderDependency: 10 AnySetup *%1\n*Default%1: A4\n"
                "*%1 A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
                "*%1 Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n*CloseUI: *%1\n")
                       .arg(QLatin1String(option));
        ppd += QStringLiteral(
            "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"%1\"\n"
            "*ImageableArea Letter/US Letter: \"%2\"\n*DefaultPaperDimension: A4\n"
            "*PaperDimension A4/A4: \"595 842\"\n*PaperDimension Letter/US Letter: \"612 792\"\n")
                   .arg(QLatin1String(a4Area), QLatin1String(letterArea));
        if (twoSided)
            ppd += QStringLiteral(
                "*OpenUI *Duplex/Two-Sided: PickOne\n*OrderDependency: 20 AnySetup *Duplex\n"
                "*DefaultDuplex: None\n*Duplex None/Off: \"<</Duplex false>>setpagedevice\"\n"
                "*Duplex DuplexNoTumble/Long Edge: \"<</Duplex true/Tumble false>>setpagedevice\"\n"
                "*Duplex DuplexTumble/Short Edge: \"<</Duplex true/Tumble true>>setpagedevice\"\n"
                "*CloseUI: *Duplex\n");
        return ppd;
    }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_socket;
    QLibrary m_cups{QStringLiteral("cups"), 2};
    QProcess m_process;
    QByteArray m_previousServer;
    bool m_running = false;
    std::string m_error;
};
