#include "encoder/bitplanecoder.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "encoder/weightcode.h"

namespace {
// Words of one pass CRC collection; a payload has fewer than 512 words and collection
// stops with the payload, so this never fills.
constexpr size_t crccapacity = 1100;

// Set bits of x, without a call into the runtime where the target has no instruction.
int32_t ones(uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int32_t>((x * 0x0101010101010101u) >> 56);
}
} // namespace

void bitplanecoder::prepare(codec* const* list, const bitplaneconfig& config, int32_t nblk, int32_t ncoef,
                            int16_t nband, const int32_t* bandsizes, int16_t topbitplane) {
    chans[0] = list[0];
    chans[1] = config.nchan == 2 ? list[1] : nullptr;
    cfg = config;
    top = std::max<int16_t>(topbitplane, 0);
    nblocks = nblk;
    nbands = nband;
    buildscan(nblk, ncoef, nband, bandsizes);
    sortbyplane();
}

void bitplanecoder::buildscan(int32_t nblk, int32_t ncoef, int16_t nband, const int32_t* bandsizes) {
    bandof.assign(ncoef, 0);
    for (int32_t j = 0, start = 0; j < nband; j++) {
        for (int32_t i = start; i < start + bandsizes[j] && i < ncoef; i++)
            bandof[i] = static_cast<int16_t>(j);
        start += bandsizes[j];
    }
    // Group leader of every block, per channel; block 0 always leads.
    leader.resize(2 * static_cast<size_t>(nblk));
    for (int32_t ch = 0; ch < cfg.nchan; ch++) {
        int16_t g = 0;
        for (int32_t b = 0; b < nblk; b++) {
            if (b == 0 || chans[ch]->scfres[b] != 0) g = static_cast<int16_t>(b);
            leader[ch * nblk + b] = g;
        }
    }
    // Counted by plane on the way, for sortbyplane.
    planestart.assign(static_cast<size_t>(top) + 2, 0);
    entries.resize(static_cast<size_t>(cfg.nchan) * nblk * ncoef);
    scanentry* next = entries.data();
    auto add = [&](int32_t ch, int32_t b, int32_t i) {
        const int32_t c = chans[ch]->mdcti[b][i];
        const auto mag = static_cast<uint32_t>(std::abs(c));
        const int32_t plane = mag == 0 ? -1 : std::min<int32_t>(std::bit_width(mag) - 1, top);
        planestart[plane + 1]++;
        *next++ = {
            mag,      c < 0, static_cast<int8_t>(plane), static_cast<int16_t>(ch), leader[ch * nblk + b],
            bandof[i]};
    };
    // Groups [s, e) of a channel, in order.
    auto forgroups = [&](int32_t ch, auto&& body) {
        for (int32_t s = 0; s < nblk;) {
            int32_t e = s + 1;
            while (e < nblk && chans[ch]->scfres[e] == 0) e++;
            body(s, e);
            s = e;
        }
    };
    if (cfg.nchan == 1 || cfg.coding.chaninterleave == 0) {
        for (int32_t ch = 0; ch < cfg.nchan; ch++) {
            if (cfg.scan == 0)
                for (int32_t b = 0; b < nblk; b++)
                    for (int32_t i = 0; i < ncoef; i++) add(ch, b, i);
            else if (cfg.scan == 1)
                for (int32_t i = 0; i < ncoef; i++)
                    for (int32_t b = 0; b < nblk; b++) add(ch, b, i);
            else
                forgroups(ch, [&](int32_t s, int32_t e) {
                    for (int32_t i = 0; i < ncoef; i++)
                        for (int32_t b = s; b < e; b++) add(ch, b, i);
                });
        }
    } else {
        if (cfg.scan == 0)
            for (int32_t b = 0; b < nblk; b++)
                for (int32_t i = 0; i < ncoef; i++)
                    for (int32_t ch = 0; ch < cfg.nchan; ch++) add(ch, b, i);
        else if (cfg.scan == 1)
            for (int32_t i = 0; i < ncoef; i++)
                for (int32_t b = 0; b < nblk; b++)
                    for (int32_t ch = 0; ch < cfg.nchan; ch++) add(ch, b, i);
        else
            forgroups(0, [&](int32_t s, int32_t e) {
                for (int32_t i = 0; i < ncoef; i++)
                    for (int32_t b = s; b < e; b++)
                        for (int32_t ch = 0; ch < cfg.nchan; ch++) add(ch, b, i);
            });
    }
}

void bitplanecoder::sortbyplane() {
    // Counting sort of the scan positions by plane (counted by buildscan, coefficients
    // that never become significant first), so that each plane's list stays in scan order.
    const auto total = static_cast<int32_t>(entries.size());
    planestart[0] = 0; // the zeros are not kept
    for (int32_t bp = 0; bp <= top; bp++) planestart[bp + 1] += planestart[bp];
    byplane.resize(planestart[top + 1]);
    std::vector<int32_t>& fill = openwords; // scratch until reset counts
    fill.assign(planestart.begin(), planestart.end());
    for (int32_t p = 0; p < total; p++)
        if (const int32_t bp = entries[p].plane; bp >= 0) byplane[fill[bp]++] = p;
}

