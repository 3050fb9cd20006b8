#include "enginefixture.h"

#include "base/random.h"
#include "codec/format/frameheader.h"

void drivertest::usefiles(const std::string& input, const std::string& wav, const std::string& scaled) {
    doc.bitstreamname = input;
    doc.wavname = wav;
    doc.scaledname = scaled;
    doc.updatepaths();
}

std::vector<uint16_t> packframe(const framespec& spec) {
    std::vector<uint16_t> words(static_cast<size_t>(std::max<int16_t>(spec.words, 8)) + 8, spec.fill);
    std::vector<uint16_t> errors(words.size());
    encodeheader writer;
    writer.wordbuf = words.data();
    writer.errbuf = errors.data();
    writer.framelen = 1024;
    writer.srindex = spec.srindex;
    writer.setsizes();
    writer.jointcoding = spec.jointcoding;
    writer.headerwords = headerwords_for(1, 2, spec.jointcoding);
    writer.channels = spec.channels;
    writer.frameindex = spec.index;
    writer.framewords = spec.words;
    writer.blockmode = spec.blockmode;
    writer.codedbands = spec.codedbands;
    writer.bitplanes[0] = writer.bitplanes[1] = spec.bitplanes;
    for (auto& flags : writer.groupflags) flags[0] = 1;
    writer.lengthok = 0;
    writer.pack();
    words.resize(static_cast<size_t>(std::max<int16_t>(spec.words, writer.headerwords)));
    return words;
}

std::vector<uint16_t> packframes(framespec spec, int count) {
    std::vector<uint16_t> stream;
    for (int i = 0; i < count; i++) {
        spec.index = static_cast<int16_t>(i % 16);
        const auto frame = packframe(spec);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

wavfile readwav(const std::string& file) {
    const auto bytes = readbytes(file);
    wavfile wav;
    if (bytes.size() < 44) return wav;
    const auto u32 = [&bytes](size_t at) {
        return static_cast<uint32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16)) |
               (static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    wav.riffsize = u32(4);
    wav.channels = static_cast<uint16_t>(bytes[22] | (bytes[23] << 8));
    wav.rate = u32(24);
    wav.datasize = u32(40);
    for (size_t at = 44; at + 1 < bytes.size(); at += 2)
        wav.samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8))));
    return wav;
}

std::string vectorpath(const std::string& name) {
    return std::string(TONVEX_VECTOR_DIR) + "/" + name;
}
