// Start-up to a shown main window with a store of 100,000 contacts: the
// program is started as a user starts it and timed until it reports that the
// window is up; closing it is not timed.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "platform/profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <csignal>

namespace {

void MakeStore(int contacts)
{
    CDataFile file;
    file.Open();
    UserMan userMan;
    DataMan dataMan(file, &userMan);
    dataMan.Init();
    for (int i = 0; i < contacts; ++i) {
        auto c = std::make_unique<Contact>();
        c->m_strFirstName = "First" + std::to_string(i);
        c->m_strLastName = "Last" + std::to_string(i % 977);
        c->m_strName = c->m_strFirstName + " " + c->m_strLastName;
        c->m_strCompany = "Company " + std::to_string(i % 101);
        c->m_phones.push_back({1, "+1 555 " + std::to_string(1000000 + i)});
        c->m_emails.push_back({1, "person" + std::to_string(i) + "@example.com"});
        c->m_addresses.push_back(
            {ADDR_HOME, "Street " + std::to_string(i), "City", "State", "12345", "Country", 2, 0});
        dataMan.AddContact(std::move(c), dataMan.GetRootBook());
    }
    dataMan.Save(DFK_DATA);
    dataMan.Close();
    file.Close();
}

// The processor time of every thread of a running process so far, in
// milliseconds: on a shared machine the wall time says more about the
// neighbours than about the program.
double CpuMs(qint64 pid)
{
    double ns = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + '/' + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            ns += stat.readAll().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

// The peak resident memory of a running process, in MiB.
double PeakMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// The program built with the benchmark, or another build of it named by
// TOLVA_BENCH_PROGRAM (to compare two builds in one run).
QString Program()
{
    const QString other = qEnvironmentVariable("TOLVA_BENCH_PROGRAM");
    return other.isEmpty() ? QStringLiteral(TOLVA_BINARY) : other;
}

void BM_StartupToShownWindow(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("data"), config = dir.filePath("config"), runtime = dir.filePath("run");
    for (const QString& d : {data, config, runtime})
        QDir().mkpath(d);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_DATA_HOME", data.toUtf8());
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TOLVA_NO_MESSAGE_BOXES", "1");
    qputenv("TOLVA_REPORT_STARTUP", "1");
    Profile::Reopen();
    MakeStore(int(state.range(0)));

    double cpuMs = 0;
    double peakMiB = 0;
    for (auto _ : state) {
        QProcess p;
        QElapsedTimer timer;
        timer.start();
        p.start(Program(), {});
        while (!p.canReadLine() && p.state() != QProcess::NotRunning)
            p.waitForReadyRead(5);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        cpuMs += CpuMs(p.processId());
        peakMiB = std::max(peakMiB, PeakMiB(p.processId()));
        const QByteArray line = p.readLine();
        if (!line.startsWith("started"))
            state.SkipWithError("the program did not start");
        ::kill(pid_t(p.processId()), SIGTERM);
        p.waitForFinished(60000);
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs / double(state.iterations()));
    state.counters["VmHWM_MiB"] = peakMiB;
}
BENCHMARK(BM_StartupToShownWindow)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
