#include "codec/decoder/significance.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "base/message.h"
#include "base/targetclones.h"
#include "codec/decoder/bitwindow.h"
#include "codec/decoder/fieldreader.h"

void scanlayout::setgroups(const std::vector<int16_t>& flags) {
    int32_t start = 0;
    for (int32_t b = 0; b < nblk; ++b) {
        const bool starts = b == 0 || (b < static_cast<int32_t>(flags.size()) && flags[b] != 0);
        if (starts) start = b;
        leader[b] = start;
    }
    int32_t end = nblk;
    for (int32_t b = nblk - 1; b >= 0; --b) {
        groupend[b] = end;
        if (leader[b] == b) end = b;
    }
}

scanlayout makescanlayout(int32_t nchan, int32_t chaninterleave, int32_t nblk, int32_t ncoef, int32_t scan,
                          const zatdec& channel0) {
    scanlayout layout;
    layout.nchan = std::clamp<int32_t>(nchan, 1, scanlayout::maxchannels);
    layout.chaninterleave = chaninterleave;
    const int32_t rows = std::min<int32_t>(static_cast<int32_t>(channel0.mdcti.size()), channel0.nblock);
    layout.nblk = std::clamp<int32_t>(nblk, 0, std::min<int32_t>(rows, scanlayout::maxblocks));
    const int32_t rowlength = channel0.mdcti.empty() ? 0 : static_cast<int32_t>(channel0.mdcti[0].size());
    layout.ncoef = layout.nblk == 0 ? 0 : std::clamp<int32_t>(ncoef, 0, rowlength);
    layout.scan = scan;
    layout.setgroups(channel0.scfres);
    return layout;
}

namespace {

// Inlined into the pass loop, which is built for several instruction sets (a plain call
// would not be).
[[gnu::always_inline]] inline coefplace place(const scanlayout& layout, int32_t i) {
    // Positions are never negative, so halving and powers of two are shifts and masks;
    // the common layouts (one or two channels, one long block, eight short blocks) take
    // no division.
    coefplace at;
    int32_t r; // position within the channel's own scan
    if (layout.nchan == 1) {
        r = i;
    } else if (layout.chaninterleave == 0) {
        const int32_t perchannel = layout.nblk * layout.ncoef;
        at.ch = i / perchannel;
        r = i - at.ch * perchannel;
    } else if (layout.nchan == 2) {
        at.ch = i & 1;
        r = i >> 1;
    } else {
        at.ch = i % layout.nchan;
        r = i / layout.nchan;
    }
    if (layout.scan == 1) {
        if (std::has_single_bit(static_cast<uint32_t>(layout.nblk))) {
            at.block = r & (layout.nblk - 1);
            at.coef = r >> std::countr_zero(static_cast<uint32_t>(layout.nblk));
        } else {
            at.block = r % layout.nblk;
            at.coef = r / layout.nblk;
        }
    } else if (layout.scan == 2) {
        // Group [g, e) holds positions g*ncoef .. e*ncoef-1, coefficient by coefficient.
        const int32_t t = r / layout.ncoef;
        const int32_t g = layout.leader[t];
        const int32_t width = layout.groupend[t] - g;
        const int32_t offset = r - g * layout.ncoef;
        at.coef = offset / width;
        at.block = g + offset % width;
    } else if (layout.nblk == 1) {
        at.coef = r; // within the one block
    } else {
        at.block = r / layout.ncoef;
        at.coef = r % layout.ncoef;
    }
    at.group = layout.leader[at.block];
    return at;
}

} // namespace

coefplace locate(const scanlayout& layout, int32_t i) {
    return place(layout, i);
}

