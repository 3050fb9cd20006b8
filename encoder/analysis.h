#pragma once
// Analysis filter bank of the encoder: the forward MDCT and the placement of the long
// and short blocks, the exact counterpart of the decoder's synthesis (imdct and the
// overlap-add of zatdec). Analysis of a stream followed by the synthesis reproduces the
// input delayed by one frame (framelen samples).
#include <cstdint>
#include <vector>

// Forward MDCT of one transform length N = 2M through a DCT-IV of M points, itself a
// complex FFT of M/2 points.
class forwardmdct {
  public:
    explicit forwardmdct(int32_t n);

    int32_t length() const { return n; }
    // out[k] = (2/M) sum_{j<N} in[j] cos(2 pi/N (j + n0)(k + 1/2)), k < M, with
    // n0 = (M + 1)/2. The 2/M is what the synthesis expects: imdct returns (2/N) sum and
    // the overlap-add multiplies by M, so a windowed block and its neighbours add up to
    // the input.
    void transform(const double* in, double* out);

  private:
    int32_t n, m;
    std::vector<double> precos, presin;   // exp(-i pi (4j + 1)/(4M)), j < M/2
    std::vector<double> postcos, postsin; // exp(-i pi j/M), j < M/2
    std::vector<double> folded, re, im;
};

// Block placement. A frame's span is 2*framelen input samples: the samples of the
// previous frame followed by the new ones. The long block covers the whole span; short
// block b covers span[P + b*MS .. P + b*MS + 2MS - 1] with P = ((B - 1) MS)/2, so the
// short blocks sit in the middle of the span as in the decoder's overlap_short.
class analysis {
  public:
    // The windows are the decoder's tables: 2*longlen and 2*shortlen values.
    analysis(int32_t longlen, int32_t shortlen, const double* longwindow, const double* shortwindow);

    // Transforms one frame. blockmode 1 or 2: one long block into spectrum[0][0..longlen-1],
    // its first half windowed by lastblockmode (ALL_LONG: long rise; SHORT_LONG: the stop
    // window of P zeros, the short rise and ones), its second half by blockmode (ALL_LONG:
    // long fall; LONG_SHORT: the start window of P ones, the short fall and zeros).
    // blockmode 0 or 3: nblock short blocks into spectrum[b][0..shortlen-1]. The caller only
    // asks for legal transitions (a long frame follows ALL_LONG or SHORT_LONG).
    void transform(const double* span, int16_t blockmode, int16_t lastblockmode,
                   std::vector<std::vector<double>>& spectrum);

  private:
    int32_t ml, ms, nblock, p, q;
    std::vector<double> wl, ws;
    forwardmdct longmdct, shortmdct;
    std::vector<double> block;
};
