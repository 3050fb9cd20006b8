#pragma once
// A test with a document in a fresh folder of its own, the random source at the state a
// fresh program has, the frame window stood in for (its drawing goes nowhere) and the
// messages recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "base/random.h"
#include "tests/support/messages.h"
#include "tests/support/scratchdir.h"

class documenttest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = freshtestdir("tonvex");
        doc.random.seed(1);
        doc.hooks.messages = messages.sink();
        doc.window = &window;
        doc.directory = dir.string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // A file name inside the test's folder.
    std::string path(const std::string& name) const { return (dir / name).string(); }

    messagerecorder messages;
    blankwindow window;
    CTonvexDoc doc;
    std::filesystem::path dir;
};