void bitplanecoder::reset() {
    const auto total = static_cast<int32_t>(entries.size());
    openmask.assign(static_cast<size_t>(total / 64 + 1), ~uint64_t{0});
    openmask.back() = (uint64_t{1} << (total % 64)) - 1;
    openwords.resize(openmask.size());
    countopen();
    sig.clear();
    weights.flagged.assign(static_cast<size_t>(cfg.nchan) * nblocks * nbands, 0);
    weights.nflagged.assign(static_cast<size_t>(cfg.nchan) * nblocks, 0);
    weights.wref.assign(static_cast<size_t>(cfg.nchan) * nblocks, 0);
    weights.last[0] = weights.last[1] = 0;
    crclevel = cfg.coding.crclevel;
    crcwords.assign(crccapacity, 0);
    tail = false;
}

inline int32_t bitplanecoder::openbefore(int32_t p) const {
    const auto w = static_cast<size_t>(p >> 6);
    return openwords[w] + ones(openmask[w] & ((uint64_t{1} << (p & 63)) - 1));
}

void bitplanecoder::countopen() {
    int32_t n = 0;
    for (size_t w = 0; w < openmask.size(); w++) {
        openwords[w] = n;
        n += ones(openmask[w]);
    }
}

void bitplanecoder::collect(uint32_t value, int32_t nbits) {
    if (static_cast<size_t>(crcpacker.next - crcwords.data()) + 4 >= crccapacity) return;
    crcpacker.put(value, nbits);
}

void bitplanecoder::emitzeros(bitwriter& out, int32_t n, int32_t level) {
    for (; n > 0; n -= 32) emit(out, 0, n < 32 ? n : 32, level);
}

int32_t endzeros(const codingconfig& c, int32_t rest, int32_t kk) {
    if (c.runmode == 0) return rest;
    if (c.runmode == 1) return (rest + (1 << c.runparam) - 1) >> c.runparam;
    int32_t zeros = 0;
    for (int32_t covered = 0; covered < rest; covered += 1 << kk, kk++) zeros++;
    return zeros;
}

int32_t emptypassbits(const codingconfig& c, int32_t positions) {
    return endzeros(c, positions, c.runparam) + 16;
}

void bitplanecoder::emitweight(bitwriter& out, const scanentry& e) {
    const int32_t wc = cfg.coding.weightshare != 0 ? 0 : e.ch;
    const size_t gi = static_cast<size_t>(wc) * nblocks + e.group;
    const int32_t desired = chans[wc]->weight[e.group][e.band];
    int32_t& ref = weights.wref[gi];
    if (weights.nflagged[gi] == 0) {
        // The group's first weight is its reference, sent negated.
        const auto v = static_cast<uint32_t>(-desired);
        emit(out, v, cfg.coding.weightrefbits, 0);
        ref = desired;
        weights.last[wc] = desired;
    } else {
        const int32_t d = desired - ref;
        const weightcode code =
            makeweightcode(weightcodenumber(d, cfg.coding.wsignmode, 0), cfg.wparam, cfg.coding.wstepmode);
        emitzeros(out, code.zeros, 0);
        emit(out, 1, 1, 0);
        emit(out, code.suffix, code.suffixbits, 0);
        if (cfg.coding.wpredmode == 1) {
            ref = desired;
        } else if (cfg.coding.wpredmode == 2) {
            ref = 2 * desired - weights.last[wc];
            weights.last[wc] = desired;
        }
    }
    // With weightshare the weight counts as received for every channel.
    for (int32_t ch = 0; ch < cfg.nchan; ch++) {
        if (cfg.coding.weightshare == 0 && ch != e.ch) continue;
        const size_t ci = static_cast<size_t>(ch) * nblocks + e.group;
        weights.flagged[ci * nbands + e.band] = 1;
        weights.nflagged[ci]++;
    }
}

