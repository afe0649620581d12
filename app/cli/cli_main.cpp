// borderlux-cli: the command-line face of Borderlux. Reads a photo, runs steps on it in the
// order given, and writes the result as "Save as..." would (format by extension). In batch
// mode it does the same for many photos, writing each as "framed-" + its name.

#include "app/cli/cli_steps.h"
#include "output/flat_picture.h"
#include "output/save_share.h"
#include "platform/image_io/image_io.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
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
                "       borderlux-cli --out-dir DIR [STEP...] PHOTO...\n"
                "Reads INPUT as the photo, runs the steps in order and writes OUTPUT in the\n"
                "format of its extension (JPEG at quality 80 unless --quality says otherwise).\n"
                "With --out-dir every PHOTO is processed in turn and written to\n"
                "DIR/framed-NAME, the name \"Save as...\" proposes; a photo that fails is\n"
                "reported and skipped, and the exit status is 1 when any failed.\n\n"
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

struct Planned {
    const CliStep* step;
    std::vector<std::string> args;
};

// Parses steps from args[first] on. In a single run they end before `last`; in batch mode
// (last == args.size()) they end at the first argument that is not a step name.
bool parseSteps(const std::vector<std::string>& args, size_t& i, size_t last, bool batch,
    std::vector<Planned>& plan, std::string& error)
{
    while (i < last) {
        if (batch && !args[i].starts_with("--"))
            return true;
        const CliStep* step = findStep(args[i]);
        if (!step) {
            error = "unknown step '" + args[i] + "'; see --help";
            return false;
        }
        if (i + step->params.size() >= last) {
            error = step->name + " needs " + std::to_string(step->params.size()) + " parameter(s)";
            return false;
        }
        Planned p { step, {} };
        for (size_t k = 0; k < step->params.size(); ++k)
            p.args.push_back(args[i + 1 + k]);
        i += 1 + step->params.size();
        plan.push_back(std::move(p));
    }
    return true;
}

// Qt's image plugins and its painting need a QGuiApplication; starting one costs tens of
// milliseconds, so it is made only when a file of this run goes through Qt. main() owns it, so
// it is gone before the program's static objects are.
std::unique_ptr<QGuiApplication>* g_qtApp = nullptr;

void ensureQt(char* argv0)
{
    if (!g_qtApp || *g_qtApp || QCoreApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's own chatter (the offscreen platform's missing runtime folder and the like) is not
    // for the user of a command-line tool; our errors are reported by us.
    if (!std::getenv("BORDERLUX_QT_MESSAGES"))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "borderlux-cli: %s\n", msg.toLocal8Bit().constData());
        });
    static int argc = 1;
    static char* argv[] = { argv0, nullptr };
    *g_qtApp = std::make_unique<QGuiApplication>(argc, argv);
}

bool runNeedsQt(const std::vector<std::string>& inputs, const std::string& outputExt,
    const std::vector<Planned>& plan)
{
    if (UsesQtCodec(outputExt, true))
        return true;
    for (const std::string& in : inputs)
        if (UsesQtCodec(LowerExtension(in), false))
            return true;
    for (const Planned& p : plan)
        if (p.step->name == "--apply" && UsesQtCodec(LowerExtension(p.args[0]), false))
            return true;
    return false;
}

// One photo through the plan into output. Returns an empty string on success, else the reason.
std::string processPhoto(const std::string& input, const std::string& output,
    const std::vector<Planned>& plan, Timer& timer)
{
    CliState state;
    state.inputPath = input;
    // Straight into layer 0's raster: no copy of the photo on the way in.
    const ImageIOResult read = ReadImage(input, state.photo());
    if (!read)
        return "cannot read '" + input + "': " + read.reason;
    if (!read.reason.empty())
        std::fprintf(
            stderr, "borderlux-cli: warning: '%s': %s\n", input.c_str(), read.reason.c_str());
    timer.lap("read " + input);

    for (const Planned& p : plan) {
        std::string error;
        if (!p.step->run(state, p.args, error))
            return p.step->name + ": " + error;
        timer.lap(p.step->name);
    }

    // The render step of "Save as...": a single opaque photo layer is written as it is.
    const FlatPicture flat = RenderFlatPicture(state.view);
    if (flat.IsEmpty())
        return "cannot render the picture: out of memory";
    if (!flat.SharesPhotoLayer())
        timer.lap("render");
    const ImageIOResult written = WriteImage(output, flat.Bitmap(), state.writeOptions);
    if (!written)
        return "cannot write '" + output + "': " + written.reason;
    timer.lap("write " + output);
    return {};
}

