// Expression evaluation in the stand-in host library.
//
// DoublingChain/N loads an object whose attribute A0 is 1 and each A_k is "[A_{k-1}]+[A_{k-1}]",
// from its JSON text, and reads every value, as the editor's load does. Without memoised
// results the top level alone would take 2^N steps.
//
// Reevaluate/N changes the one attribute that 100 expressions refer to, on an object of N
// attributes, and reads the 100 expressions; each refers to 5 attributes spread over the
// object. ReparseAndEvaluate/N gives the 100 expressions new texts first, so that each is parsed
// and its references resolved again.

#include "bench/BenchSupport.h"

#include "tessel/JsonLoader.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

QByteArray doublingChain(int levels)
{
    QByteArray json = R"({"attributes": [{"name": "A0", "dataType": 3, "value": 1})";
    for (int k = 1; k <= levels; ++k)
        json += QStringLiteral(R"(, {"name": "A%1", "dataType": 3, "expression": true, )"
                               R"("value": "[A%2]+[A%2]"})")
                    .arg(k)
                    .arg(k - 1)
                    .toUtf8();
    return json + "]}";
}

void DoublingChain(benchmark::State &state)
{
    const QByteArray json = doublingChain(int(state.range(0)));
    for (auto _ : state) {
        const auto object = tessel::parseCollection(json, QStringLiteral("chain.json"));
        object->forEach([](tabulon::Attribute &a) { benchmark::DoNotOptimize(a.value()); });
    }
}
BENCHMARK(DoublingChain)->Arg(1000)->Unit(benchmark::kMillisecond);

constexpr int kExpressions = 100;

struct Object
{
    explicit Object(int attributes) : object(bench::makeObject(attributes))
    {
        input = object->add(QStringLiteral("Input"), 3);
        input->setValue(1.0);
        // Real attributes (every fifth from the second, see makeObject) spread over the object.
        const auto real = [&](int k, int j) {
            const int index = (k * 7919 + j * 104729) % (attributes - 5);
            return object->at(std::size_t(index - index % 5 + 1))->name();
        };
        for (int k = 0; k < kExpressions; ++k) {
            auto a = object->add(QStringLiteral("E%1").arg(k), 3);
            a->setExpression(true);
            texts.push_back(QStringLiteral("[Input] * 2 + [%1] - [%2] / 4 + Abs([%3]) + [%4]")
                                .arg(real(k, 1), real(k, 2), real(k, 3), real(k, 4)));
            a->setValue(texts.back());
            expressions.push_back(a);
        }
    }

    double readAll() const
    {
        double sum = 0;
        for (const auto &e : expressions)
            sum += e->value().toDouble();
        return sum;
    }

    std::shared_ptr<tessel::Collection> object;
    std::shared_ptr<tessel::Attribute> input;
    std::vector<std::shared_ptr<tessel::Attribute>> expressions;
    std::vector<QString> texts;
};

void Reevaluate(benchmark::State &state)
{
    Object o(int(state.range(0)));
    double value = 1;
    o.readAll();
    for (auto _ : state) {
        o.input->setValue(value += 1);
        benchmark::DoNotOptimize(o.readAll());
    }
}
BENCHMARK(Reevaluate)->Arg(100000)->Unit(benchmark::kMicrosecond);

void ReparseAndEvaluate(benchmark::State &state)
{
    Object o(int(state.range(0)));
    bool spaced = false;
    for (auto _ : state) {
        // Two spellings of each text, so that every iteration parses anew.
        spaced = !spaced;
        for (int k = 0; k < kExpressions; ++k)
            o.expressions[std::size_t(k)]->setValue(spaced ? o.texts[std::size_t(k)] + u' '
                                                           : o.texts[std::size_t(k)]);
        benchmark::DoNotOptimize(o.readAll());
    }
}
BENCHMARK(ReparseAndEvaluate)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
