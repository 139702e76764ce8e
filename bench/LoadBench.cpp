// Loading an object into the editor, against a baseline: a minimal table model over a
// std::vector of the same rows, shown in a QTableView.
//
// Load/N and Baseline/N stand side by side. Load/N also reports ratio_to_baseline (its time per
// load over the baseline's, measured in the same run) and bytes_per_row (heap held by the
// loaded table and grid, per row).

#include "bench/BenchSupport.h"

#include "control/ctlAttributes.h"
#include "platform/Variant.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

struct Row {
    QString name;
    QString value;
};

class VectorModel : public QAbstractTableModel
{
public:
    void setRows(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const Row &r = m_rows[std::size_t(index.row())];
        return index.column() == 0 ? r.name : r.value;
    }

private:
    std::vector<Row> m_rows;
};

// The baseline's load: read the rows the editor would show and hand them to the view.
void baselineLoad(const tessel::Collection &object, VectorModel &model, QTableView &view)
{
    std::vector<Row> rows;
    rows.reserve(std::size_t(object.count()));
    object.forEach([&](tabulon::Attribute &a) {
        if (a.isVisible())
            rows.push_back({a.displayName(), a.value().toText()});
    });
    view.setModel(nullptr);
    model.setRows(std::move(rows));
    view.setModel(&model);
}

using Clock = std::chrono::steady_clock;

double baselineSecondsPerLoad(const tessel::Collection &object, int loads)
{
    VectorModel model;
    QTableView view;
    view.resize(600, 400);
    view.show();
    baselineLoad(object, model, view); // warm-up
    const auto start = Clock::now();
    for (int i = 0; i < loads; ++i)
        baselineLoad(object, model, view);
    return std::chrono::duration<double>(Clock::now() - start).count() / loads;
}

void Load(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const auto object = bench::makeObject(rows);
    tabulon::ctlAttributes editor;
    editor.setShowUnits(true);
    editor.resize(600, 400);
    editor.show();

    const std::size_t before = bench::heapInUse();
    editor.setDataSource(object);
    const std::size_t after = bench::heapInUse();

    std::int64_t loads = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        editor.setDataSource(object);
        ++loads;
    }
    const double perLoad = std::chrono::duration<double>(Clock::now() - start).count() / double(loads);
    const int baselineLoads = int(std::max<std::int64_t>(3, std::min<std::int64_t>(loads, 20)));
    state.counters["ratio_to_baseline"] = perLoad / baselineSecondsPerLoad(*object, baselineLoads);
    state.counters["bytes_per_row"] = double(after > before ? after - before : 0) / rows;
    state.SetItemsProcessed(state.iterations() * rows);
}

void Baseline(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const auto object = bench::makeObject(rows);
    VectorModel model;
    QTableView view;
    view.resize(600, 400);
    view.show();

    const std::size_t before = bench::heapInUse();
    baselineLoad(*object, model, view);
    const std::size_t after = bench::heapInUse();

    for (auto _ : state)
        baselineLoad(*object, model, view);
    state.counters["bytes_per_row"] = double(after > before ? after - before : 0) / rows;
    state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(Load)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
