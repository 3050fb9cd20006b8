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

class windowstandin {
  public:
    windowstandin() : previous(setmainframewindow(&window)) {}
    ~windowstandin() { setmainframewindow(previous); }
    windowstandin(const windowstandin&) = delete;
    windowstandin& operator=(const windowstandin&) = delete;

  private:
    struct silentwindow : framewindow {
        void windowinitL(int32_t) override {}
        void windowinfoL() override {}
    } window;
    framewindow* previous;
};

class documenttest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = freshtestdir("tonvex");
        random_seed(1);
        doc.directory = dir.string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // A file name inside the test's folder.
    std::string path(const std::string& name) const { return (dir / name).string(); }

    messagerecorder messages;
    windowstandin window;
    CTonvexDoc doc;
    std::filesystem::path dir;
};