namespace {

// A pass never holds more bits than the largest payload (a frame has at most 511 words),
// which also keeps one pass's CRC stream inside the 512 words of crcbuf.
constexpr int32_t maxpassbits = 16 * 511;
constexpr int32_t crcwordbits = 16;
// Field levels of the pass CRC: a field is collected when crclevel >= its level.
constexpr int32_t levelweight = 0, levelzerorun = 1, levelremainder = 2, levelsign = 3;
constexpr int32_t allchannels = -1;

// Byte i of the result holds the number of set bits in bytes 0..i of x, so the top byte
// is the count of the whole word.
uint64_t runningbytecounts(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return x * 0x0101010101010101ull;
}

// selectinbyte[v][r]: the position of the (r+1)-th set bit of the byte v (8 when v has
// fewer set bits).
constexpr std::array<std::array<uint8_t, 8>, 256> selectinbyte = [] {
    std::array<std::array<uint8_t, 8>, 256> table{};
    for (int32_t v = 0; v < 256; ++v) {
        int32_t rank = 0;
        for (auto& entry : table[v]) entry = 8;
        for (int32_t bit = 0; bit < 8; ++bit)
            if ((v >> bit) & 1) table[v][rank++] = static_cast<uint8_t>(bit);
    }
    return table;
}();

// Whether the processor deposits bits in one fast instruction (BMI2's pdep; AMD's Zen 1
// and Zen 2 cores run it in microcode, far slower than the table below). Builds that
// test the baseline kernels use the table everywhere.
bool fastbitdeposit() {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(TONVEX_BASELINE_KERNELS)
    return __builtin_cpu_supports("bmi2") && !__builtin_cpu_is("znver1") && !__builtin_cpu_is("znver2");
#else
    return false;
#endif
}

// The position of the count-th set bit of x (1 <= count <= its set bits): with deposit,
// the lowest set bit of 2^(count-1) deposited into the set bits of x; otherwise from the
// running byte counts of x, without a branch: the first byte whose running count
// reaches count (bytes compared all at once: the counts are below 128), then the table.
int32_t selectbit(uint64_t x, int32_t count, bool deposit) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (deposit) {
        // As an instruction of its own, so that the baseline build of this loop can hold
        // it too; it runs only where the processor has it.
        uint64_t placed;
        asm("pdep %2, %1, %0" : "=r"(placed) : "r"(uint64_t{1} << (count - 1)), "rm"(x));
        return std::countr_zero(placed);
    }
#endif
    const uint64_t sums = runningbytecounts(x);
    constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const uint64_t reached = ((sums | highs) - static_cast<uint64_t>(count) * ones) & highs;
    const int32_t byte = std::countr_zero(reached) >> 3;
    const auto below = static_cast<int32_t>(((sums << 8) >> (8 * byte)) & 0xFF); // set bits in lower bytes
    const auto value = static_cast<uint8_t>(x >> (8 * byte));
    return 8 * byte + selectinbyte[value][count - below - 1];
}

template <class T> void ensuresize(std::vector<T>& v, size_t n) {
    if (v.size() < n) v.resize(n);
}

// 2^k as the 16-bit signed step count of a zero run: 2^15 wraps to -32768 and wider
// powers to 0, and a count below 1 steps nowhere.
int32_t runsteps(int32_t k) {
    if (k < 0 || k >= 16) return 0;
    return static_cast<int16_t>(1 << k);
}

// A reconstruction offset, floor(x + 0.5); from hostile settings a NaN has no integer
// and is 0, and a value beyond 32 bits stops at the limit.
int32_t roundoffset(double x) {
    const double r = std::floor(x + 0.5);
    if (std::isnan(r)) return 0;
    return static_cast<int32_t>(std::clamp(r, -2147483647.0, 2147483647.0));
}

class passdecoder {
  public:
    passdecoder(bitstream& reader, passworkspace& ws, uint16_t* crcbuf, int16_t payloadwords,
                zatdec* channels, const scanlayout& layout, const passsettings& settings,
                const passvariant& variant)
        : reader(reader), crcbuf(crcbuf), payloadwords(payloadwords), channels(channels), layout(layout),
          s(settings), v(variant), ws(ws), total(layout.length()),
          nband(std::clamp<int32_t>(settings.args.nband, 0, channels[0].nbandmax)),
          code{settings.args.wparam, settings.config.wstepmode, settings.config.wsignmode,
               settings.config.weightbits, variant.accumulatorbits} {}

    passresult run();

