#include "bench/BenchSupport.h"

#include "tessel/Attribute.h"

#include <malloc.h>

namespace bench {

std::shared_ptr<tessel::Collection> makeObject(int rows)
{
    auto object = std::make_shared<tessel::Collection>();
    for (int i = 0; i < rows; ++i) {
        const QString name = QStringLiteral("Attribute%1").arg(i);
        switch (i % 5) {
        case 0: {
            auto a = object->add(name, tabulon::adtText);
            a->setValue(QStringLiteral("Text value %1").arg(i));
            break;
        }
        case 1: {
            auto a = object->add(name, tabulon::adtReal);
            a->setUnitsText(QStringLiteral("mm"));
            a->setValue(i * 0.25);
            break;
        }
        case 2: {
            auto a = object->add(name, tabulon::adtInteger);
            a->setValue(i);
            break;
        }
        case 3: {
            auto a = object->add(name, tabulon::adtBoolean);
            a->setValue(i % 2 == 0);
            break;
        }
        default: {
            auto a = object->add(name, tabulon::adtText);
            a->setEnumeration({{QStringLiteral("r"), QStringLiteral("Red")},
                               {QStringLiteral("g"), QStringLiteral("Green")}});
            a->setAllowableValues(QStringLiteral("enumeration"));
            a->setValue(QStringLiteral("g"));
            break;
        }
        }
    }
    return object;
}

std::size_t heapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace bench
