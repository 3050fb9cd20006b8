// Pins the decoded (and scaled) output bit for bit: checksums of whole output files under
// the settings and bit errors that reach the most code, concealment, noise filling and
// resynchronisation included. An optimisation must leave every one unchanged; a deliberate
// change of output updates them, with the reason in its commit.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CTonvexDoc.h"
#include "base/random.h"
#include "fuzz/fuzzsupport.h"
#include "tests/support/files.h"
#include "tests/support/scratchdir.h"
#include "tests/support/settings.h"

namespace fs = std::filesystem;

namespace {

struct pinned {
    const char* stream;   // a conformance vector, or the bundled sample
    const char* settings; // name=value pairs
    bool scale;
    uint64_t checksum;
};

// The checksum of the output of one run from a fresh document and random state.
uint64_t outputchecksum(const pinned& run, const fs::path& dir) {
    quietrun quiet;
    CTonvexDoc doc;
    quiet.attach(doc);
    applysettings(doc, run.settings);
    doc.random.seed(1);
    const std::string name = run.stream;
    doc.bitstreampath = name == "test.ztb" ? std::string(TONVEX_SOURCE_DIR) + "/wav/test.ztb"
                                           : std::string(TONVEX_VECTOR_DIR) + "/" + name;
    const fs::path output = dir / (run.scale ? "out_s.ztb" : "out.wav");
    if (run.scale) {
        doc.scaledpath = output.string();
        doc.scaleZAT();
    } else {
        doc.wavpath = output.string();
        doc.decodeZAT();
    }
    EXPECT_TRUE(doc.stats.completed) << run.stream << " " << run.settings << ": " << quiet.last;
    return fnv1a(readbytes(output.string()));
}

} // namespace

TEST(checksum, OutputsUnchanged) {
    const pinned runs[] = {
        {"test.ztb", "", false, 0x18e639efce8f3c09},
        {"test.ztb", "ber=0.001", false, 0x1872f7c400eef5ac},
        {"test.ztb", "outputbitratemode=1 scaledbitrate=48", false, 0x517ffda07513a4eb},
        {"test.ztb", "dither=0", false, 0xbfdfb27c019a083c},
        {"test.ztb", "outputbitratemode=1 scaledbitrate=64", true, 0xe62c5eb63a75cd2c},
        {"test.ztb", "ber=0.002 concealmethod=0", false, 0x82250f113aaf152},
        {"test.ztb", "ber=0.002 concealmethod=2 reconmode=3", false, 0x826c552aece99ff5},
        {"test.ztb", "ber=0.002 concealmethod=3 reconmode=2 signstored_on=0", false, 0x27ce277033ec5160},
        {"v01-default-48s.ztb", "ber=0.001", false, 0x860cb343cee98fc1},
        {"v02-sine-441m.ztb", "ber=0.002", false, 0x9342fe5184d5f288},
        {"v03-clicks-32s.ztb", "ber=0.001", false, 0x5f3748c0d3236fa1},
        {"v05-separate-48s.ztb", "jointcoding=0 ber=0.001", false, 0xe7a71aae4f2b3ee5},
        {"v06-wm0-441s.ztb", "weightmode=0 ber=0.001", false, 0xb5113047872d8bf9},
        {"v07-wm1-48s.ztb", "weightmode=1 ber=0.001", false, 0x5ea22d6464b0f7aa},
        {"v10-scan2-48s.ztb", "scanmode=2 ber=0.001", false, 0xf3f4290407c0621e},
        {"v11-run1-48s.ztb", "runmode=1 runparam=2 ber=0.002", false, 0xd6acb5dbf0431e9a},
        {"v12-inter0-48s.ztb", "chaninterleave=0 ber=0.001", false, 0xb5ea2a4f454817f0},
    };
    const fs::path dir = freshtestdir("tonvex_checksum");
    for (const pinned& run : runs) {
        const uint64_t sum = outputchecksum(run, dir);
        EXPECT_EQ(sum, run.checksum) << run.stream << " " << run.settings << ": now 0x" << std::hex << sum;
    }
    fs::remove_all(dir);
}