  private:
    bitstream& reader;
    uint16_t* crcbuf;
    int16_t payloadwords;
    zatdec* channels;
    const scanlayout& layout;
    const passsettings& s;
    const passvariant& v;
    passworkspace& ws;
    const int32_t total;
    const int32_t nband; // coded bands, within the weight arrays
    const bool deposit = fastbitdeposit();
    const weightcodeparams code;
    int32_t bits = 0;
    int32_t bp = 0;
    int32_t mask = 0;
    int32_t nsig = 0;
    passresult result;
    std::array<int32_t, scanlayout::maxchannels * scanlayout::maxblocks>
        groupweights{};                                  // bands with a weight
    std::array<int16_t, scanlayout::maxchannels> last{}; // last weight per weight channel (linear prediction)
    // Each channel's coefficient rows by block and weight-flag rows by group, at
    // channel * maxblocks + block: one load per coefficient instead of two.
    std::array<int32_t*, scanlayout::maxchannels * scanlayout::maxblocks> coefrows{};
    std::array<int16_t*, scanlayout::maxchannels * scanlayout::maxblocks> flagrows{};

    void prepare();
    uint32_t read(int32_t nbits, int32_t level) {
        return v.crcprotected ? readfield(reader, nbits, level) : readfield(reader, nbits);
    }
    // The position reached by stepping count times to the next open position after p
    // (total when the list runs out first).
    int32_t advance(int32_t p, int64_t count) const {
        // Most steps go to the next open position in the same word.
        if (count == 1 && p >= -1 && p + 1 < total) {
            const int32_t q = p + 1;
            const uint64_t after = ws.open[q >> 6] & (~uint64_t{0} << (q & 63));
            if (after != 0) return (q & ~63) + std::countr_zero(after);
        }
        return advancefar(p, count);
    }
    int32_t advancefar(int32_t p, int64_t count) const;
    void close(int32_t p) { ws.open[p >> 6] &= ~(uint64_t{1} << (p & 63)); }
    void refinementpass(int32_t count);
    void significancepass();
    bool windowedrun(bitwindow& window, bool& held, int32_t& p, int32_t& k, bool single);
    void newcoefficient(int32_t p);
    struct placed {
        coefplace at;
        int32_t band;
        bool weightfollows; // the band's first coefficient in its group: its weight follows
    };
    placed addcoefficient(int32_t p, uint32_t sign);
    void decodeweight(const coefplace& at, int32_t band);
    void flag(int32_t wch, int32_t group, int32_t band);
    void dropcutfield();
    void checkcrc();
    void reconstruct();
    void eraseunconfirmed();
};

void passdecoder::prepare() {
    for (int32_t ch = 0; ch < layout.nchan; ++ch) {
        for (std::vector<int16_t>& row : channels[ch].weightflag)
            std::fill(row.begin(), row.end(), int16_t{0});
        for (int32_t b = 0; b < layout.nblk; ++b) {
            coefrows[ch * scanlayout::maxblocks + b] = channels[ch].mdcti[b].data();
            flagrows[ch * scanlayout::maxblocks + b] = channels[ch].weightflag[b].data();
        }
    }

    const size_t nwords = (static_cast<size_t>(total) + 63) / 64;
    ensuresize(ws.open, nwords);
    std::fill_n(ws.open.begin(), nwords, ~uint64_t{0});
    if (total % 64 != 0) ws.open[nwords - 1] = (uint64_t{1} << (total % 64)) - 1;

    ensuresize(ws.sigcoef, static_cast<size_t>(total));
    ensuresize(ws.sigmagnitude, static_cast<size_t>(total));
    ensuresize(ws.signegative, static_cast<size_t>(total));
    ensuresize(ws.sigband, static_cast<size_t>(total));
    ensuresize(ws.sigdepth, static_cast<size_t>(total));
    ensuresize(ws.sigbp, static_cast<size_t>(total));

    // Band of every coefficient index, from the running sums of the band sizes.
    ensuresize(ws.coefband, static_cast<size_t>(layout.ncoef));
    ensuresize(ws.bandstart, static_cast<size_t>(nband) + 1);
    int32_t start = 0;
    for (int32_t j = 0; j < nband; ++j) {
        ws.bandstart[j] = start;
        start += std::max(s.args.bandsizes[j], 0);
    }
    ws.bandstart[nband] = start;
    // Each coefficient's band is the last band starting at or before it (band 0 without
    // bands): coefficients past the coded bands count to the last one.
    std::fill_n(ws.coefband.begin(), layout.ncoef, 0);
    for (int32_t j = 0; j < nband; ++j) {
        const int32_t from = std::min(ws.bandstart[j], layout.ncoef);
        const int32_t to = j + 1 < nband ? std::min(ws.bandstart[j + 1], layout.ncoef) : layout.ncoef;
        std::fill(ws.coefband.begin() + from, ws.coefband.begin() + to, j);
    }
    ws.pending.clear();
}

