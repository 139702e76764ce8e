// Attribute expressions as a user types them: any text, with references that resolve to a
// number, a text or nothing. Parsing and evaluating either give a value or throw the documented
// error; neither may crash, hang on nesting or grow without bound.

#include "core/Error.h"
#include "tessel/Expression.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using tabulon::platform::Error;
    using tabulon::platform::Variant;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto resolve = [](const QString &name) -> Variant {
        if (name.startsWith(u'N')) return 2.5;
        if (name.startsWith(u'T')) return QStringLiteral("text");
        if (name.startsWith(u'B')) return true;
        throw Error(Error::ItemNotFound, QStringLiteral("fuzz"), name);
    };
    try {
        const tessel::Expression expression(text);
        tessel::Environment environment;
        const Variant result = expression.evaluate(resolve, environment);
        if (result.isString() && result.toText().size() > tessel::Expression::maxResultLength)
            __builtin_trap();
    } catch (const Error &) {
    }
    return 0;
}
