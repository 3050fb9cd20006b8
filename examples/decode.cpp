// Decodes a bitstream to WAV with libtonvex, optionally at a bit error rate:
//   decode_cpp IN.ztb OUT.wav [BER [SEED]]
#include <tonvex/tonvex.hpp>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s IN.ztb OUT.wav [BER [SEED]]\n", argv[0]);
        return 2;
    }
    tonvex::session session;
    std::string error;
    if (argc > 3 && !session.set("ber", std::atof(argv[3]), &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (argc > 4) session.seed(static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)));
    session.onevent([](const tonvex::event& e) {
        if (e.kind == tonvex::event::concealedframe)
            std::printf("frame %lld concealed\n", static_cast<long long>(e.frame));
    });
    const tonvex::runresult result = session.decode(argv[1], argv[2]);
    for (const std::string& message : result.messages) std::fprintf(stderr, "%s\n", message.c_str());
    if (!result.completed) return 1;
    std::printf("%s: %lld frames, %.2f kbit/s in, %lld of %lld bits flipped\n", result.status.c_str(),
                static_cast<long long>(result.frames), result.inputkbps,
                static_cast<long long>(result.biterrors), static_cast<long long>(result.bitsseen));
    return 0;
}
