#include "encoder/streamencoder.h"

#include <algorithm>
#include <cmath>

#include "encoder/blockswitch.h"
#include "encoder/sideinfo.h"
#include "encoder/weightquant.h"

namespace {

// A sample as the analysis takes it: NaN is silence and everything else ends at full
// scale, as in the decoder's PCM output; beyond it the analysis would overflow to inf and
// NaN, and the weights would have no integer.
double analysable(double x) {
    if (std::isnan(x)) return 0.0;
    return std::clamp(x, -1.0, 1.0);
}

} // namespace

int16_t framewordsforbitrate(double kbps, double fs_khz) {
    const double n = std::floor(1024 * kbps / (fs_khz * 16.0) + 0.5);
    if (std::isnan(n)) return 8; // a NaN rate has no length: the shortest frame
    return static_cast<int16_t>(std::clamp(n, 8.0, 511.0));
}

std::string streamencoder::open(const encodersettings& settings, int channels, int index) {
    std::string problem = checksettings(settings, channels, index);
    if (!problem.empty()) return problem;
    cfg = settings;
    nch = channels;
    srindex = static_cast<int16_t>(index);
    hwords = headerwords_for(cfg.coding.weighton, cfg.coding.weightmode, cfg.coding.jointcoding);
    words = framewordsforbitrate(cfg.bitrate, samplerate_khz(srindex));
    // Two channels: an even payload, one equal slice per channel or the even length the
    // joint readers expect. Shorten by a word, unless that leaves the valid lengths.
    if (nch == 2 && (words - hwords) % 2 != 0)
        words = static_cast<int16_t>(words - 1 >= 8 ? words - 1 : words + 1);
    for (int ch = 0; ch < nch; ch++) {
        if (chans[ch].setup(cfg, srindex) != 0) return "the encoder's arrays could not be allocated";
        history[ch].assign(3 * framelen, 0.0);
    }
    frame.assign(maxframewords + 1, 0);
    scratch.assign(maxframewords + 1, 0);
    const int16_t bands = cfg.codedbands != 0 ? static_cast<int16_t>(cfg.codedbands) : automaticbands();
    for (int ch = 0; ch < nch; ch++) chans[ch].nbandcoded = bands;
    // Integers with room for planes above the top, where a scaled stream may need them.
    const int16_t lift = roomabovetop() ? liftforroom(cfg.coding.weightstep) : int16_t{0};
    for (int ch = 0; ch < nch; ch++) chans[ch].lift = lift;

    header.framelen = framelen;
    header.config = cfg.coding;
    header.headerwords = hwords;
    header.srindex = srindex;
    header.setsizes();
    header.channels = static_cast<int16_t>(nch);
    header.framewords = words;
    header.codedbands = bands;
    pushed = coded = 0;
    pendingshort = false;
    return {};
}

int16_t streamencoder::automaticbands() const {
    if (cfg.coding.runmode == 2) return 32;
    // A plane costs about a bit per 2^r open positions (r = 0 in run mode 0, runparam in
    // run mode 1); keep that to a quarter of the payload.
    const int32_t shift = cfg.coding.runmode == 1 ? cfg.coding.runparam : 0;
    const int64_t affordable = (int64_t{16} * (words - hwords) / 4 << shift) / nch;
    int32_t positions = 0;
    int16_t bands = 0;
    while (bands < 32 && positions + chans[0].bndsize2[bands] <= affordable)
        positions += chans[0].bndsize2[bands++];
    return std::max<int16_t>(bands, 1);
}

void streamencoder::push(const double* const* input, std::vector<uint16_t>& out) {
    for (int ch = 0; ch < nch; ch++) {
        std::vector<double>& h = history[ch];
        std::copy(h.begin() + framelen, h.end(), h.begin());
        std::transform(input[ch], input[ch] + framelen, h.begin() + 2 * framelen, analysable);
    }
    pushed++;
    // Frame t = pushed - 2 has its span (input frames t-1, t) and the look-ahead frame.
    if (pushed >= 2) codeframe(out);
}

void streamencoder::finish(int64_t nsamples, std::vector<uint16_t>& out) {
    const int64_t needed = (nsamples + framelen - 1) / framelen + 1;
    const std::vector<double> silence(framelen, 0.0);
    const double* input[2] = {silence.data(), silence.data()};
    while (coded < needed) push(input, out);
}

