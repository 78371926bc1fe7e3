// The contact grid over one book of 100,000 contacts: filling, sorting by a
// text column, painting a screen of rows, selecting, deleting many rows, and
// the memory the rows take.
#include "benchcontacts.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/rgridctrl.h"
#include "platform/programfolder.h"
#include "widgetsmain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr int kContacts = 100000;
constexpr int kDeleted = 10000;
constexpr int kHomeEmailColumn = 3;

class Store {
public:
    Store()
    {
        ProgramFolder::SetPathForTesting(m_folder.path());
        m_user.Init(0);
        SetAppUserMan(&m_user);
        m_file = std::make_unique<CDataFile>();
        m_dm = std::make_unique<DataMan>(*m_file, &m_user);
        m_file->Open();
        m_dm->Init();
        m_dm->SetAlphabetFilter(kFilterAll);
        for (int i = 0; i < kContacts; ++i)
            m_dm->AddContact(MakeBenchContact(i, kContacts), m_dm->GetRootBook());
        m_grid = std::make_unique<CRGridCtrl>(*m_dm, m_user);
        m_grid->resize(1280, 900);
        m_grid->show();
        QApplication::processEvents();
    }

    CRGridCtrl& Grid() { return *m_grid; }

private:
    QTemporaryDir m_folder;
    UserMan m_user;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dm;
    std::unique_ptr<CRGridCtrl> m_grid;
};

Store& TheStore()
{
    return SharedUntilEnd<Store>();
}

void BM_Refill(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    for (auto _ : state) {
        grid.Refill(false, true);
        if (grid.GetRowCount() != kContacts)
            state.SkipWithError("rows missing");
    }
}
BENCHMARK(BM_Refill)->Unit(benchmark::kMillisecond);

// The cells of the column are made on the first sort and kept.
void BM_SortTextColumn(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    grid.Refill(false, true);
    int ascending = 0;
    for (auto _ : state) {
        grid.Sort(kHomeEmailColumn, ascending);
        ascending ^= 1;
    }
}
BENCHMARK(BM_SortTextColumn)->Unit(benchmark::kMillisecond);

// A column sorted for the first time: its texts are made as well.
void BM_SortTextColumnFresh(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    for (auto _ : state) {
        state.PauseTiming();
        grid.Refill(false, true);
        state.ResumeTiming();
        grid.Sort(kHomeEmailColumn, 0);
    }
}
BENCHMARK(BM_SortTextColumnFresh)->Unit(benchmark::kMillisecond);

// A screen of rows whose cells are made and measured afresh.
void BM_PaintScreen(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    grid.Refill(false, true);
    QPixmap target(grid.size());
    for (auto _ : state) {
        state.PauseTiming();
        for (int row = grid.GetFirstVisibleRow(); row < grid.GetFirstVisibleRow() + 80; ++row)
            grid.UpdateRow(row);
        state.ResumeTiming();
        grid.render(&target);
    }
}
BENCHMARK(BM_PaintScreen)->Unit(benchmark::kMillisecond);

void BM_SelectAllShiftEnd(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    grid.Refill(false, true);
    for (auto _ : state) {
        grid.SelectAll();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ShiftModifier);
        QApplication::sendEvent(&grid, &end);
    }
}
BENCHMARK(BM_SelectAllShiftEnd)->Unit(benchmark::kMillisecond);

void BM_DeleteSelectedRows(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    for (auto _ : state) {
        state.PauseTiming();
        grid.Refill(false, true);
        for (int row = 0; row < kContacts; row += kContacts / kDeleted)
            grid.SetRowState(row, GRS_SELECTED);
        state.ResumeTiming();
        std::vector<int> rows;
        for (int row = grid.GetNextSelectedRow(-1); row >= 0; row = grid.GetNextSelectedRow(row))
            rows.push_back(row);
        grid.DeleteRows(std::move(rows));
        if (grid.GetRowCount() != kContacts - kDeleted)
            state.SkipWithError("rows left");
    }
}
BENCHMARK(BM_DeleteSelectedRows)->Unit(benchmark::kMillisecond);

// The heap the rows hold with the default columns' texts all made.
void BM_RowMemory(benchmark::State& state)
{
    CRGridCtrl& grid = TheStore().Grid();
    double megabytes = 0;
    for (auto _ : state) {
        grid.DeleteAllRows();
        const size_t before = mallinfo2().uordblks;
        grid.Refill(false, true);
        for (int column : grid.GetShownColumns())
            for (int row = 0; row < grid.GetRowCount(); ++row)
                grid.GetCellText(row, column);
        megabytes = double(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    }
    state.counters["rowsMB"] = megabytes;
}
BENCHMARK(BM_RowMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
