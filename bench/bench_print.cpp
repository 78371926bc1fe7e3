// Printing 10,000 contacts as memos: paginating them, writing them as a PDF
// file, and drawing page 1000 as the preview does when it jumps there.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "platform/programfolder.h"
#include "platform/recorddc.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "print/printoutput.h"
#include "widgetsmain.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr int kContacts = 10000;

std::unique_ptr<Contact> MakeContact(int i)
{
    auto c = std::make_unique<Contact>();
    const std::string n = std::to_string(i);
    c->m_strFirstName = "First" + n;
    c->m_strLastName = "Last" + n;
    c->m_strName = c->m_strFirstName + ' ' + c->m_strLastName;
    c->m_strCompany = "Company " + std::to_string(i % 500);
    c->m_phones = {{1, "+1 555 01" + n}, {11, "+1 555 02" + n}};
    c->m_emails = {{1, "person" + n + "@example.org"}};
    c->m_addresses
        = {{ADDR_HOME | ADDR_DEFAULT, n + " Main Street", "Springfield", "ST", "12345", "Land", 0, 0}};
    c->m_strNotes = "Met at the conference in " + std::to_string(1990 + i % 30)
        + ". Talked about printing address books, labels and envelopes for a long while.";
    return c;
}

class Job {
public:
    Job()
    {
        ProgramFolder::SetPathForTesting(m_folder.path());
        m_userMan.Init(1);
        m_dataMan.Init();
        for (int i = 0; i < kContacts; ++i)
            m_dataMan.AddContact(MakeContact(i), m_dataMan.GetRootBook());
        m_pm.SetSources(&m_dataMan, &m_userMan);
    }
    void Choose()
    {
        for (int i = 0; i < m_dataMan.GetContactCount(); ++i)
            m_dataMan.GetContactAt(i)->m_dwDisplayFlags |= CDF_PRINT;
    }

    QTemporaryDir m_folder;
    CDataFile m_file;
    UserMan m_userMan;
    DataMan m_dataMan{m_file, &m_userMan};
    PrintMan m_pm;
};

// Fonts are measured by the GUI library: the job is made once the
// application stands (its print settings take the desktop's font) and goes
// before it.
Job& TheJob()
{
    return SharedUntilEnd<Job>();
}

void BM_PaginateMemos(benchmark::State& state)
{
    Job& job = TheJob();
    const PageCaps caps = PageCapsOf(DefaultPageLayout());
    for (auto _ : state) {
        state.PauseTiming();
        job.Choose();
        state.ResumeTiming();
        CMeasureDC dc(caps);
        CPrintInfo info;
        job.m_pm.BeginPrinting(dc, info);
        benchmark::DoNotOptimize(info.GetMaxPage());
        state.counters["pages"] = info.GetMaxPage();
        job.m_pm.EndPrinting();
    }
}
BENCHMARK(BM_PaginateMemos)->Unit(benchmark::kMillisecond);

void BM_MemosToPdf(benchmark::State& state)
{
    Job& job = TheJob();
    const QString path = job.m_folder.filePath("memos.pdf");
    for (auto _ : state) {
        state.PauseTiming();
        job.Choose();
        state.ResumeTiming();
        CPrintInfo info;
        state.counters["pages"] = PrintToPdf(job.m_pm, info, path, DefaultPageLayout());
    }
}
BENCHMARK(BM_MemosToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// The page-start tables let a page be drawn without measuring the ones before.
void BM_DrawPage1000(benchmark::State& state)
{
    Job& job = TheJob();
    const PageCaps caps = PageCapsOf(DefaultPageLayout());
    job.Choose();
    CMeasureDC measure(caps);
    CPrintInfo info;
    job.m_pm.BeginPrinting(measure, info);
    for (auto _ : state) {
        CRecordDC dc(caps);
        info.m_nCurPage = std::min<u32>(1000, info.GetMaxPage());
        info.m_rectDraw = caps.DrawRect();
        job.m_pm.PrintPage(dc, info);
        benchmark::DoNotOptimize(dc.items.size());
    }
    job.m_pm.EndPrinting();
}
BENCHMARK(BM_DrawPage1000)->Unit(benchmark::kMicrosecond);

// What the preview does before it shows anything: the begin pass over the
// whole job, then its first page drawn on a screen-sized picture.
void BM_PreviewFirstPage(benchmark::State& state)
{
    Job& job = TheJob();
    const PageCaps caps = PageCapsOf(DefaultPageLayout());
    QImage screen(794, 1123, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        job.Choose();
        state.ResumeTiming();
        CMeasureDC measure(caps);
        CPrintInfo info;
        info.m_bPreview = true;
        job.m_pm.BeginPrinting(measure, info);
        screen.fill(Qt::white);
        QPainter painter(&screen);
        CPainterDC dc(painter, caps, screen.width() / double(caps.physicalWidth));
        info.m_nCurPage = 1;
        info.m_rectDraw = caps.DrawRect();
        job.m_pm.PrepareDC(dc);
        job.m_pm.PrintPage(dc, info);
        painter.end();
        state.counters["pages"] = info.GetMaxPage();
        job.m_pm.EndPrinting();
    }
}
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond);

}  // namespace