passresult passdecoder::run() {
    prepare();
    bp = s.topbitplane;
    if (bp > 30) {
        // 2^31 does not fit a coefficient: the frame cannot be decoded, as if its top-plane
        // CRC had failed.
        result.crcerror = 1;
        result.crcerrorpos = 0;
        return result;
    }
    bits = std::clamp(s.args.budget, 0, maxpassbits);
    if (bp == 0) bits = 0; // a frame whose top plane is 0 carries no coefficients
    while (bp >= 0 && bits > 0) {
        mask = 1 << bp;
        const int32_t before = nsig; // coefficients found in earlier planes
        if (v.crcprotected) {
            reader.crcptr = crcbuf;
            reader.crcbitpos = 0;
            reader.crcacc = 0;
        }
        if (s.config.refinefirst != 0) refinementpass(before);
        significancepass();
        if (v.crcprotected) checkcrc();
        if (s.config.refinefirst == 0) refinementpass(before);
        --bp;
    }
    reconstruct();
    if (v.crcprotected && s.inbandweights) eraseunconfirmed();
    result.nsig = nsig;
    return result;
}

int32_t passdecoder::advancefar(int32_t p, int64_t count) const {
    if (count <= 0 || p >= total) return p;
    const int32_t nwords = (total + 63) / 64;
    int32_t w = (p + 1) >> 6;
    if (w >= nwords) return total;
    uint64_t bits = ws.open[w] & (~uint64_t{0} << ((p + 1) & 63)); // open positions after p
    // Whole words by their counts, then the target within its word.
    for (;;) {
        const int64_t n = std::popcount(bits);
        if (n >= count) return (w << 6) + selectbit(bits, static_cast<int32_t>(count), deposit);
        count -= n;
        if (++w >= nwords) return total;
        bits = ws.open[w];
    }
}

void passdecoder::refinementpass(int32_t count) {
    // One bit for each of the first count significant coefficients while the budget lasts,
    // ORed into its magnitude: loops over contiguous arrays without branches (the bits are
    // as good as random), which the compiler runs several coefficients at a time.
    // Refinement bits are never protected by the pass CRC.
    const int32_t n = std::clamp(count, 0, std::max(bits, 0));
    int32_t* const magnitude = ws.sigmagnitude.data();
    const int32_t plane = bp;
    int32_t k = 0;
    bitwindow window; // 64 bits at a look while they lie within the buffer
    if (window.take(reader)) {
        while (k < n && window.canpeek()) {
            const uint64_t look = window.peek();
            const int32_t chunk = std::min(n - k, 64);
            int32_t* const m = magnitude + k;
            for (int32_t j = 0; j < chunk; ++j) m[j] |= static_cast<int32_t>((look >> (63 - j)) & 1) << plane;
            window.skip(chunk);
            k += chunk;
        }
        window.give(reader);
    }
    bitstream::cursor in = reader.startcursor();
    for (; k < n; ++k) magnitude[k] |= static_cast<int32_t>(in.readbit()) << plane;
    reader.endcursor(in);
    std::fill_n(ws.sigbp.begin(), n, plane);
    for (int32_t j = 0; j < n; ++j) ws.sigdepth[j] += 1;
    bits -= n;
}