void streamencoder::choosemodes() {
    // The first frame is short: a decoder starts as after ALL_SHORT, and a long frame
    // there would put out nothing.
    const bool shortnow = coded == 0 || pendingshort;
    bool shortnext = false;
    if (cfg.blockswitching != 0)
        for (int ch = 0; ch < nch; ch++) {
            const double* span = history[ch].data() + framelen;
            const int32_t len = chans[ch].shortlen;
            shortnext = (hooks.attack ? hooks.attack(span, framelen, len) : hasattack(span, framelen, len)) ||
                        shortnext;
        }
    const int16_t mode = blockmodefor(shortnow, shortnext);
    pendingshort = shortnext;
    for (int ch = 0; ch < nch; ch++) {
        chans[ch].blockmode = mode;
        chans[ch].analyse(history[ch].data());
        chans[ch].lastblockmode = mode;
    }
}

int32_t streamencoder::groupbudget() const {
    // Weights in the side information: at most half the payload goes to it.
    const zatenc& c = chans[0];
    const int32_t payloadbits = 16 * (words - hwords) / (cfg.coding.jointcoding != 0 ? 1 : nch);
    const int32_t pergroup = c.config.weightrefbits + (cfg.coding.weightmode == 0
                                                           ? c.config.weightbits * c.nbandcoded
                                                           : (c.nbandcoded - 1) * (2 + c.config.wparamshort));
    const int32_t fixed = 5 + (c.nblock - 1) + 32;
    return std::max(1, (payloadbits / 2 - fixed) / pergroup);
}

void streamencoder::prepareweights() {
    const bool joint = cfg.coding.jointcoding != 0 && nch == 2;
    const bool shortframe = isshortmode(chans[0].blockmode);
    const int32_t ncoef = chans[0].codedcoefs();
    for (int ch = 0; ch < nch; ch++) {
        zatenc& c = chans[ch];
        std::fill(c.scfres.begin(), c.scfres.end(), int16_t{0});
        c.scfres[0] = 1;
        if (!shortframe) continue;
        const codec* group[2] = {&chans[0], &chans[1]};
        if (joint)
            choosegroups(group, 2, ncoef, cfg.coding.scfresmode, c.scfres.data());
        else
            choosegroups(group + ch, 1, ncoef, cfg.coding.scfresmode, c.scfres.data());
        if (cfg.coding.weighton != 0 && cfg.coding.weightmode != 2) {
            int32_t allowed = groupbudget();
            for (int32_t b = 0; b < c.nblock; b++)
                if (c.scfres[b] != 0 && allowed-- <= 0) c.scfres[b] = 0;
        }
    }
    // The masking model looks at left and right; the other weights at what is coded.
    const bool masking = cfg.tune == encodertune::perceptual && !hooks.weights;
    if (masking)
        for (int ch = 0; ch < nch; ch++) chans[ch].maskweights();
    if (!joint) {
        for (int ch = 0; ch < nch; ch++) {
            chans[ch].measurepeaks();
            if (!masking) chooseweights(chans[ch]);
            chans[ch].realise();
        }
        return;
    }
    // Joint coding: one set of weights for both channels (the decoder gives channel 1
    // channel 0's), as fine as the finer channel needs, applied to sum and difference:
    // the decoder's left is G (s + d) / (sqrt(2) 2147483647), its right G (s - d) / ....
    zatenc& a = chans[0];
    zatenc& b = chans[1];
    const int32_t nblk = a.codedblocks();
    const double root2 = std::sqrt(2.0);
    for (int32_t blk = 0; blk < nblk; blk++)
        for (int32_t i = 0; i < ncoef; i++) {
            const double l = a.mdctbuf[blk][i];
            const double r = b.mdctbuf[blk][i];
            a.mdctbuf[blk][i] = (l + r) / root2;
            b.mdctbuf[blk][i] = (l - r) / root2;
        }
    a.measurepeaks();
    b.measurepeaks();
    if (!masking) {
        chooseweights(a);
        chooseweights(b);
    }
    a.forgroups([&](int32_t g, int32_t) {
        for (int32_t j = 0; j < a.nbandcoded; j++) {
            a.desired[g][j] = std::min(a.desired[g][j], b.desired[g][j]);
            a.peak[g][j] = std::max(a.peak[g][j], b.peak[g][j]);
        }
    });
    realisejoint();
}

