#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <string>

// The test name of a table row: its pszName, each character a name cannot hold made '_'.
struct CaseName {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const {
        std::string s = info.param.pszName;
        for (char& c : s)
            if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return s;
    }
};