void passdecoder::significancepass() {
    // The settings as locals: the loop's stores could otherwise make them reload each time.
    const int32_t runmode = s.args.runmode, runparam = s.args.runparam, minparam = s.runparammin;
    int32_t k = runparam; // adaptive run parameter of run mode 2, fresh in every pass
    // Channel after channel: channel 1 starts with a fresh run parameter at the first
    // iteration that begins in its half (a run may already have jumped past the boundary).
    const int32_t restartat = layout.chaninterleave == 0 ? total / layout.nchan : INT32_MAX;
    bool restarted = false;
    const int32_t before = nsig;
    // Zero runs, remainders and signs enter no pass CRC below crclevel 1: they can be
    // read from one look at the next 64 bits.
    // While held, the window and not the reader has the position.
    const bool windowed = runmode == 2 && (!v.crcprotected || reader.crclevel < levelzerorun);
    bitwindow window;
    bool held = false;
    int32_t p = advance(-1, 1);
    while (p < total && bits > 0) {
        if (!restarted && p >= restartat) {
            k = runparam;
            restarted = true;
        }
        if (windowed) {
            if (!held) held = window.take(reader);
            if (held) {
                if (windowedrun(window, held, p, k, !restarted && restartat != INT32_MAX)) continue;
                window.give(reader);
                held = false;
            }
        }
        uint32_t c;
        do {
            c = read(1, levelzerorun);
            --bits;
            if (c == 0) {
                if (runmode == 1) {
                    p = advance(p, runsteps(runparam));
                } else if (runmode == 2) {
                    p = advance(p, runsteps(k));
                    k += k < INT32_MAX ? 1 : 0;
                } else {
                    p = advance(p, 1);
                }
            }
        } while (c == 0 && p < total && bits > 0);

        if (c == 1 && bits > 0) {
            if (runmode == 1 || runmode == 2) {
                const int32_t width = std::max(runmode == 1 ? runparam : k, 0);
                if (bits < width) {
                    bits = 0;
                } else {
                    const uint32_t r = read(width, levelremainder);
                    bits -= width;
                    p = advance(p, r);
                    if (runmode == 2 && k > minparam) --k;
                }
            }
            if (p >= total) {
                // A run past the end of the scan is a transmission error: this plane's
                // new coefficients are dropped and decoding stops.
                for (int32_t j = before; j < nsig; ++j) *ws.sigcoef[j] = 0;
                nsig = before;
                bits = 0;
            }
            if (bits > 0) newcoefficient(p);
        }
        p = advance(p, 1);
    }
    if (held) window.give(reader);
}

// Iterations of a run-mode-2 pass (zero run, remainder, sign, new coefficient), each from
// one look at the next 64 bits, one after another while each lies within its look and
// within the budget, its steps fit the 16-bit step count and its run ends inside the
// scan; only one when single (a restart point lies ahead, which the caller checks). p is
// the next open position on entry and on return. When the first does not fit (the pass's
// last run, the budget's end, the buffer's end) it returns false having changed nothing,
// and the literal walk reads that iteration bit by bit.
bool passdecoder::windowedrun(bitwindow& window, bool& held, int32_t& p, int32_t& k, bool single) {
    // A run starts at p, or after a coefficient at the open position after it: one step
    // more from the coefficient.
    int32_t from = p;
    int64_t extra = 0;
    while (k >= 0 && window.canpeek()) {
        const uint64_t look = window.peek();
        const int32_t zeros = std::countl_zero(look); // 64 when the look holds no 1
        const int32_t width = k + zeros;              // the parameter grew by one per 0
        if (width > 15) break;
        const int32_t used = zeros + 1 + width + 1;
        if (bits < used) break;
        // The zeros step 2^k, 2^(k+1), ... 2^(width-1) times (2^width - 2^k in all), the
        // remainder as many times as it says: all in one.
        const int64_t zerosteps = (int64_t{1} << width) - (int64_t{1} << k);
        const int64_t remainder =
            width == 0 ? 0 : static_cast<int64_t>((look << (zeros + 1)) >> (64 - width));
        const int32_t q = advance(from, zerosteps + remainder + extra);
        if (q >= total) break;
        const auto sign = static_cast<uint32_t>((look >> (63 - (zeros + 1 + width))) & 1);
        window.skip(used);
        bits -= used;
        k = width > s.runparammin ? width - 1 : width;
        from = q;
        extra = 1;
        const placed c = addcoefficient(q, sign);
        if (c.weightfollows) {
            window.give(reader);
            decodeweight(c.at, c.band);
            held = window.take(reader);
        }
        if (single || !held) break;
    }
    if (extra == 0) return false;
    p = advance(from, 1);
    return true;
}

