// Outputs as users meet them: links planted where temporary files once went, files that
// exist, devices and FIFOs, cut-short and too long inputs, interruptions, pipes and the
// other formats. Every case also checks that the victim file stays unchanged and that no
// temporary file is left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "toolrun.h"

namespace {

namespace fs = std::filesystem;

const std::string victim = "the victim's file";

// Links to the victim at the names the old scheme used for name in folder: the hidden
// pid names of the next processes, the encoder's ".partial", and a guess at the new one.
void plantlinks(const fs::path& folder, const std::string& name, const fs::path& target) {
    for (pid_t pid = getpid(); pid < getpid() + 8; pid++)
        fs::create_symlink(target, folder / (".tonvex-" + std::to_string(pid) + "-" + name));
    fs::create_symlink(target, folder / (name + ".partial"));
    fs::create_symlink(target, folder / (".tonvex-XXXXXX-" + name));
}

// Regular files left under a temporary name (the planted links do not count).
int temporaries(const fs::path& folder) {
    int found = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".tonvex-", 0) == 0 && !entry.is_symlink()) found++;
    return found;
}

enum class after { absent, unchanged, written, device };

struct outputcase {
    const char* name;
    const char* input;  // in.ztb: "cut" mid-frame, "stub" (inside the first frame), "garbage"
    const char* before; // the output's contents before the run; "link": a link to the victim
    const char* args;
    const char* output;
    int status;
    after expect;
    const char* limit = nullptr; // TONVEX_WAVDATALIMIT
};

const char* const gilbert = "errpat --model gilbert --ber 0.01 --length 999 -o out.g192";
const char* const erasure = "errpat --model erasure --fer 0.1 --length 9 -o out.g192 --force";

const outputcase cases[] = {
    {"DecodeOldNames", nullptr, nullptr, "decode -o out.wav", "out.wav", 0, after::written},
    {"DecodeDefaultName", nullptr, nullptr, "decode", "wav/test.wav", 0, after::written},
    {"ScaleOldNames", nullptr, nullptr, "scale -o out.ztb", "out.ztb", 0, after::written},
    {"ErrpatOldNames", nullptr, nullptr, gilbert, "out.g192", 0, after::written},
    {"EncodeOldNames", nullptr, nullptr, "encode in.wav -o out.ztb", "out.ztb", 0, after::written},
    {"ExistingKept", nullptr, "earlier", "decode -o out.wav", "out.wav", 2, after::unchanged},
    {"EncodeKeepsTheZtb", nullptr, "earlier", "encode in.wav", "in.ztb", 2, after::unchanged},
    {"NoClobberWithForce", nullptr, nullptr, "decode -o out.wav -f -n", "out.wav", 2, after::absent},
    {"ForceReplaces", nullptr, "earlier", "decode -o out.wav -f", "out.wav", 0, after::written},
    {"LinkKept", nullptr, "link", "scale -o out.ztb", "out.ztb", 2, after::unchanged},
    {"LinkReplacedByAFile", nullptr, "link", erasure, "out.g192", 0, after::written},
    {"DevNull", nullptr, nullptr, "decode -o /dev/null", "/dev/null", 0, after::device},
    {"ScaleDevNull", nullptr, nullptr, "scale -o /dev/null", "/dev/null", 0, after::device},
    {"CutDecodeKept", "cut", nullptr, "decode in.ztb -o out.wav", "out.wav", 3, after::written},
    {"CutScaleKept", "cut", nullptr, "scale in.ztb -o out.ztb", "out.ztb", 3, after::written},
    {"CutFlacKept", "cut", nullptr, "decode in.ztb -o out.flac", "out.flac", 3, after::written},
    {"StubDecodeFails", "stub", nullptr, "decode in.ztb -o out.wav", "out.wav", 1, after::absent},
    {"GarbageScaleFails", "garbage", nullptr, "scale in.ztb -o out.ztb", "out.ztb", 1, after::absent},
    {"WavLimitKept", nullptr, nullptr, "decode -o out.wav", "out.wav", 3, after::written, "300000"},
    {"W64PassesTheLimit", nullptr, nullptr, "decode -o out.w64", "out.w64", 0, after::written, "300000"},
    {"FloatFlacRefused", nullptr, nullptr, "decode -o out.flac --bits 32f", "out.flac", 2, after::absent},
    {"UnknownBitsRefused", nullptr, nullptr, "decode -o out.wav --bits 12", "out.wav", 2, after::absent},
    {"UnknownFormatRefused", nullptr, nullptr, "decode -o out.wav --format ogg", "out.wav", 2, after::absent},
};

