// Loading an object into a shown editor, as a user waits for it, against a hand-written model.
//
// FirstLoad/N: each iteration builds a new object of N attributes (not timed) and times
// setDataSource() on a shown control until the event loop is quiet and the window has been
// painted once. The previous object outlives the timed part on both sides, so that neither
// pays for the host freeing its objects.
//
// HandWritten/N: the same, for what a competent Qt developer writes by hand: one
// QAbstractTableModel over a vector of the two shown strings (name and shown value, read and
// formatted as the editor formats them), one QTableView that keeps its model, and a load that
// is beginResetModel()/endResetModel() around filling the vector.
//
// Reload/N: the same object loaded again into the same control, painted. Kept apart from the
// first load: the object's texts are then hot and the previous table's rows are written over.
//
// Each reports bytes_per_row: heap taken by the first load (table, grid and model, not the
// object), from glibc's allocator statistics, per row.

#include "bench/BenchSupport.h"

#include "control/ctlAttributes.h"
#include "core/NumberText.h"
#include "core/Variant.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

using tabulon::platform::Variant;
using Clock = std::chrono::steady_clock;

// The shown value as the editor shows it: booleans as True/False, enumerations by display
// text, reals with their unit, anything else as it is.
QString shownValue(const tabulon::Attribute &a)
{
    if (a.dataType() == tabulon::adtBoolean)
        return a.value().toBool() ? QStringLiteral("True") : QStringLiteral("False");
    Variant x;
    try {
        x = a.evaluatedValue();
    } catch (const std::exception &e) {
        x = QString::fromUtf8(e.what());
    }
    if (a.enumerationCount() > 0) {
        const QString text = a.displayText(x.toText());
        return text.isEmpty() ? x.toText() : text;
    }
    if (a.unitsCode() == 16 || a.dataType() != tabulon::adtReal) return x.toText();
    return tabulon::platform::numberToText(x.toDouble()) + QLatin1Char(' ') + a.unitsText();
}

class ShownModel final : public QAbstractTableModel
{
public:
    void load(const tessel::Collection &object)
    {
        beginResetModel();
        m_rows.clear();
        m_rows.reserve(std::size_t(object.count()));
        object.forEach([this](tabulon::Attribute &a) {
            if (a.isVisible()) m_rows.push_back({a.displayName(), shownValue(a)});
        });
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const Row &r = m_rows[std::size_t(index.row())];
        return index.column() == 0 ? r.name : r.value;
    }

private:
    struct Row {
        QString name;
        QString value;
    };
    std::vector<Row> m_rows;
};

// Lets pending layouts and paints run, then paints the window once more into a pixmap, so
// that the rows on screen have been read and drawn.
void paint(QWidget &window)
{
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

// Times `load` on a new object per iteration; reports bytes_per_row of the first load.
template <typename Load> void timeFirstLoads(benchmark::State &state, QWidget &window, Load load)
{
    const int rows = int(state.range(0));
    window.resize(600, 400);
    window.show();
    paint(window);
    std::shared_ptr<tessel::Collection> previous;
    bool first = true;
    for (auto _ : state) {
        auto object = bench::makeObject(rows);
        const std::size_t before = bench::heapInUse();
        const auto start = Clock::now();
        load(object);
        paint(window);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (first) {
            const std::size_t after = bench::heapInUse();
            state.counters["bytes_per_row"] = double(after > before ? after - before : 0) / rows;
            first = false;
        }
        previous = std::move(object);
    }
}

void FirstLoad(benchmark::State &state)
{
    tabulon::ctlAttributes editor;
    editor.setShowUnits(true);
    timeFirstLoads(state, editor, [&](const auto &object) { editor.setDataSource(object); });
}

void HandWritten(benchmark::State &state)
{
    ShownModel model;
    QTableView view;
    view.setModel(&model);
    timeFirstLoads(state, view, [&](const auto &object) { model.load(*object); });
}

void Reload(benchmark::State &state)
{
    const auto object = bench::makeObject(int(state.range(0)));
    tabulon::ctlAttributes editor;
    editor.setShowUnits(true);
    editor.resize(600, 400);
    editor.show();
    editor.setDataSource(object);
    paint(editor);
    for (auto _ : state) {
        editor.setDataSource(object);
        paint(editor);
    }
}

void loadSizes(benchmark::internal::Benchmark *b)
{
    b->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

// A new object of a million attributes takes longer to build than to load: a few loads each.
BENCHMARK(FirstLoad)->Apply(loadSizes)->UseManualTime()->Iterations(5);
BENCHMARK(HandWritten)->Apply(loadSizes)->UseManualTime()->Iterations(5);
BENCHMARK(Reload)->Apply(loadSizes);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
