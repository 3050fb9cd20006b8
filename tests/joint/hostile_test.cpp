// Random joint payloads under random settings: no trap, no read outside the frame
// buffer (run under the sanitizers). Damaged weights may give inf or NaN samples.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/message.h"
#include "tests/joint/jointfixture.h"

TEST(JointHostileInput, RandomFramesAndSettingsNeverTrap) {
    const messagehandler previous = setmessagehandler([](const std::string&) {});
    std::mt19937 random(5);
    auto pick = [&](int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(random() % (hi - lo + 1)); };
    jointfixture f;
    for (zatdec& c : f.channels) c.setbands();
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<uint16_t> framebuf(1022);
        for (uint16_t& w : framebuf) w = static_cast<uint16_t>(random());
        jzatdec& j = f.joint;
        j.wordbuf = framebuf.data() + 5;
        j.nchan = static_cast<int16_t>(pick(1, 2));
        j.payloadwords = static_cast<int16_t>(pick(-3, 600));
        j.budgetmode = pick(0, 1);
        j.decodewords = static_cast<int16_t>(pick(-5, 700));
        j.blockmode = static_cast<int16_t>(pick(0, 3));
        j.nbandcoded = static_cast<int16_t>(pick(1, 32));
        j.topbitplane = static_cast<int16_t>(pick(0, 31));
        j.sidecrcwords = static_cast<int16_t>(pick(0, 255));
        for (int16_t& flag : j.scfres[0]) flag = static_cast<int16_t>(pick(0, 1));
        j.weighton = pick(0, 1);
        j.weightmode = pick(0, 2);
        j.weightshare = pick(0, 1);
        j.crcon = pick(0, 1);
        j.crclevel = pick(0, 3);
        j.scanmode = pick(0, 2);
        j.chaninterleave = pick(0, 1);
        j.runmode = pick(0, 2);
        j.runparam = pick(0, 17);
        j.refinefirst = pick(0, 1);
        j.reconmode = pick(0, 4);
        j.wstepmode = pick(0, 1);
        j.wsignmode = pick(0, 2);
        j.wpredmode = pick(0, 2);
        j.wparamshort = pick(0, 20);
        j.wparamlong = pick(0, 20);
        j.weightrefbits = static_cast<int16_t>(pick(0, 16));
        j.framelost = pick(0, 9) == 0;
        j.decode_frame();
        for (int ch = 0; ch < j.nchan; ++ch) {
            j.handover(f.channels[ch]);
            f.channels[ch].output_frame();
        }
    }
    setmessagehandler(previous);
}