class CliOutput : public ::testing::TestWithParam<outputcase> {};

TEST_P(CliOutput, NeverWritesOutsideItsOutput) {
    const outputcase& c = GetParam();
    scratchdir dir;
    writefile(dir / "victim", victim);
    const std::string sample = readfile(dir / "wav/test.ztb");
    if (std::string(c.args).starts_with("encode")) {
        ASSERT_EQ(dir.run("decode -o in.wav").status, 0);
    }
    if (c.input) {
        const std::string kind = c.input;
        writefile(dir / "in.ztb", kind == "cut"    ? sample.substr(0, sample.size() / 2 + 101)
                                  : kind == "stub" ? sample.substr(0, 30)
                                                   : std::string(5000, 'x'));
    }
    const fs::path output = fs::path(c.output).is_absolute() ? fs::path(c.output) : dir / c.output;
    if (c.before && std::string(c.before) == "link")
        fs::create_symlink(dir / "victim", output);
    else if (c.before)
        writefile(output, c.before);
    if (!output.is_absolute() || output.parent_path() != "/dev") {
        plantlinks(output.parent_path(), output.filename().string(), dir / "victim");
        plantlinks(dir.path(), output.filename().string() + ".partial", dir / "victim");
    }
    if (c.limit) setenv("TONVEX_WAVDATALIMIT", c.limit, 1);
    const toolrun run = dir.run(words(c.args));
    unsetenv("TONVEX_WAVDATALIMIT");

    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(readfile(dir / "victim"), victim);
    EXPECT_EQ(temporaries(dir.path()) + temporaries(dir / "wav"), 0);
    if (c.status == 2 && c.before) {
        EXPECT_NE(run.err.find(c.output), std::string::npos) << run.err;
    }
    if (c.status == 3) {
        EXPECT_NE(run.err.find("warning: "), std::string::npos) << run.err;
    }
    switch (c.expect) {
    case after::absent:
        EXPECT_FALSE(fs::exists(fs::symlink_status(output)));
        break;
    case after::unchanged:
        EXPECT_EQ(fs::is_symlink(output), std::string(c.before) == "link");
        if (!fs::is_symlink(output)) {
            EXPECT_EQ(readfile(output), c.before);
        }
        break;
    case after::device:
        EXPECT_TRUE(fs::is_character_file(output));
        break;
    case after::written: {
        ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(output)));
        const std::string bytes = readfile(output);
        // A kept WAV announces exactly the frames it holds.
        if (output.extension() == ".wav") {
            EXPECT_EQ(le32(bytes, 40), bytes.size() - 44);
        }
        EXPECT_GT(bytes.size(), output.extension() == ".wav" ? 44u : 0u);
        struct stat mode {};
        ASSERT_EQ(stat(output.c_str(), &mode), 0);
        const mode_t mask = umask(0);
        umask(mask);
        EXPECT_EQ(mode.st_mode & 0777, 0666 & ~mask); // as a plain create would make it
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CliOutput, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

// The samples of a file as libsndfile reads them, in 16-bit steps.
std::vector<double> samplesof(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<double> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_double(file, samples.data(), info.frames);
    for (double& v : samples) v *= 32768.0;
    sf_close(file);
    return samples;
}

TEST(CliOutputFormats, OtherFormatsHoldTheSamplesOfTheWav) {
    scratchdir dir;
    for (const char* args :
         {"a.wav", "a.flac", "a.rf64", "a.caf", "t.wav --trim", "w.wav --bits 24", "f.wav --bits 32f"})
        ASSERT_EQ(dir.run(words(std::string("decode -o ") + args)).status, 0) << args;
    const std::vector<double> wav = samplesof(dir / "a.wav");
    ASSERT_FALSE(wav.empty());
    for (const char* name : {"a.flac", "a.rf64", "a.caf"}) EXPECT_EQ(samplesof(dir / name), wav) << name;
    EXPECT_EQ(samplesof(dir / "t.wav"), std::vector<double>(wav.begin() + 2 * 1024, wav.end())); // stereo
    // Wider samples round the same signal without dither: within the dither of the 16 bits.
    for (const char* name : {"w.wav", "f.wav"}) {
        const std::vector<double> wide = samplesof(dir / name);
        ASSERT_EQ(wide.size(), wav.size()) << name;
        double worst = 0.0;
        for (size_t i = 0; i < wav.size(); i++) worst = std::max(worst, std::abs(wide[i] - wav[i]));
        EXPECT_LE(worst, 1.5) << name;
    }
}

// Runs a shell pipeline in the folder.
int shell(const scratchdir& dir, const std::string& line) {
    const std::string command = "cd '" + dir.path().string() + "' && " + line;
    return WEXITSTATUS(std::system(command.c_str()));
}

TEST(CliOutputPipes, StandardInputAndOutputCarryOnlyTheData) {
    scratchdir dir;
    const std::string tonvex = TONVEX_EXECUTABLE;
    ASSERT_EQ(dir.run("decode -o file.wav").status, 0);
    ASSERT_EQ(shell(dir, "cat wav/test.ztb | " + tonvex + " decode - -o - 2>err | cat > pipe.wav"), 0);
    const std::string file = readfile(dir / "file.wav"), pipe = readfile(dir / "pipe.wav");
    ASSERT_EQ(pipe.size(), file.size());
    EXPECT_EQ(le32(pipe, 4), 0xFFFFFFFFu); // unknown lengths
    EXPECT_EQ(le32(pipe, 40), 0xFFFFFFFFu);
    EXPECT_EQ(pipe.substr(44), file.substr(44));
    EXPECT_NE(readfile(dir / "err").find("decoding completed"), std::string::npos);

    ASSERT_EQ(dir.run("encode file.wav -o file.ztb --quiet").status, 0);
    ASSERT_EQ(shell(dir, "cat file.wav | " + tonvex + " encode - -o - 2>/dev/null | cat > pipe.ztb"), 0);
    EXPECT_EQ(readfile(dir / "pipe.ztb"), readfile(dir / "file.ztb"));
    ASSERT_EQ(dir.run("scale -o file_s.ztb --bitrate 48").status, 0);
    ASSERT_EQ(shell(dir, tonvex + " scale - -o - --bitrate 48 < wav/test.ztb > pipe_s.ztb 2>/dev/null"), 0);
    EXPECT_EQ(readfile(dir / "pipe_s.ztb"), readfile(dir / "file_s.ztb"));
    ASSERT_EQ(shell(dir, "{ " + tonvex + " decode -o - --format flac 2>/dev/null; echo $? > status; } | cat"),
              0);
    EXPECT_EQ(readfile(dir / "status"), "2\n"); // FLAC needs to go back to its header
}

TEST(CliOutputPipes, AFifoIsWrittenAndStaysAFifo) {
    scratchdir dir;
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readfile(dir / "fifo"); });
    const toolrun run = dir.run("decode -o fifo");
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_EQ(received.substr(0, 4), "RIFF");
    EXPECT_GT(received.size(), 900000u);
}

TEST(CliOutputSignals, InterruptionRemovesTheTemporaryFile) {
    scratchdir dir;
    const std::string sample = readfile(dir / "wav/test.ztb");
    std::string longer;
    for (int i = 0; i < 150; i++) longer += sample;
    writefile(dir / "long.ztb", longer);
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t child = fork();
        if (child == 0) {
            if (chdir(dir.path().c_str()) != 0) _exit(127);
            execl(TONVEX_EXECUTABLE, "tonvex", "decode", "long.ztb", "-o", "out.wav", "--quiet", nullptr);
            _exit(127);
        }
        while (temporaries(dir.path()) == 0) std::this_thread::yield();
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << status;
        EXPECT_EQ(temporaries(dir.path()), 0);
        EXPECT_FALSE(fs::exists(dir / "out.wav"));
    }
}

} // namespace
