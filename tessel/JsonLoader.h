#pragma once

#include "Collection.h"
#include "ErrorNumbers.h"
#include "Export.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace tessel {

// Object files: a JSON object {"name": ..., "attributes": [...]}, one object per attribute,
// described in docs/tessel-json.md. Every problem throws platform::Error with the number
// BadObjectFile and a description that names the origin, the place and what is wrong:
//   demo.json:4:17: unterminated string              (JSON syntax: line and column)
//   demo.json: attributes[2].dataType: must be 1, 2, 3 or 4, got 7     (meaning: JSON path)

// Reads an object file; `path` is the origin in messages.
TESSEL_EXPORT std::shared_ptr<Collection> loadCollection(const QString &path);

// Reads an object from JSON text; `origin` names it in messages.
TESSEL_EXPORT std::shared_ptr<Collection> parseCollection(const QByteArray &json,
                                                          const QString &origin);

// A new copy of the built-in sample object, a pump housing that has one attribute of every
// kind the control shows differently. Its JSON is the resource defaultObjectPath.
TESSEL_EXPORT std::shared_ptr<Collection> defaultCollection();

inline constexpr char16_t defaultObjectPath[] = u":/tessel/default-object.json";

} // namespace tessel
