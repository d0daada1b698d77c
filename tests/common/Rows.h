#pragma once
// Table rows of parameterised tests, named by their name field in test names and in failures.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace test_rows {

template <class Row> std::string NameOf(const Row &row) {
    if constexpr (requires { row.name; })
        return std::string(row.name);
    else
        return std::string(row.Name);
}

// The row-name generator for INSTANTIATE_TEST_SUITE_P.
inline constexpr auto RowName = [](const auto &info) { return NameOf(info.param); };

// How GoogleTest prints a row: by its name. A test file brings it into the rows' namespace with
// `using test_rows::PrintTo;` so that argument-dependent lookup finds it.
template <class Row>
requires(
    requires(const Row &r) { r.name; } ||
    requires(const Row &r) { r.Name; }) void PrintTo(const Row &row, std::ostream *out) {
    *out << NameOf(row);
}

} // namespace test_rows
