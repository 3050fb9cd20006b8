#include "encoder/bitplanecoder.h"

#include <cstdlib>

#include "encoder/weightcode.h"

namespace {
// Words of one pass CRC collection; a payload has fewer than 512 words and collection
// stops with the payload, so this never fills.
constexpr size_t crccapacity = 1100;
} // namespace

void bitplanecoder::buildscan(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef,
                              int16_t nband, const int32_t* bandsizes) {
    bandof.assign(ncoef, 0);
    for (int32_t j = 0, start = 0; j < nband; j++) {
        for (int32_t i = start; i < start + bandsizes[j] && i < ncoef; i++) bandof[i] = j;
        start += bandsizes[j];
    }
    // Group leader of every block, per channel; block 0 always leads.
    std::vector<int16_t> leader(2 * nblk);
    for (int32_t ch = 0; ch < cfg.nchan; ch++) {
        int16_t g = 0;
        for (int32_t b = 0; b < nblk; b++) {
            if (b == 0 || chans[ch]->scfres[b] != 0) g = static_cast<int16_t>(b);
            leader[ch * nblk + b] = g;
        }
    }
    entries.clear();
    auto add = [&](int32_t ch, int32_t b, int32_t i) {
        const int32_t c = chans[ch]->mdcti[b][i];
        entries.push_back({static_cast<uint32_t>(std::abs(c)), c < 0, static_cast<int16_t>(ch),
                           leader[ch * nblk + b], static_cast<int16_t>(bandof[i])});
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

void bitplanecoder::emit(bitwriter& out, uint32_t value, int32_t nbits, int32_t level) {
    if (counting) {
        counted += nbits;
        return;
    }
    out.put(value, nbits);
    if (!collecting || level > crclevel || nbits == 0) return;
    if (static_cast<size_t>(crcpacker.wordptr - crcwords.data()) + 2 >= crccapacity) return;
    const auto field = static_cast<int16_t>(static_cast<uint16_t>(value));
    crcpacker.packbits(&field, 1, static_cast<int16_t>(nbits));
}

void bitplanecoder::emitweight(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg,
                               const scanentry& e) {
    const int32_t wc = cfg.coding.weightshare != 0 ? 0 : e.ch;
    const size_t gi = static_cast<size_t>(wc) * nblocks + e.group;
    const int32_t desired = chans[wc]->weight[e.group][e.band];
    int32_t& ref = wref[gi];
    if (nflagged[gi] == 0) {
        // The group's first weight is its reference, sent negated.
        const auto v = static_cast<uint32_t>(-desired);
        emit(out, v, cfg.coding.weightrefbits, 0);
        ref = desired;
        last[wc] = desired;
    } else {
        const int32_t d = desired - ref;
        const weightcode code =
            makeweightcode(weightcodenumber(d, cfg.coding.wsignmode, 0), cfg.wparam, cfg.coding.wstepmode);
        for (int32_t z = code.zeros; z > 0; z -= 16) emit(out, 0, z < 16 ? z : 16, 0);
        emit(out, 1, 1, 0);
        emit(out, code.suffix, code.suffixbits, 0);
        if (cfg.coding.wpredmode == 1) {
            ref = desired;
        } else if (cfg.coding.wpredmode == 2) {
            ref = 2 * desired - last[wc];
            last[wc] = desired;
        }
    }
    // With weightshare the weight counts as received for every channel.
    for (int32_t ch = 0; ch < cfg.nchan; ch++) {
        if (cfg.coding.weightshare == 0 && ch != e.ch) continue;
        const size_t ci = static_cast<size_t>(ch) * nblocks + e.group;
        flagged[ci * nbands + e.band] = 1;
        nflagged[ci]++;
    }
}

void bitplanecoder::significancepass(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg,
                                     int32_t bp) {
    const uint32_t v = 1u << bp;
    const int32_t total = static_cast<int32_t>(entries.size());
    const size_t n = open.size();
    stillopen.clear();
    int32_t kk = cfg.coding.runparam;
    bool channelrestart = false;
    size_t idx = 0;
    const int32_t room = 16 * 512; // a dry run never needs to count further
    auto full = [&] { return counting ? counted > room : out.full(); };
    while (idx < n && !full()) {
        // Channel after channel: the second channel starts with a fresh run parameter.
        if (cfg.nchan == 2 && cfg.coding.chaninterleave == 0 && !channelrestart && open[idx] >= total / 2) {
            kk = cfg.coding.runparam;
            channelrestart = true;
        }
        size_t next = idx;
        for (; next < n; next++) {
            scanentry& e = entries[open[next]];
            if (e.mag < v) continue;
            if (!tail || flagged[(static_cast<size_t>(e.ch) * nblocks + e.group) * nbands + e.band] != 0)
                break;
            if (!counting) e.mag = 0; // its band has no weight: dropped for good
        }
        stillopen.insert(stillopen.end(), open.begin() + idx, open.begin() + next);
        if (next == n) {
            // No new coefficient left: zeros until the decoder's position leaves the list.
            size_t rest = n - idx;
            if (cfg.coding.runmode == 0) {
                for (; rest > 0 && !full(); rest -= rest < 16 ? rest : 16)
                    emit(out, 0, static_cast<int32_t>(rest < 16 ? rest : 16), 1);
            } else if (cfg.coding.runmode == 1) {
                const size_t step = size_t{1} << cfg.coding.runparam;
                for (size_t z = (rest + step - 1) / step; z > 0 && !full(); z--) emit(out, 0, 1, 1);
            } else {
                for (size_t done = 0; done < rest && !full(); done += size_t{1} << kk, kk++)
                    emit(out, 0, 1, 1);
            }
            return;
        }
        // A run of r insignificant positions, then the new coefficient.
        auto r = static_cast<uint32_t>(next - idx);
        if (cfg.coding.runmode == 0) {
            for (; r > 0 && !full(); r -= r < 16 ? r : 16)
                emit(out, 0, static_cast<int32_t>(r < 16 ? r : 16), 1);
            emit(out, 1, 1, 1);
        } else if (cfg.coding.runmode == 1) {
            for (uint32_t z = r >> cfg.coding.runparam; z > 0 && !full(); z--) emit(out, 0, 1, 1);
            emit(out, 1, 1, 1);
            emit(out, r & ((1u << cfg.coding.runparam) - 1), cfg.coding.runparam, 2);
        } else {
            while (r >= (1u << kk) && !full()) {
                emit(out, 0, 1, 1);
                r -= 1u << kk;
                kk++;
            }
            emit(out, 1, 1, 1);
            emit(out, r, kk, 2);
            if (kk > cfg.runparammin) kk--;
        }
        const scanentry& e = entries[open[next]];
        emit(out, e.negative ? 0 : 1, 1, 3);
        sig.push_back(open[next]);
        if (cfg.inbandweights) {
            const size_t ci = static_cast<size_t>(e.ch) * nblocks + e.group;
            if (flagged[ci * nbands + e.band] == 0) emitweight(out, chans, cfg, e);
        }
        idx = next + 1;
    }
    // Cut by the budget: what follows is never read.
    stillopen.insert(stillopen.end(), open.begin() + idx, open.end());
}

int32_t bitplanecoder::passcost(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg, int32_t bp) {
    const size_t known = sig.size();
    const std::vector<uint8_t> savedflags = flagged;
    const std::vector<int32_t> savedcounts = nflagged, savedrefs = wref;
    const int32_t savedlast[2] = {last[0], last[1]};
    counting = true;
    counted = 0;
    significancepass(out, chans, cfg, bp);
    counting = false;
    sig.resize(known);
    flagged = savedflags;
    nflagged = savedcounts;
    wref = savedrefs;
    last[0] = savedlast[0];
    last[1] = savedlast[1];
    return counted + 16;
}

void bitplanecoder::start(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef,
                          int16_t nband, const int32_t* bandsizes) {
    buildscan(chans, cfg, nblk, ncoef, nband, bandsizes);
    const auto total = static_cast<int32_t>(entries.size());
    open.resize(total);
    for (int32_t p = 0; p < total; p++) open[p] = p;
    sig.clear();
    nblocks = nblk;
    nbands = nband;
    flagged.assign(static_cast<size_t>(cfg.nchan) * nblk * nband, 0);
    nflagged.assign(static_cast<size_t>(cfg.nchan) * nblk, 0);
    wref.assign(static_cast<size_t>(cfg.nchan) * nblk, 0);
    last[0] = last[1] = 0;
    crclevel = cfg.coding.crclevel;
    crcwords.assign(crccapacity, 0);
    tail = false;
}

int32_t bitplanecoder::toppasscost(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk,
                                   int32_t ncoef, int16_t nband, const int32_t* bandsizes,
                                   int16_t topbitplane) {
    if (topbitplane <= 0) return 0;
    start(chans, cfg, nblk, ncoef, nband, bandsizes);
    bitwriter unused;
    return passcost(unused, chans, cfg, topbitplane);
}

void bitplanecoder::encode(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg, int32_t nblk,
                           int32_t ncoef, int16_t nband, const int32_t* bandsizes, int16_t topbitplane) {
    start(chans, cfg, nblk, ncoef, nband, bandsizes);

    // A top plane of 0 carries nothing: the decoders read no coefficient data then.
    if (topbitplane <= 0) return;
    for (int32_t bp = topbitplane; bp >= 0 && !out.full(); bp--) {
        const size_t known = sig.size(); // refined in this plane
        if (cfg.passcrc) {
            crcpacker.wordbuf = crcwords.data();
            crcpacker.resetbits();
            crcpacker.curword = 0;
            collecting = true;
        }
        auto refine = [&] {
            for (size_t k = 0; k < known && !out.full(); k++) out.put((entries[sig[k]].mag >> bp) & 1u, 1);
        };
        if (cfg.coding.refinefirst != 0) refine();
        // The top plane has no weight yet to keep: cut, it costs the frame either way.
        if (!tail && cfg.passcrc && cfg.inbandweights && cfg.coding.crclevel <= 0 && bp < topbitplane)
            tail = passcost(out, chans, cfg, bp) > out.bitsleft();
        significancepass(out, chans, cfg, bp);
        open.swap(stillopen);
        if (cfg.passcrc) {
            collecting = false;
            crcpacker.flushbits();
            const auto nwords = static_cast<uint32_t>(crcpacker.wordptr - crcwords.data());
            out.put(crcpacker.crc16(crcwords.data(), nwords), 16);
        }
        if (cfg.coding.refinefirst == 0) refine();
    }
}
