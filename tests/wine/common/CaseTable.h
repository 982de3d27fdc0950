#pragma once

// A table of named cases, each run as a test of its own (one CTest entry per row):
//
//   struct EncodeCase : NamedCase { UINT codePage; std::wstring text; };
//   using AnsiEncode = CaseTest<EncodeCase>;
//   TEST_P(AnsiEncode, WritesExactBytes) { const EncodeCase& c = GetParam(); ... }
//   CASE_TABLE(Texts, AnsiEncode, EncodeCase{{"Empty"}, 1252, L""}, ...);
//
// A row prints as its name, in test names and in failure messages.

#include <gtest/gtest.h>

#include <ostream>

struct NamedCase
{
    const char* name;
};

inline std::ostream& operator<<(std::ostream& os, const NamedCase& c)
{
    return os << c.name;
}

template <class Case>
class CaseTest : public ::testing::TestWithParam<Case>
{
};

struct CaseName
{
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const
    {
        return info.param.name;
    }
};

#define CASE_TABLE(prefix, suite, ...)                                                                                 \
    INSTANTIATE_TEST_SUITE_P(prefix, suite, ::testing::Values(__VA_ARGS__), CaseName())
#define CASE_TABLE_IN(prefix, suite, container)                                                                        \
    INSTANTIATE_TEST_SUITE_P(prefix, suite, ::testing::ValuesIn(container), CaseName())
