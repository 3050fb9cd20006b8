#include "encoder/analysis.h"

#include <cmath>
#include <numbers>

#include "codec/decoder/codec.h"
#include "codec/synthesis/fft.h"

forwardmdct::forwardmdct(int32_t n_)
    : n(n_), m(n_ / 2), precos(m / 2), presin(m / 2), postcos(m / 2), postsin(m / 2), folded(m), re(m / 2),
      im(m / 2) {
    const double pi = std::numbers::pi;
    for (int32_t j = 0; j < m / 2; j++) {
        const double a = pi * (4 * j + 1) / (4.0 * m);
        precos[j] = std::cos(a);
        presin[j] = -std::sin(a);
        const double b = pi * j / m;
        postcos[j] = std::cos(b);
        postsin[j] = -std::sin(b);
    }
}

void forwardmdct::transform(const double* in, double* out) {
    // Fold the N inputs into the M inputs of a DCT-IV (the time-domain aliasing that the
    // overlap of the neighbouring block cancels).
    const int32_t h = m / 2;
    for (int32_t j = 0; j < h; j++) folded[j] = -in[3 * h - 1 - j] - in[3 * h + j];
    for (int32_t j = h; j < m; j++) folded[j] = in[j - h] - in[3 * h - 1 - j];

    // DCT-IV: pair even and mirrored odd inputs into complex values, rotate, FFT, rotate.
    for (int32_t j = 0; j < h; j++) {
        const double a = folded[2 * j];
        const double b = folded[m - 1 - 2 * j];
        re[j] = a * precos[j] - b * presin[j];
        im[j] = a * presin[j] + b * precos[j];
    }
    fft(re.data(), im.data(), 1, h);
    const double scale = 2.0 / m;
    for (int32_t j = 0; j < h; j++) {
        const double c = re[j] * postcos[j] - im[j] * postsin[j];
        const double d = re[j] * postsin[j] + im[j] * postcos[j];
        out[2 * j] = scale * c;
        out[m - 1 - 2 * j] = -scale * d;
    }
}

analysis::analysis(int32_t longlen, int32_t shortlen, const double* longwindow, const double* shortwindow)
    : ml(longlen), ms(shortlen), nblock(longlen / shortlen), p(((nblock - 1) * shortlen) / 2),
      q(((nblock + 1) * shortlen) / 2), wl(longwindow, longwindow + 2 * longlen),
      ws(shortwindow, shortwindow + 2 * shortlen), longmdct(2 * longlen), shortmdct(2 * shortlen),
      block(2 * longlen) {}

void analysis::transform(const double* span, int16_t blockmode, int16_t lastblockmode,
                         std::vector<std::vector<double>>& spectrum) {
    if (isshortmode(blockmode)) {
        for (int32_t b = 0; b < nblock; b++) {
            const double* x = span + p + b * ms;
            for (int32_t i = 0; i < 2 * ms; i++) block[i] = x[i] * ws[i];
            shortmdct.transform(block.data(), spectrum[b].data());
        }
        return;
    }

    // First half: the long rise after a long frame, the stop window after SHORT_LONG.
    if (lastblockmode == SHORT_LONG || lastblockmode == CONCEALED_SHORT) {
        for (int32_t i = 0; i < p; i++) block[i] = 0.0;
        for (int32_t i = 0; i < ms; i++) block[p + i] = span[p + i] * ws[i];
        for (int32_t i = q; i < ml; i++) block[i] = span[i];
    } else {
        for (int32_t i = 0; i < ml; i++) block[i] = span[i] * wl[i];
    }
    // Second half: the long fall, or the start window of a LONG_SHORT frame.
    if (blockmode == LONG_SHORT) {
        for (int32_t i = 0; i < p; i++) block[ml + i] = span[ml + i];
        for (int32_t i = 0; i < ms; i++) block[ml + p + i] = span[ml + p + i] * ws[ms + i];
        for (int32_t i = q; i < ml; i++) block[ml + i] = 0.0;
    } else {
        for (int32_t i = 0; i < ml; i++) block[ml + i] = span[ml + i] * wl[ml + i];
    }
    longmdct.transform(block.data(), spectrum[0].data());
}
