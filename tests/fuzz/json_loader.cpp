// Object files as a host hands them over: any bytes. The loader either gives a collection
// whose every attribute answers its reads, or throws its one documented error.

#include "core/Error.h"
#include "tessel/Collection.h"
#include "tessel/JsonLoader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using tabulon::platform::Error;
    std::shared_ptr<tessel::Collection> object;
    try {
        object = tessel::parseCollection(
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
            QStringLiteral("fuzz.json"));
    } catch (const Error &) {
        return 0;
    }
    object->forEach([](tabulon::Attribute &a) {
        try {
            (void)a.name();
            (void)a.displayText(a.value().toText());
            (void)a.evaluatedValue();
        } catch (const Error &) {
        }
    });
    return 0;
}
