// borderlux-cli: the command-line face of Borderlux. Reads a photo, runs steps on it in the
// order given, and writes the result as "Save as..." would (format by extension).

#include "app/cli/cli_steps.h"
#include "platform/image_io/image_io.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using namespace borderlux;

namespace {

const char* const kVersion = "borderlux-cli 6.71 Build0601";

const CliStep* findStep(const std::string& name)
{
    for (const CliStep& step : CliSteps())
        if (step.name == name)
            return &step;
    return nullptr;
}

void printHelp()
{
    std::printf("Usage: borderlux-cli INPUT [STEP...] OUTPUT\n"
                "Reads INPUT as the photo, runs the steps in order and writes OUTPUT in the\n"
                "format of its extension (JPEG at quality 80 unless --quality says otherwise).\n\n"
                "Options:\n"
                "  --help                 this text\n"
                "  --version              the program's version\n"
                "  --timings              print the time of each step on stderr\n\nSteps:\n");
    for (const CliStep& step : CliSteps()) {
        std::string head = step.name;
        for (const std::string& p : step.params)
            head += " " + p;
        std::printf("  %-22s %s\n", head.c_str(), step.help.c_str());
    }
}

int fail(const std::string& message, int code = 1)
{
    std::fprintf(stderr, "borderlux-cli: %s\n", message.c_str());
    return code;
}

struct Timer {
    bool enabled = false;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    void lap(const std::string& what)
    {
        auto now = std::chrono::steady_clock::now();
        if (enabled)
            std::fprintf(stderr, "%-28s %8.1f ms\n", what.c_str(),
                std::chrono::duration<double, std::milli>(now - start).count());
        start = now;
    }
};

int run(std::vector<std::string> args)
{
    Timer timer;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--help") {
            printHelp();
            return 0;
        }
        if (*it == "--version") {
            std::printf("%s\n", kVersion);
            return 0;
        }
        if (*it == "--timings") {
            timer.enabled = true;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    if (args.size() < 2)
        return fail("expected INPUT [STEP...] OUTPUT; see --help", 2);

    const std::string input = args.front();
    const std::string output = args.back();
    if (input.starts_with("--"))
        return fail("the first argument must be the input photo, not '" + input + "'", 2);
    if (output.starts_with("--"))
        return fail("the last argument must be the output file, not '" + output + "'", 2);

    // Parse every step before doing any work, so a typo costs nothing.
    struct Planned {
        const CliStep* step;
        std::vector<std::string> args;
    };
    std::vector<Planned> plan;
    for (size_t i = 1; i + 1 < args.size();) {
        const CliStep* step = findStep(args[i]);
        if (!step)
            return fail("unknown step '" + args[i] + "'; see --help", 2);
        if (i + step->params.size() >= args.size() - 1)
            return fail(
                step->name + " needs " + std::to_string(step->params.size()) + " parameter(s)", 2);
        Planned p { step, {} };
        for (size_t k = 0; k < step->params.size(); ++k)
            p.args.push_back(args[i + 1 + k]);
        i += 1 + step->params.size();
        plan.push_back(std::move(p));
    }
    if (!CanWriteExtension(LowerExtension(output)))
        return fail("cannot write '" + output + "': unknown or read-only file type", 2);

    CliState state;
    state.inputPath = input;
    // Straight into layer 0's raster: no copy of the photo on the way in.
    const ImageIOResult read = ReadImage(input, state.photo());
    if (!read)
        return fail("cannot read '" + input + "': " + read.reason);
    if (!read.reason.empty())
        std::fprintf(
            stderr, "borderlux-cli: warning: '%s': %s\n", input.c_str(), read.reason.c_str());
    timer.lap("read " + input);

    for (const Planned& p : plan) {
        std::string error;
        if (!p.step->run(state, p.args, error))
            return fail(p.step->name + ": " + error);
        timer.lap(p.step->name);
    }

    // The output is the rendered document. A single opaque photo layer renders to an exact copy
    // of itself, so it is written as it is.
    const TIEBitmap* picture = &state.photo();
    TIEBitmap flat;
    if (!state.view.RendersAsPlainCopy()) {
        state.view.RenderLayersTo(flat);
        if (flat.IsEmpty())
            return fail("cannot render the picture: out of memory");
        picture = &flat;
        timer.lap("render");
    }
    const ImageIOResult written = WriteImage(output, *picture, state.writeOptions);
    if (!written)
        return fail("cannot write '" + output + "': " + written.reason);
    timer.lap("write " + output);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Qt's image plugins and font rendering need a GUI application object, but never a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return run(std::move(args));
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}
