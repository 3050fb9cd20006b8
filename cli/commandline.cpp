#include "cli/commandline.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>

#include "cli/commandoptions.h"
#include "cli/comparecommand.h"
#include "cli/encodecommand.h"
#include "cli/errpatcommand.h"
#include "cli/exitcodes.h"
#include "cli/infocommand.h"
#include "cli/interruption.h"
#include "cli/operation.h"
#include "cli/outputoptions.h"
#include "cli/probecommand.h"
#include "cli/sweepcommand.h"

namespace {

void addinput(CLI::App& command, commandoptions& o, const char* description) {
    command.add_option("IN", o.input, description);
}

// What every rate comes down to: a whole number of 16-bit words per frame of 1024 samples.
constexpr const char* bitraterange =
    "; frames hold 8 to 511 words, so the rate is rounded to a step of "
    "16 x rate / 1024 and clamped (at most 383.25 kbit/s at 48 kHz, 127.75 at "
    "16 kHz), with a warning giving the rate used";

void addbitrate(CLI::App& command, commandoptions& o) {
    command
        .add_option("--bitrate", o.bitrate,
                    std::string("scaled bitrate in kbit/s (default 80); implies --output-bitrate scaled") +
                        bitraterange)
        ->type_name("KBPS");
}

void addoutputbitrate(CLI::App& command, commandoptions& o) {
    command
        .add_option("--output-bitrate", o.outputbitrate,
                    "decode or keep the whole payload (encoded, the default), or the scaled part")
        ->check(CLI::IsMember({"encoded", "scaled"}));
}

void addsettings(CLI::App& command, commandoptions& o) {
    // One NAME=VALUE per --set, so that a following input name is never taken for one.
    command.add_option("--set", o.settings, "set a numeric setting of the document, e.g. --set dither=0")
        ->type_name("NAME=VALUE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void addconfig(CLI::App& command, commandoptions& o) {
    command
        .add_option("--config", o.config,
                    "auto: find the stream's coding configuration first, as tonvex probe does")
        ->check(CLI::IsMember({"auto"}))
        ->type_name("auto");
}

void addreports(CLI::App& command, commandoptions& o) {
    command.add_flag("--json", o.json, "print the results as one JSON object");
    command.add_flag("--events", o.events,
                     "print a line per damaged header, resync, lost or concealed frame");
}

void addquiet(CLI::App& command, commandoptions& o) {
    command.add_flag("--quiet", o.quiet, "no progress bar, no status line or rows; errors only");
}

// A seed is the generator's 32-bit state, given as a whole number.
std::uint32_t parseseed(const std::string& text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw usageerror("--seed " + text + ": needs a whole number 0 to 4294967295");
    return value;
}

} // namespace

int runcommandline(int argc, char** argv) {
    CLI::App app{"tonvex decodes, scales, encodes and inspects .ztb bitstreams.\n"
                 "Exit status: 0 success, 1 the operation failed, 2 a bad option or value or an existing\n"
                 "output, 3 completed from a damaged or cut-short input (the output is kept), 130/143\n"
                 "interrupted.",
                 "tonvex"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "tonvex " TONVEX_VERSION);

    commandoptions o;
    std::string seed;

    CLI::App* decode = app.add_subcommand("decode", "decode a bitstream to a 16-bit WAV file");
    addinput(*decode, o, "input bitstream, - for standard input (default wav/test.ztb)");
    addoutputoptions(*decode, o,
                     "output audio file, - for standard output (default: the input name with .wav)");
    addaudiooptions(*decode, o);
    decode
        ->add_option("--ber", o.errormodel.ber,
                     "bit error rate to inject, 0 (default) to 0.002; the independent model flips at a "
                     "multiple of 1/32768, reported as the effective rate")
        ->type_name("RATE");
    adderrormodeloptions(*decode, o.errormodel);
    addbitrate(*decode, o);
    addoutputbitrate(*decode, o);
    decode->add_option("--seed", seed, "starting state of the random source, 0 to 4294967295 (default 1)")
        ->type_name("N");
    decode
        ->add_option("--threads", o.threads,
                     "threads of the decode: 1, 2, or 0 for as many as useful (default); the output is "
                     "the same with any number")
        ->type_name("N");
    addsettings(*decode, o);
    addconfig(*decode, o);
    addreports(*decode, o);
    addquiet(*decode, o);

    CLI::App* scale = app.add_subcommand("scale", "cut a bitstream down to a lower bitrate without decoding");
    addinput(*scale, o, "input bitstream, - for standard input (default wav/test.ztb)");
    addoutputoptions(*scale, o,
                     "output bitstream, - for standard output (default: the input name with _s.ztb)");
    addbitrate(*scale, o);
    addoutputbitrate(*scale, o);
    addsettings(*scale, o);
    addconfig(*scale, o);
    addreports(*scale, o);
    addquiet(*scale, o);

    CLI::App* encode =
        app.add_subcommand("encode", "encode an audio file (WAV, FLAC, AIFF, ...) to a bitstream");
    encode
        ->add_option("IN", o.input,
                     "input audio file, - for standard input: 1 or 2 channels at 11.025, 12, 16, 22.05, "
                     "24, 32, 44.1 or 48 kHz")
        ->required();
    addoutputoptions(*encode, o,
                     "output bitstream, - for standard output (default: the input name with .ztb)");
    encode->add_option("--tune", o.tune, "noise shaping: snr (white noise, the default) or perceptual");
    encode
        ->add_option("--scale-floor", o.scalefloor,
                     "lowest bitrate in kbit/s the stream is meant to be scaled to, 0 for none (default 64): "
                     "a cut to it or above keeps the first planes whole, at about 0.1 dB at the stream's own "
                     "rate")
        ->type_name("KBPS")
        ->check(CLI::Range(0.0, 1000.0));
    encode
        ->add_option("--bitrate", o.bitrate,
                     std::string("bitrate of the stream in kbit/s (default 128); every frame has the same "
                                 "length") +
                         bitraterange)
        ->type_name("KBPS");
    addsettings(*encode, o);
    addquiet(*encode, o);

    CLI::App* info = app.add_subcommand("info", "describe a bitstream without decoding it");
    info->add_option("IN", o.input, "input bitstream, - for standard input")->required();
    info->add_flag("--json", o.json, "print the description as one JSON object");

    CLI::App* probe = app.add_subcommand(
        "probe", "find the coding configuration of a bitstream and print it as --set arguments");
    probe->add_option("IN", o.input, "input bitstream")->required();
    probe->add_flag("--json", o.json, "print the configuration and the scores as one JSON object");

    errpatoptions errpatvalues;
    CLI::App* errpat = adderrpatcommand(app, errpatvalues, o, seed);
    compareoptions comparevalues;
    CLI::App* compare = addcomparecommand(app, comparevalues);
    sweepoptions sweepvalues;
    sweepvalues.program = argc > 0 ? argv[0] : "tonvex";
    CLI::App* sweep = addsweepcommand(app, sweepvalues);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? exit_success : exit_usage;
    }

    catchinterruptions();
    try {
        if (!seed.empty()) o.seed = parseseed(seed);
        if (*decode) return runoperation(operationkind::decode, o);
        if (*scale) return runoperation(operationkind::scale, o);
        if (*encode) return runencode(o);
        if (*errpat) return runerrpat(errpatvalues, o);
        if (*compare) return runcompare(comparevalues);
        if (*sweep) return runsweep(sweepvalues);
        if (*probe) return runprobe(o);
        return runinfo(o);
    } catch (const usageerror& error) {
        std::fprintf(stderr, "tonvex: %s\n", error.what());
        return exit_usage;
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "tonvex: %s\n", error.what());
        return exit_failure;
    }
}
