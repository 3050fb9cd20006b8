#include "enginefixture.h"

#include "base/random.h"
#include "codec/format/frameheader.h"

void drivertest::usefiles(const std::string& input, const std::string& wav, const std::string& scaled) {
    doc.bitstreamname = input;
    doc.wavname = wav;
    doc.scaledname = scaled;
    doc.updatepaths();
}

std::vector<int16_t> drivertest::decode(const std::vector<uint16_t>& stream) {
    writewordsfile(path("in.ztb"), stream);
    usefiles("in.ztb", "out.wav");
    doc.random.seed(1);
    doc.decodeZAT();
    return readwav(path("out.wav"));
}

std::vector<uint16_t> packframe(const framespec& spec) {
    std::vector<uint16_t> words(static_cast<size_t>(std::max<int16_t>(spec.words, 8)) + 8, spec.fill);
    encodeheader writer;
    writer.wordbuf = words.data();
    writer.framelen = 1024;
    writer.srindex = spec.srindex;
    writer.setsizes();
    writer.config.jointcoding = spec.jointcoding;
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

std::vector<int16_t> readwav(const std::string& file) {
    const auto bytes = readbytes(file);
    std::vector<int16_t> samples;
    for (size_t at = 44; at + 1 < bytes.size(); at += 2)
        samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8))));
    return samples;
}

std::string vectorpath(const std::string& name) {
    return std::string(TONVEX_VECTOR_DIR) + "/" + name;
}
