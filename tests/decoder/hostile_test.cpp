// Random payloads under random (also unusual) settings: the decoder must neither trap nor
// leave its arrays, whatever the bits and the header values say (run under the sanitizers).
// Damaged weights may give inf or NaN samples.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/message.h"
#include "tests/decoder/channelfixture.h"

TEST(HostileInput, RandomFramesAndSettingsNeverTrap) {
    const messagehandler previous = setmessagehandler([](const std::string&) {});
    std::mt19937 random(11);
    auto pick = [&](int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(random() % (hi - lo + 1)); };
    channelfixture f;
    std::vector<double> out(1024, 0.0);
    f.dec.setsamplerate(7);
    f.dec.setbands();
    f.dec.outbuf = out.data();
    for (int trial = 0; trial < 300; ++trial) {
        // A frame buffer as the driver has it: header, payload, room for the largest frame.
        std::vector<uint16_t> framebuf(1022);
        for (uint16_t& w : framebuf) w = static_cast<uint16_t>(random());
        f.dec.wordbuf = framebuf.data() + 5;
        f.dec.payloadwords = static_cast<int16_t>(pick(-3, 600));
        f.dec.budgetmode = pick(0, 1);
        f.dec.decodewords = static_cast<int16_t>(pick(-5, 700));
        f.dec.ratescale = pick(0, 3) * 0.7;
        f.dec.blockmode = static_cast<int16_t>(pick(0, 3));
        f.dec.nbandcoded = static_cast<int16_t>(pick(1, 32));
        f.dec.topbitplane = static_cast<int16_t>(pick(0, 31));
        f.dec.sidecrcwords = static_cast<int16_t>(pick(0, 255));
        f.dec.scfres.assign(8, 0);
        for (int16_t& flag : f.dec.scfres) flag = static_cast<int16_t>(pick(0, 1));
        f.dec.weighton = pick(0, 1);
        f.dec.weightmode = pick(0, 2);
        f.dec.crcon = pick(0, 1);
        f.dec.crclevel = pick(0, 3);
        f.dec.scfresmode = pick(0, 2);
        f.dec.scanmode = pick(0, 2);
        f.dec.runmode = pick(0, 2);
        f.dec.runparam = pick(0, 17);
        f.dec.refinefirst = pick(0, 1);
        f.dec.reconmode = pick(0, 4);
        f.dec.wstepmode = pick(0, 1);
        f.dec.wsignmode = pick(0, 2);
        f.dec.wpredmode = pick(0, 2);
        f.dec.wparamshort = pick(0, 20);
        f.dec.wparamlong = pick(0, 20);
        f.dec.weightbits = static_cast<int16_t>(pick(1, 16));
        f.dec.weightrefbits = static_cast<int16_t>(pick(0, 16));
        f.dec.framelost = pick(0, 9) == 0;
        f.dec.decode_frame();
    }
    setmessagehandler(previous);
}