void passdecoder::newcoefficient(int32_t p) {
    const uint32_t sign = read(1, levelsign);
    --bits;
    const placed c = addcoefficient(p, sign);
    if (c.weightfollows) decodeweight(c.at, c.band);
}

passdecoder::placed passdecoder::addcoefficient(int32_t p, uint32_t sign) {
    const coefplace at = place(layout, p);
    int32_t* coef = coefrows[at.ch * scanlayout::maxblocks + at.block] + at.coef;
    const int32_t band = ws.coefband[at.coef];
    ws.sigcoef[nsig] = coef;
    ws.sigmagnitude[nsig] = mask;
    ws.signegative[nsig] = sign == 0 ? 1 : 0;
    ws.sigband[nsig] = band;
    ws.sigbp[nsig] = bp;
    ws.sigdepth[nsig] = 0;
    ++nsig;
    close(p);
    return {at, band,
            bits > 0 && s.inbandweights && band < nband &&
                flagrows[at.ch * scanlayout::maxblocks + at.group][band] == 0};
}

void passdecoder::decodeweight(const coefplace& at, int32_t band) {
    // Shared weights live in channel 0's arrays.
    const int32_t wch = s.weightshare != 0 ? 0 : at.ch;
    zatdec& w = channels[wch];
    const int32_t g = at.group;
    if (groupweights[wch * scanlayout::maxblocks + g] == 0) {
        // The group's first weight is its reference, sent negated.
        const int32_t width = std::max<int32_t>(s.config.weightrefbits, 0);
        if (bits < width) {
            dropcutfield();
            return;
        }
        const uint32_t value = read(width, levelweight);
        bits -= width;
        const int16_t ref = static_cast<int16_t>(-static_cast<int64_t>(value));
        w.weightref[g] = ref;
        last[wch] = ref;
        w.weight[g][band] = ref;
        flag(wch, g, band);
        return;
    }
    auto codebits = [this](int32_t nbits) { return read(nbits, levelweight); };
    const weightcoderesult coded = readweightcode(codebits, bits, code, v.cutweight);
    if (!coded.complete) return; // a code cut by the budget stores nothing
    const int32_t d = mapweightcode(coded.number, code.signmode, code.weightbits);
    w.dweight[g][band] = static_cast<int16_t>(d);
    const int16_t weight = static_cast<int16_t>(d + w.weightref[g]);
    w.weight[g][band] = weight;
    if (s.config.wpredmode == 1) {
        w.weightref[g] = weight;
    } else if (s.config.wpredmode == 2) {
        w.weightref[g] = static_cast<int16_t>(2 * weight - last[wch]);
        last[wch] = weight;
    }
    flag(wch, g, band);
}

void passdecoder::flag(int32_t wch, int32_t group, int32_t band) {
    const bool shared = s.weightshare != 0;
    for (int32_t ch = 0; ch < layout.nchan; ++ch)
        if (shared || ch == wch) channels[ch].weightflag[group][band] = 1;
    ++groupweights[wch * scanlayout::maxblocks + group];
    ws.pending.push_back({shared ? allchannels : wch, group, band});
}

void passdecoder::dropcutfield() {
    if (v.cutweight == cutfield::zerobudget) {
        bits = 0;
        return;
    }
    for (; bits > 0; --bits) read(1, levelweight);
}

