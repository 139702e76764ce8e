#pragma once

// The attribute table's layout: its twelve fields in the order the table appends them, and
// the row of one attribute. Internal to the control.

#include "core/AttributeSource.h"
#include "core/Export.h"
#include "core/Variant.h"
#include "platform/RecordSet.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace tabulon {

/// The fields of the attribute table, by position.
enum AttributeField : int {
    fName,
    fDisplayName,
    fDataType,
    fUnitsType,
    fDisplayUnits,
    fVisible,
    fEditable,
    fRawValue,
    fValue,
    fAllowableValues,
    fValueSet,
    fExpression,
    kFieldCount
};

/// The name of a field, as the table and the grid's columns know it ("Name", "DisplayName", ...).
TABULON_AUTOTEST_EXPORT const QString &fieldName(AttributeField field);

/// A new, open, empty attribute table with the twelve fields, each accepting null; the five
/// text fields hold at most 255 characters.
TABULON_AUTOTEST_EXPORT std::unique_ptr<platform::RecordSet> createAttributeTable();

/// One row's values, in field order.
using AttributeRow = std::array<platform::Variant, kFieldCount>;

/// The data-type code as the table stores it: its decimal text.
TABULON_AUTOTEST_EXPORT QString dataTypeText(std::int32_t code);

/// The 0-based row whose "Name" is `name` (exact comparison), from `from` on; -1 when none.
TABULON_AUTOTEST_EXPORT int rowOfName(const platform::RecordSet &table, const QString &name, int from = 0);

/// The rows of an attribute table whose "Expression" holds true, in row order, kept up to date
/// as rows are added and written through any cursor over the table.
class TABULON_AUTOTEST_EXPORT ExpressionRows final : public platform::RecordSetObserver
{
public:
    ExpressionRows() = default;
    ExpressionRows(const ExpressionRows &) = delete;
    ExpressionRows &operator=(const ExpressionRows &) = delete;
    ~ExpressionRows() override;

    /// Follows `table` (not owned; nullptr: none) from now on, starting from the rows it has.
    /// The table must outlive the following, or be followed no more before it goes.
    void follow(platform::RecordSet *table);
    const std::vector<int> &rows() const { return m_rows; }

    void rowsAppended(int first, int last) override;
    void valueChanged(int row, int field) override;

private:
    void update(int row);

    platform::RecordSet *m_table = nullptr;
    std::vector<int> m_rows;
};

} // namespace tabulon
