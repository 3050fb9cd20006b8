#pragma once
// Document settings from text, as the command line's --set takes them: "name=value ...".
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/CTonvexDoc.h"
#include "app/settings.h"

inline void applysettings(CTonvexDoc& doc, const std::string& settings) {
    std::istringstream pairs(settings);
    for (std::string pair; pairs >> pair;) {
        const size_t eq = pair.find('=');
        ASSERT_NE(eq, std::string::npos) << pair;
        ASSERT_EQ(setsettingtext(doc, pair.substr(0, eq), pair.substr(eq + 1)), setresult::ok) << pair;
    }
}