void passdecoder::checkcrc() {
    if (reader.crcbitpos != 0) { // the partial word, its unused low bits 0
        *reader.crcptr = reader.crcacc;
        ++reader.crcptr;
    }
    const int64_t nwords = reader.crcptr - crcbuf;
    if (nwords > payloadwords) reader.messages(v.overflowmessage);
    const uint16_t crc = reader.crc16(crcbuf, static_cast<uint32_t>(nwords));
    uint16_t received = 0; // a word that cannot be read counts as 0
    bool failed;
    const bool cut = bits < crcwordbits;
    if (cut) {
        bits = 0;
        failed = v.missingcrcword_isfailure && crc != received;
    } else {
        received = static_cast<uint16_t>(readfield(reader, crcwordbits));
        bits -= crcwordbits;
        failed = crc != received;
        // Protected bits that are all zero (or none) give the CRC 0, which a zero word
        // anywhere in a misread payload matches: such a match proves nothing.
        if (!failed && crc != 0) result.passesintact += 1;
    }
#ifdef TONVEX_FUZZ_ACCEPT_CRC
    // Fuzzing builds take every pass as intact, so that mutated inputs reach the planes
    // behind it.
    received = crc;
    failed = false;
#endif
    if (failed) {
        result.crcerror = 1;
        result.crcerrorpos = s.topbitplane - bp;
        result.crccut = cut ? 1 : 0;
    }
    if (!s.inbandweights) return;
    if (crc != received) {
        bits = 0; // a weight that cannot be trusted ends decoding with this plane
        return;
    }
    for (const pendingweight& pw : ws.pending)
        for (int32_t ch = 0; ch < layout.nchan; ++ch)
            if (pw.ch == allchannels || pw.ch == ch) channels[ch].weightflag[pw.group][pw.band] = 2;
    ws.pending.clear();
}

void passdecoder::reconstruct() {
    // Every coefficient goes to its place. Those whose last bit came from plane b >= 1
    // move away from zero by an offset within the interval the missing planes leave open.
    // The offsets that depend only on the plane are rounded once per plane (planes go up
    // to 30).
    std::array<int32_t, 31> first{}, second{}; // depth 0 with recon0, depth 1 with recon1
    for (int32_t b = 1; b <= 30; ++b) {
        const double full = static_cast<double>(int64_t{1} << b);
        first[b] = roundoffset(full * s.config.recon0);
        second[b] = roundoffset(full * s.config.recon1);
    }
    const auto offset = [&](int32_t k) {
        const int32_t b = ws.sigbp[k];
        if (b < 1) return 0;
        const int32_t half = 1 << (b - 1);
        const int32_t depth = ws.sigdepth[k];
        switch (s.config.reconmode) {
        case 1:
            return half;
        case 2:
            return depth == 0 ? first[b] : half;
        case 3:
            return depth == 0
                       ? roundoffset(static_cast<double>(int64_t{1} << b) * (0.44 - 0.0036 * ws.sigband[k]))
                       : half;
        case 4:
            return depth == 0 ? first[b] : depth == 1 ? second[b] : half;
        default:
            return 0;
        }
    };
    for (int32_t k = 0; k < nsig; ++k) {
        // Away from zero, within the 32-bit range (which is symmetric, so the sign can
        // follow).
        const auto moved = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{ws.sigmagnitude[k]} + offset(k), -2147483647, 2147483647));
        *ws.sigcoef[k] = ws.signegative[k] != 0 ? -moved : moved;
    }
}

void passdecoder::eraseunconfirmed() {
    // A band whose weight no pass CRC confirmed is cleared in every block of its group.
    for (const pendingweight& pw : ws.pending) {
        const int32_t from = ws.bandstart[pw.band];
        const int32_t to = std::min(ws.bandstart[pw.band + 1], layout.ncoef);
        if (from >= to) continue;
        for (int32_t ch = 0; ch < layout.nchan; ++ch) {
            if (pw.ch != allchannels && pw.ch != ch) continue;
            for (int32_t b = pw.group; b < layout.groupend[pw.group]; ++b)
                std::fill(channels[ch].mdcti[b].begin() + from, channels[ch].mdcti[b].begin() + to, 0);
        }
    }
}

} // namespace

[[gnu::flatten]] TONVEX_TARGET_CLONES passresult decodepasses(bitstream& reader, passworkspace& ws,
                                                              uint16_t* crcbuf, int16_t payloadwords,
                                                              zatdec* channels, const scanlayout& layout,
                                                              const passsettings& settings,
                                                              const passvariant& variant) {
    passdecoder decoder(reader, ws, crcbuf, payloadwords, channels, layout, settings, variant);
    return decoder.run();
}