void streamencoder::chooseweights(zatenc& c) const {
    c.forgroups([&](int32_t g, int32_t) {
        if (hooks.weights)
            hooks.weights(c.peak[g].data(), c.nbandcoded, c.config.weightstep, c.desired[g].data());
        else
            std::fill(c.desired[g].begin(), c.desired[g].begin() + c.nbandcoded, 0.0); // one level
    });
}

void streamencoder::realisejoint() {
    chans[0].realise();
    chans[1].weight = chans[0].weight;
    chans[1].weightref = chans[0].weightref;
    chans[1].bandgain = chans[0].bandgain;
}

bitplaneconfig streamencoder::planeconfig() const {
    const codingconfig& c = cfg.coding;
    const bool shortframe = isshortmode(chans[0].blockmode);
    bitplaneconfig bp;
    bp.coding = c;
    bp.nchan = c.jointcoding != 0 ? nch : 1;
    bp.scan = shortframe ? c.scanmode : 0;
    bp.inbandweights = c.weighton != 0 && c.weightmode == 2;
    bp.passcrc = c.weightmode == 2 && c.crcon == 1;
    bp.wparam = shortframe ? c.wparamshort : c.wparamlong;
    return bp;
}

void streamencoder::preparecoder(int k) {
    const bool joint = cfg.coding.jointcoding != 0 && nch == 2;
    zatenc& c = chans[k];
    codec* list[2] = {&chans[k], joint ? &chans[1] : nullptr};
    const int16_t planes = joint ? std::max(top[0], top[1]) : top[k];
    coder[k].prepare(list, planeconfig(), c.codedblocks(), c.codedcoefs(), c.nbandcoded, c.bandsizes(),
                     planes);
    prepared[k] = true;
}

void streamencoder::fittoppass() {
    const bitplaneconfig bp = planeconfig();
    if (!bp.inbandweights || !bp.passcrc) return;
    // The top plane's pass must arrive whole, or the decoder conceals the frame. When it
    // would take more than half the payload, the highest band that has a coefficient in it
    // is coded 6 dB coarser, until the pass fits.
    const bool joint = cfg.coding.jointcoding != 0 && nch == 2;
    const int32_t budget = 16 * ((words - hwords) / units());
    for (int k = 0; k < units(); k++) {
        zatenc& c = chans[k];
        codec* list[2] = {&chans[k], joint ? &chans[1] : nullptr};
        const int members = joint ? 2 : 1;
        for (int attempt = 0; attempt < 32; attempt++) {
            const int16_t planes = joint ? std::max(top[0], top[1]) : top[k];
            preparecoder(k);
            if (coder[k].toppasscost(budget / 2) <= budget / 2) break;
            const int32_t* sizes = c.bandsizes();
            const int64_t threshold = int64_t{1} << planes;
            int32_t highest = -1;
            for (int m = 0; m < members; m++)
                for (int32_t b = 0; b < c.codedblocks(); b++)
                    for (int32_t j = 0, i = 0; j < c.nbandcoded; i += sizes[j], j++)
                        for (int32_t q = i; q < i + sizes[j]; q++)
                            if (std::abs(int64_t{list[m]->mdcti[b][q]}) >= threshold)
                                highest = std::max(highest, j);
            if (highest < 0) break;
            c.forgroups([&](int32_t g, int32_t) { c.desired[g][highest] += 6.0 / c.config.weightstep; });
            if (joint)
                realisejoint();
            else
                c.realise();
            for (int m = 0; m < members; m++) top[k + m] = chans[k + m].quantise();
            prepared[k] = false;
        }
    }
}

int streamencoder::units() const {
    return cfg.coding.jointcoding != 0 ? 1 : nch;
}

