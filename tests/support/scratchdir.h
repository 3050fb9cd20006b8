#pragma once
// A fresh, empty folder of the running test, named after its suite and test
// (parameterised names have '/', which becomes '_') and the process, so that test runs
// of two checkouts at once never share a folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

inline std::filesystem::path freshtestdir(const std::string& area) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / area / (name + "." + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}
