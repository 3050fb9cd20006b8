// Pins the decoder's output bit for bit: checksums of the bundled sample decoded (and
// scaled) under the settings that reach the most code. An optimisation must leave every
// one unchanged; a deliberate change of output updates them, with the reason in its commit.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/CTonvexDoc.h"
#include "app/framewindow.h"
#include "app/settings.h"
#include "base/message.h"
#include "base/random.h"
#include "fuzz/driverfuzzing.h"
#include "fuzz/fuzzsupport.h"

namespace fs = std::filesystem;

namespace {

// 64-bit FNV-1a over the whole output file, header included.
uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

struct pinned {
    const char* what;
    const char* settings; // name=value pairs
    bool scale;
    uint64_t checksum;
};

// The checksum of the output of one run of the sample from a fresh random state.
uint64_t outputchecksum(const pinned& run, const fs::path& dir) {
    quietrun quiet;
    CTonvexDoc doc;
    std::istringstream pairs(run.settings);
    for (std::string pair; pairs >> pair;) {
        const size_t eq = pair.find('=');
        EXPECT_EQ(setsettingtext(doc, pair.substr(0, eq), pair.substr(eq + 1)), setresult::ok) << pair;
    }
    random_seed(1);
    doc.bitstreampath = (fs::path(TONVEX_SOURCE_DIR) / "wav" / "test.ztb").string();
    const fs::path output = dir / (run.scale ? "out_s.ztb" : "out.wav");
    if (run.scale) {
        doc.scaledpath = output.string();
        doc.scaleZAT();
    } else {
        doc.wavpath = output.string();
        doc.decodeZAT();
    }
    EXPECT_TRUE(doc.stats.completed) << run.what << ": " << quiet.last;
    return fnv1a(readfilebytes(output.string()));
}

} // namespace

TEST(checksum, SampleOutputsUnchanged) {
    const pinned runs[] = {
        {"default decode", "", false, 0x18e639efce8f3c09},
        {"decode with bit errors", "ber=0.001", false, 0x1872f7c400eef5ac},
        {"decode at 48 kbit/s", "outputbitratemode=1 scaledbitrate=48", false, 0x517ffda07513a4eb},
        {"decode without dither", "dither=0", false, 0xbfdfb27c019a083c},
        {"scale to 64 kbit/s", "outputbitratemode=1 scaledbitrate=64", true, 0xe62c5eb63a75cd2c},
    };
    const fs::path dir = fs::temp_directory_path() / "tonvex_checksum_test";
    fs::create_directories(dir);
    for (const pinned& run : runs) {
        const uint64_t sum = outputchecksum(run, dir);
        EXPECT_EQ(sum, run.checksum) << run.what << ": now 0x" << std::hex << sum;
    }
    fs::remove_all(dir);
}
