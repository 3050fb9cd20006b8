// Pins the decoded output bit for bit under bit errors: every damaged frame takes the
// concealment, noise filling and resync paths, whose arithmetic and random draws a faster
// decoder must reproduce exactly. A deliberate change of output updates the checksums,
// with the reason in its commit.
#include <cstdint>
#include <sstream>

#include "app/settings.h"
#include "base/random.h"
#include "driverfixture.h"

namespace {

// 64-bit FNV-1a over the whole WAV file, header included.
uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

struct pinnedrun {
    const char* stream;   // a conformance vector, or the bundled sample
    const char* settings; // name=value pairs
    uint64_t checksum;
};

class decodechecksum : public drivertest {
  protected:
    // The checksum of one run from a fresh document and a fresh random state.
    uint64_t decodechecksumof(const pinnedrun& run) {
        CTonvexDoc doc;
        doc.directory = dir.string();
        std::istringstream pairs(run.settings);
        for (std::string pair; pairs >> pair;) {
            const size_t eq = pair.find('=');
            EXPECT_EQ(setsettingtext(doc, pair.substr(0, eq), pair.substr(eq + 1)), setresult::ok) << pair;
        }
        const std::string name = run.stream;
        doc.bitstreampath =
            name == "test.ztb" ? std::string(TONVEX_SOURCE_DIR) + "/wav/test.ztb" : vectorpath(name);
        doc.wavpath = path("out.wav");
        random_seed(1);
        doc.decodeZAT();
        EXPECT_TRUE(doc.stats.completed) << run.stream << " " << run.settings;
        return fnv1a(readbytes(doc.wavpath));
    }
};

} // namespace

TEST_F(decodechecksum, DamagedStreamsDecodeUnchanged) {
    const pinnedrun runs[] = {
        {"v01-default-48s.ztb", "ber=0.001", 0x860cb343cee98fc1},
        {"v02-sine-441m.ztb", "ber=0.002", 0x9342fe5184d5f288},
        {"v03-clicks-32s.ztb", "ber=0.001", 0x5f3748c0d3236fa1},
        {"v05-separate-48s.ztb", "jointcoding=0 ber=0.001", 0xe7a71aae4f2b3ee5},
        {"v06-wm0-441s.ztb", "weightmode=0 ber=0.001", 0xb5113047872d8bf9},
        {"v07-wm1-48s.ztb", "weightmode=1 ber=0.001", 0x5ea22d6464b0f7aa},
        {"v10-scan2-48s.ztb", "scanmode=2 ber=0.001", 0xf3f4290407c0621e},
        {"v11-run1-48s.ztb", "runmode=1 runparam=2 ber=0.002", 0xd6acb5dbf0431e9a},
        {"v12-inter0-48s.ztb", "chaninterleave=0 ber=0.001", 0xb5ea2a4f454817f0},
        {"test.ztb", "ber=0.002 concealmethod=0", 0x82250f113aaf152},
        {"test.ztb", "ber=0.002 concealmethod=2 reconmode=3", 0x826c552aece99ff5},
        {"test.ztb", "ber=0.002 concealmethod=3 reconmode=2 signstored_on=0", 0x27ce277033ec5160},
    };
    for (const pinnedrun& run : runs) {
        const uint64_t sum = decodechecksumof(run);
        EXPECT_EQ(sum, run.checksum) << run.stream << " " << run.settings << ": now 0x" << std::hex << sum;
    }
}