int runSingle(const std::vector<std::string>& args, Timer& timer, char* argv0)
{
    if (args.size() < 2)
        return fail("expected INPUT [STEP...] OUTPUT; see --help", 2);
    const std::string input = args.front();
    const std::string output = args.back();
    if (input.starts_with("--"))
        return fail("the first argument must be the input photo, not '" + input + "'", 2);
    if (output.starts_with("--"))
        return fail("the last argument must be the output file, not '" + output + "'", 2);

    // Parse every step before doing any work, so a typo costs nothing.
    std::vector<Planned> plan;
    std::string error;
    size_t i = 1;
    if (!parseSteps(args, i, args.size() - 1, false, plan, error))
        return fail(error, 2);
    const std::string outputExt = LowerExtension(output);
    if (runNeedsQt({ input }, outputExt, plan))
        ensureQt(argv0);
    if (!CanWriteExtension(outputExt))
        return fail("cannot write '" + output + "': unknown or read-only file type", 2);

    error = processPhoto(input, output, plan, timer);
    return error.empty() ? 0 : fail(error);
}

int runBatch(const std::vector<std::string>& args, Timer& timer, char* argv0)
{
    // args[0] is --out-dir.
    if (args.size() < 3)
        return fail("expected --out-dir DIR [STEP...] PHOTO...; see --help", 2);
    std::string dir = args[1];
    if (dir.empty() || dir.starts_with("--"))
        return fail("--out-dir needs a folder", 2);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec)
        return fail("cannot make the folder '" + dir + "': " + ec.message());
    if (dir.back() != '/')
        dir += '/';
    std::vector<Planned> plan;
    std::string error;
    size_t i = 2;
    if (!parseSteps(args, i, args.size(), true, plan, error))
        return fail(error, 2);
    const std::vector<std::string> photos(args.begin() + long(i), args.end());
    if (photos.empty())
        return fail("no photos given after the steps", 2);

    bool qt = false;
    for (const std::string& photo : photos)
        qt = qt || runNeedsQt({ photo }, LowerExtension(photo), plan);
    if (qt)
        ensureQt(argv0);

    int failed = 0;
    const size_t n = photos.size();
    for (size_t k = 0; k < n; ++k) {
        const std::string& photo = photos[k];
        const std::string output = dir + ProposeSaveAs(photo).fileName;
        const std::string counter = "[" + std::to_string(k + 1) + "/" + std::to_string(n) + "] ";
        std::string reason;
        if (!CanWriteExtension(LowerExtension(output)))
            reason = "cannot write '" + output + "': unknown or read-only file type";
        else
            reason = processPhoto(photo, output, plan, timer);
        if (reason.empty()) {
            std::fprintf(stderr, "borderlux-cli: %s%s -> %s\n", counter.c_str(), photo.c_str(),
                output.c_str());
        } else {
            ++failed;
            std::fprintf(stderr, "borderlux-cli: %s%s failed: %s\n", counter.c_str(), photo.c_str(),
                reason.c_str());
        }
    }
    if (failed)
        return fail(std::to_string(failed) + " of " + std::to_string(n) + " photos failed");
    return 0;
}

int run(std::vector<std::string> args, char* argv0)
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
    if (!args.empty() && args.front() == "--out-dir")
        return runBatch(args, timer, argv0);
    return runSingle(args, timer, argv0);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::unique_ptr<QGuiApplication> qtApp;
    g_qtApp = &qtApp;
    try {
        return run(std::move(args), argv[0]);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}
