// Loading an object into the editor, against a baseline: a minimal table model over a
// std::vector of the same rows (the twelve values the editor keeps per attribute, read and
// formatted as it does), shown in a QTableView.
//
// Load/N and Baseline/N stand side by side. Load/N also reports ratio_to_baseline (its time per
// load over the baseline's, measured in the same run) and bytes_per_row (heap held by the
// loaded table and grid, per row).

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

struct Row {
    QString name;
    QString displayName;
    QString dataType;
    QString unitsType;
    QString displayUnits;
    bool visible;
    bool editable;
    Variant rawValue;
    Variant value;
    QString allowableValues;
    bool valueSet;
    bool expression;
};

// The shown value as the editor shows it: booleans as True/False, enumerations by display
// text, reals with their unit, anything else as it is.
Variant shownValue(const tabulon::Attribute &a, const QString &units)
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
        return text.isEmpty() ? x : Variant(text);
    }
    if (a.unitsCode() == 16 || a.dataType() != tabulon::adtReal) return x;
    return tabulon::platform::numberToText(x.toDouble()) + QLatin1Char(' ') + units;
}

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
        return index.column() == 0 ? r.displayName : r.value.toText();
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
        if (!a.isVisible()) return;
        const QString units = a.unitsText();
        rows.push_back({a.name(), a.displayName(), QString::number(a.dataType()), units, units,
                        a.isVisible(), a.isEditable(), a.rawValue(), shownValue(a, units),
                        a.allowableValues(), a.isValueSet(), a.isExpression()});
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

BENCHMARK(Load)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(300000)->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(300000)->Unit(benchmark::kMillisecond);

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
