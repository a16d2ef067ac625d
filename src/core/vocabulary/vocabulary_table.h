#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace clarivex {

// Each vocabulary enum keeps its texts in one constant table: one row per case, in declaration
// order, the row's case in its member `value`. These lookups serve every such table, so that
// a text is written once and read the same way everywhere.

// Checked at compile time next to each table: the order is what makes rowOf an index.
template <typename Row, std::size_t count>
constexpr bool listsEveryCaseInOrder(const std::array<Row, count>& table) {
    for (std::size_t index = 0; index < count; ++index) {
        if (static_cast<std::size_t>(table[index].value) != index)
            return false;
    }
    return true;
}

template <typename Row, std::size_t count, typename Enum>
constexpr const Row& rowOf(const std::array<Row, count>& table, Enum value) {
    return table.at(static_cast<std::size_t>(value));
}

// The case whose `column` reads exactly `text`, case-sensitive. An empty cell names nothing.
template <typename Row, std::size_t count>
constexpr std::optional<decltype(Row::value)> caseWhere(const std::array<Row, count>& table,
                                                        std::string_view Row::*column,
                                                        std::string_view text) {
    for (const Row& row : table) {
        if (!(row.*column).empty() && row.*column == text)
            return row.value;
    }
    return std::nullopt;
}

} // namespace clarivex