void bitplanecoder::significancepass(bitwriter& out, int32_t bp) {
    const auto total = static_cast<int32_t>(entries.size());
    const int32_t nopen = openbefore(total);
    const int32_t firsthalf = openbefore(total / 2); // open positions of the first channel
    // The one, run suffix and sign of a new coefficient in one field, unless the pass CRC
    // takes some of them and not the others.
    const bool whole = !collecting || crclevel < 1 || crclevel >= 3;
    int32_t kk = cfg.coding.runparam;
    bool channelrestart = false;
    int32_t done = 0; // open positions passed (runs and new coefficients)
    // Planes above the top (raise) have no new coefficients.
    int32_t k = bp <= top ? planestart[bp] : 0;
    const int32_t end = bp <= top ? planestart[bp + 1] : 0;
    auto full = [&] { return counting ? counted > countlimit : out.full(); };
    while (done < nopen && !full()) {
        // Channel after channel: the second channel starts with a fresh run parameter.
        if (cfg.nchan == 2 && cfg.coding.chaninterleave == 0 && !channelrestart && done >= firsthalf) {
            kk = cfg.coding.runparam;
            channelrestart = true;
        }
        // In the tail, a coefficient whose band has no weight is dropped for good.
        while (k < end && tail && !hasweight(entries[byplane[k]])) k++;
        if (k == end) {
            // No new coefficient left: zeros until the decoder's position leaves the list.
            emitzeros(out, endzeros(cfg.coding, nopen - done, kk), 1);
            return;
        }
        // A run of r insignificant positions (zeros, a one and a suffix), then the sign.
        const int32_t position = byplane[k++];
        const int32_t before = openbefore(position);
        auto r = static_cast<uint32_t>(before - done);
        int32_t zeros = 0, suffixbits = 0;
        if (cfg.coding.runmode == 0) {
            zeros = static_cast<int32_t>(r);
            r = 0;
        } else if (cfg.coding.runmode == 1) {
            zeros = static_cast<int32_t>(r >> cfg.coding.runparam);
            r &= (1u << cfg.coding.runparam) - 1;
            suffixbits = cfg.coding.runparam;
        } else {
            for (; r >= (1u << kk); kk++, zeros++) r -= 1u << kk;
            suffixbits = kk;
            if (kk > cfg.runparammin) kk--;
        }
        const scanentry& e = entries[position];
        const uint32_t sign = e.negative ? 0 : 1;
        if (whole) {
            const uint32_t code = (((1u << suffixbits) | r) << 1) | sign;
            if (zeros + suffixbits + 2 <= 32) {
                emit(out, code, zeros + suffixbits + 2, 1);
            } else {
                emitzeros(out, zeros, 1);
                emit(out, code, suffixbits + 2, 1);
            }
        } else {
            emitzeros(out, zeros, 1);
            emit(out, 1, 1, 1);
            emit(out, r, suffixbits, 2);
            emit(out, sign, 1, 3);
        }
        sig.push_back(position);
        if (cfg.inbandweights && !hasweight(e)) emitweight(out, e);
        done = before + 1;
    }
}

void bitplanecoder::refine(bitwriter& out, size_t known, int32_t bp) {
    // 32 bits at a time: the writer keeps the leading bits of a field it cuts.
    for (size_t k = 0; k < known && !out.full();) {
        const size_t n = std::min<size_t>(32, known - k);
        uint32_t bits = 0;
        for (const size_t e = k + n; k < e; k++) bits = bits << 1 | ((entries[sig[k]].mag >> bp) & 1u);
        out.put(bits, static_cast<int32_t>(n));
    }
}

int32_t bitplanecoder::toppasscost(int32_t limit) {
    if (top <= 0) return 0;
    reset();
    counting = true;
    counted = 0;
    countlimit = limit - 16;
    significancepass(idle, top);
    counting = false;
    return counted + 16;
}

void bitplanecoder::encode(bitwriter& out, int16_t raise, int32_t lastpass) {
    reset();
    ends.clear();
    // A top plane of 0 carries nothing: the decoders read no coefficient data then.
    if (top <= 0) return;
    const int32_t first = top + raise;
    for (int32_t bp = first; bp >= 0 && first - bp <= lastpass && !out.full(); bp--) {
        const size_t known = sig.size(); // refined in this plane
        if (cfg.coding.refinefirst != 0) refine(out, known, bp);
        // The top plane has no weight yet to keep: cut, it costs the frame either way. A
        // coding of the first passes only keeps them whole up to the writer's end.
        const bool trial = !tail && cfg.passcrc && cfg.inbandweights && cfg.coding.crclevel <= 0 &&
                           bp < first && lastpass >= first;
        const bitwriter::mark before = out.position();
        if (trial) saved = weights;
        crcpacker.start(crcwords.data());
        collecting = cfg.passcrc;
        significancepass(out, bp);
        if (trial && out.bitsleft() < 16) {
            // The pass and its CRC word do not fit: the tail starts with this pass.
            out.rewind(before);
            sig.resize(known);
            std::swap(weights, saved);
            tail = true;
            crcpacker.start(crcwords.data());
            significancepass(out, bp);
        }
        for (size_t k = known; k < sig.size(); k++) close(sig[k]);
        countopen();
        if (cfg.passcrc) {
            collecting = false;
            crcpacker.flush();
            const auto nwords = static_cast<uint32_t>(crcpacker.next - crcwords.data());
            out.put(out.crc16(crcwords.data(), nwords), 16);
        }
        ends.push_back(out.bitsused());
        if (cfg.coding.refinefirst == 0) refine(out, known, bp);
    }
}
