// Decodes every decode row of MANIFEST.tsv with its settings and compares the WAV file
// byte for byte with the expected one; scales every scale row and compares the
// bitstream. A difference names the vector, the first differing sample (frame, channel,
// index) or word, and both values.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "base/random.h"
#include "engine/settings.h"
#include "tests/support/scratchdir.h"
#include "tests/support/messages.h"

namespace {

struct vectorrow {
    std::string name, stream, expected, settings;
    bool scale() const { return name.rfind("s", 0) == 0; }
};

// Test names and failure reports show the vector by its name.
void PrintTo(const vectorrow& row, std::ostream* out) {
    *out << row.name;
}

// Vectors known to disagree with the codec's own rules, with the reason; empty while
// every vector passes.
const std::map<std::string, std::string> expectedfailures = {};

std::string vectordir() {
    return TONVEX_VECTOR_DIR;
}

std::vector<vectorrow> readmanifest(const std::string& dir = vectordir()) {
    std::ifstream in(dir + "/MANIFEST.tsv");
    std::vector<vectorrow> rows;
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        if (fields.size() < 3) continue;
        rows.push_back({fields[0], fields[1], fields[2], fields.size() > 3 ? fields[3] : ""});
    }
    return rows;
}

std::vector<unsigned char> readbytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int little16(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
}

// Where two WAV files first differ, as frame, channel and index of the sample.
std::string wavdifference(const std::vector<unsigned char>& got, const std::vector<unsigned char>& want) {
    const size_t common = std::min(got.size(), want.size());
    size_t at = 0;
    while (at < common && got[at] == want[at]) at++;
    std::ostringstream text;
    if (at == common) {
        text << "length " << got.size() << " bytes, expected " << want.size();
        return text.str();
    }
    if (at < 44) {
        text << "header byte " << at << ": " << int(got[at]) << ", expected " << int(want[at]);
        return text.str();
    }
    const int nch = std::max(1, little16(want, 22));
    const size_t sample = (at - 44) / 2;
    const size_t perchannel = sample / static_cast<size_t>(nch);
    text << "frame " << perchannel / 1024 << ", channel " << sample % static_cast<size_t>(nch) << ", index "
         << perchannel % 1024 << ": " << little16(got, 44 + 2 * sample) << ", expected "
         << little16(want, 44 + 2 * sample);
    return text.str();
}

std::string streamdifference(const std::vector<unsigned char>& got, const std::vector<unsigned char>& want) {
    const size_t common = std::min(got.size(), want.size());
    size_t at = 0;
    while (at < common && got[at] == want[at]) at++;
    std::ostringstream text;
    if (at == common) {
        text << "length " << got.size() << " bytes, expected " << want.size();
        return text.str();
    }
    text << "word " << at / 2 << ": 0x" << std::hex << little16(got, at & ~size_t{1}) << ", expected 0x"
         << little16(want, at & ~size_t{1});
    return text.str();
}

class conformance : public ::testing::TestWithParam<vectorrow> {
  protected:
    void SetUp() override {
        dir = freshtestdir("tonvex_conformance");
        doc.window = &window;
        doc.hooks.messages = messages.sink();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    blankwindow window;
    messagerecorder messages;
    CTonvexDoc doc;
    std::filesystem::path dir;
};

TEST_P(conformance, MatchesTheExpectedOutputByteForByte) {
    const vectorrow& row = GetParam();
    std::istringstream pairs(row.settings);
    for (std::string pair; pairs >> pair;) {
        const size_t equals = pair.find('=');
        ASSERT_NE(equals, std::string::npos) << pair;
        const std::string name = pair.substr(0, equals);
        const setresult result = setsettingtext(doc, name, pair.substr(equals + 1));
        ASSERT_EQ(result, setresult::ok) << settingerror(result, name);
    }
    doc.bitstreampath = vectordir() + "/" + row.stream;
    const std::string output = (dir / (row.scale() ? "out.ztb" : "out.wav")).string();
    doc.random.seed(1);
    if (row.scale()) {
        doc.scaledpath = output;
        doc.scaleZAT();
    } else {
        doc.wavpath = output;
        doc.decodeZAT();
    }
    EXPECT_TRUE(doc.stats.completed);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();

    const auto got = readbytes(output);
    const auto want = readbytes(vectordir() + "/" + row.expected);
    ASSERT_FALSE(want.empty()) << row.expected;
    const bool same = got == want;
    const auto failure = expectedfailures.find(row.name);
    if (failure != expectedfailures.end()) {
        EXPECT_FALSE(same) << row.name << " now passes: take it off the expected failures";
        if (!same) GTEST_SKIP() << "expected failure: " << failure->second;
        return;
    }
    if (!same)
        ADD_FAILURE() << row.name << ": first difference at "
                      << (row.scale() ? streamdifference(got, want) : wavdifference(got, want));
}

// The shared set only ever grows; its copy here must not fall behind.
TEST(conformancecopy, HoldsEveryRowOfTheSharedManifest) {
    const std::string shared = TONVEX_SHARED_VECTOR_DIR;
    if (!std::filesystem::exists(shared + "/MANIFEST.tsv")) GTEST_SKIP() << "no shared vectors at " << shared;
    const auto fields = [](const vectorrow& row) {
        return row.stream + '\t' + row.expected + '\t' + row.settings;
    };
    std::map<std::string, std::string> local;
    for (const vectorrow& row : readmanifest()) local[row.name] = fields(row);
    const auto rows = readmanifest(shared);
    ASSERT_FALSE(rows.empty());
    for (const vectorrow& row : rows) {
        const auto found = local.find(row.name);
        EXPECT_TRUE(found != local.end() && found->second == fields(row))
            << row.name << " is missing or differs here: copy " << shared << " again";
        for (const std::string& file : {row.stream, row.expected})
            EXPECT_TRUE(readbytes(vectordir() + "/" + file) == readbytes(shared + "/" + file))
                << file << " of " << row.name << " is missing or differs here";
    }
}

INSTANTIATE_TEST_SUITE_P(vectors, conformance, ::testing::ValuesIn(readmanifest()),
                         [](const ::testing::TestParamInfo<vectorrow>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

} // namespace
