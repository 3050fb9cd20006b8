#include "encoder/encodersettings.h"

#include <cstdio>
#include <string>

#include "codec/format/frameheader.h"

namespace {

std::string outside(const char* name, double value, const char* allowed) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %g is not supported (%s)", name, value, allowed);
    return text;
}

// Header fields 1 to 9 must fit into the words before the header CRC.
std::string headerroom(const encodersettings& s, int channels, int srindex) {
    const int16_t h = headerwords_for(s.coding.weighton, s.coding.weightmode, s.coding.jointcoding);
    const int n = s.coding.jointcoding != 0 ? 1 : channels;
    const int nblock = 1024 / shortblocklength(srindex);
    int bits = 16 + 4 + 9 + 1 + 3 + 2 + 5;
    if (s.coding.weighton == 0)
        bits += 5 * n;
    else if (s.coding.weightmode != 2)
        bits += 8 * n;
    else
        bits += 5 * n + ((s.coding.scfresmode == 1 || s.coding.scfresmode == 2) ? (nblock - 1) * n : 0);
    if (bits <= 16 * (h - 1)) return {};
    char text[320];
    std::snprintf(
        text, sizeof text,
        "this configuration cannot be packed: at %g kHz its frame header needs %d bits and has room for %d "
        "(two channels coded separately with weights in the significance passes; use joint coding or "
        "weight mode 0 or 1)",
        samplerate_khz(srindex), bits, 16 * (h - 1));
    return text;
}

} // namespace

bool tuneofname(const std::string& name, encodertune& tune) {
    const struct {
        const char* name;
        encodertune tune;
    } names[] = {{"snr", encodertune::snr}, {"perceptual", encodertune::perceptual}};
    for (const auto& n : names)
        if (name == n.name) {
            tune = n.tune;
            return true;
        }
    return false;
}

std::string checksettings(const encodersettings& s, int channels, int srindex) {
    if (channels < 1 || channels > 2) return outside("channel count", channels, "1 or 2");
    if (srindex < 0 || srindex > 7) return outside("sample-rate index", srindex, "0 to 7");
    if (!(s.bitrate > 0.0)) return outside("bitrate", s.bitrate, "above 0 kbit/s");
    struct range {
        const char* name;
        double value, lo, hi;
    };
    const range ranges[] = {
        {"jointcoding", double(s.coding.jointcoding), 0, 1},
        {"weighton", double(s.coding.weighton), 0, 1},
        {"weightmode", double(s.coding.weightmode), 0, 2},
        {"crcon", double(s.coding.crcon), 0, 1},
        {"scanmode", double(s.coding.scanmode), 0, 2},
        {"runmode", double(s.coding.runmode), 0, 2},
        {"runparam", double(s.coding.runparam), 0, 12},
        {"refinefirst", double(s.coding.refinefirst), 0, 1},
        {"chaninterleave", double(s.coding.chaninterleave), 0, 1},
        {"weightshare", double(s.coding.weightshare), 0, 1},
        {"wstepmode", double(s.coding.wstepmode), 0, 1},
        {"wsignmode", double(s.coding.wsignmode), 0, 2},
        {"wpredmode", double(s.coding.wpredmode), 0, 2},
        {"wparamshort", double(s.coding.wparamshort), 0, 8},
        {"wparamlong", double(s.coding.wparamlong), 0, 8},
        {"weightbits", double(s.coding.weightbits), 2, 16},
        {"weightrefbits", double(s.coding.weightrefbits), 1, 14},
        {"scfresmode", double(s.coding.scfresmode), 0, 2},
        {"codedbands", double(s.codedbands), 0, 32},
        {"crclevel", double(s.coding.crclevel), -1, 3},
        {"blockswitching", double(s.blockswitching), 0, 1},
    };
    for (const range& r : ranges) {
        if (r.value < r.lo || r.value > r.hi) {
            char allowed[64];
            std::snprintf(allowed, sizeof allowed, "%g to %g", r.lo, r.hi);
            return outside(r.name, r.value, allowed);
        }
    }
    if (!(s.coding.weightstep > 0.0)) return outside("weightstep", s.coding.weightstep, "above 0 dB");
    if (!(s.coding.shorterbbase > 0.0) || !(s.coding.longerbbase > 0.0))
        return "the ERB base factors must be above 0";
    if (s.coding.wsignmode == 2 && s.coding.weighton != 0 && s.coding.weightmode != 1)
        return "wsignmode 2 maps weight codes of the side information only (weightmode 1)";
    return headerroom(s, channels, srindex);
}