bool streamencoder::roomabovetop() const {
    const codingconfig& c = cfg.coding;
    const bool passcrc = c.weighton != 0 && c.weightmode == 2 && c.crcon == 1;
    // Empty planes pay where they cost little: all of them within a quarter of the floor's
    // payload (not so under run modes 0 and 1, whose empty pass costs a bit per position
    // or per few).
    int32_t positions = 0;
    for (int16_t j = 0; j < chans[0].nbandcoded; j++) positions += chans[0].bndsize2[j];
    positions *= c.jointcoding != 0 ? nch : 1;
    const int32_t planes = c.fillthreshold + 1;
    return passcrc && floorbits() < 16 * ((words - hwords) / units()) &&
           int64_t{planes} * emptypassbits(c, positions) <= floorbits() / 4;
}

int32_t streamencoder::floorbits() const {
    if (!(cfg.scalefloor > 0.0)) return 16 * maxframewords;
    return 16 * ((framewordsforbitrate(cfg.scalefloor, samplerate_khz(srindex)) - hwords) / units());
}

int16_t streamencoder::raisefor(int k, int16_t planes, int32_t slice) {
    // A decoder that reaches the cut of a scaled stream inside a pass after a weight fails
    // the pass's CRC; within the first fillthreshold + 1 planes it then fills every zero
    // coefficient from the previous frame, which is far worse than the coarser spectrum.
    // So those planes should end within the payload of the floor rate: empty planes above
    // the top move the coefficients' passes down the count.
    const int32_t fillplanes = cfg.coding.fillthreshold + 1;
    const auto most = static_cast<int16_t>(std::min(fillplanes, 30 - planes));
    if (!roomabovetop() || most <= 0) return 0;
    const int32_t floor = floorbits();
    // The first planes as far as the floor: a pass that ends beyond it needs the raise.
    scratchwriter.start(scratch.data(), std::min(slice, floor / 16 + 1));
    coder[k].encode(scratchwriter, 0, fillplanes - 1);
    const int32_t empty = emptypassbits(cfg.coding, coder[k].positions());
    auto endof = [&](int32_t r) { // beyond the floor when the writer ran full before it
        const int32_t end = coder[k].passend(r);
        return end < 0 && scratchwriter.full() ? 16 * slice : end;
    };
    for (int16_t raise = 0; raise < most; raise++) {
        bool fits = true;
        for (int32_t r = 0; r < fillplanes - raise && endof(r) >= 0; r++)
            fits = fits && endof(r) + raise * empty <= floor;
        if (fits) return raise;
    }
    return most;
}

void streamencoder::writepayload() {
    const bool joint = cfg.coding.jointcoding != 0;
    const bool sideinfo = cfg.coding.weighton != 0 && cfg.coding.weightmode != 2;

    const int32_t payload = words - hwords;
    const int coders = joint ? 1 : nch;
    const int32_t slice = payload / coders;
    for (int k = 0; k < coders; k++) {
        uint16_t* start = frame.data() + hwords + k * slice;
        writer.start(start, slice);
        zatenc& first = chans[k];
        int16_t planes = top[k];
        if (joint && nch == 2) planes = std::max(top[0], top[1]);
        if (!prepared[k]) preparecoder(k);
        const int16_t raise = sideinfo ? int16_t{0} : raisefor(k, planes, slice);
        first.topbitplane = static_cast<int16_t>(planes + raise);
        header.bitplanes[k] = first.topbitplane;
        header.crcwords[k] = sideinfo ? writesideinfo(writer, start, first) : 0;
        coder[k].encode(writer, raise);
        writer.finish();
        for (int32_t b = 0; b < first.nblock && b < 16; b++)
            header.groupflags[k][b] = static_cast<int16_t>(first.scfres[b] != 0 ? 1 : 0);
    }
}

void streamencoder::packheader() {
    header.wordbuf = frame.data();
    header.frameindex = static_cast<int16_t>(coded % 16);
    header.blockmode = chans[0].blockmode;
    header.pack();
}

void streamencoder::codeframe(std::vector<uint16_t>& out) {
    choosemodes();
    prepareweights();
    for (int ch = 0; ch < nch; ch++) top[ch] = chans[ch].quantise();
    prepared[0] = prepared[1] = false;
    fittoppass();
    writepayload();
    packheader();
    out.insert(out.end(), frame.begin(), frame.begin() + words);
    coded++;
}
