// frame_tool: the Apply and output commands of the main window without a window, for the
// write-failure scripts and the framing benchmark. It runs exactly the code the commands run:
//
//   frame_tool --make PATH WIDTH HEIGHT      writes a photo-like test picture
//   frame_tool PHOTO [--apply FRAME]... [--move X Y] [--save | --save-as PATH | --share HOME]
//              [--times]
//
// PHOTO is read into layer 0 of a view set up as the main view; each --apply runs the Apply
// command with FRAME as the selected library file (and as the preview picture); --move drags
// the top layer to (X, Y); --save writes over PHOTO. --times prints the time of each phase.
// Exit status: 0 written (or nothing to write), 1 the write failed (the message on stderr),
// 2 bad arguments or an unreadable photo.

#include "document/frame_apply.h"
#include "document/layer_view.h"
#include "output/flat_picture.h"
#include "output/save_share.h"
#include "platform/image_io/image_io.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace borderlux;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int usage()
{
    std::fprintf(stderr,
        "usage: frame_tool --make PATH WIDTH HEIGHT\n"
        "       frame_tool PHOTO [--apply FRAME]... [--move X Y] "
        "[--save | --save-as PATH | --share HOME] [--times]\n");
    return 2;
}

int makePicture(const std::string& path, int width, int height)
{
    // Smooth colour ramps with a little texture: compresses like a photo, not like noise.
    TIEBitmap bmp;
    if (width < 1 || height < 1 || !bmp.Allocate(width, height, ie24RGB))
        return 2;
    for (int y = 0; y < height; ++y) {
        TRGB* row = reinterpret_cast<TRGB*>(bmp.Row(y));
        for (int x = 0; x < width; ++x) {
            const int texture = ((x * 13) ^ (y * 7)) & 15;
            row[x] = { uint8_t((x * 255 / width + texture) & 255),
                uint8_t((y * 255 / height + texture) & 255),
                uint8_t(((x + y) * 127 / (width + height) + 64 + texture) & 255) };
        }
    }
    const ImageIOResult r = WriteImage(path, bmp);
    if (!r) {
        std::fprintf(stderr, "frame_tool: %s: %s\n", path.c_str(), r.reason.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage();
    if (args[0] == "--make")
        return args.size() == 4
            ? makePicture(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()))
            : usage();

    const std::string photo = args[0];
    std::vector<std::string> frames;
    bool moved = false;
    int moveX = 0, moveY = 0;
    enum class Target { None, Save, SaveAs, Share } target = Target::None;
    std::string targetArg;
    bool times = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--apply" && i + 1 < args.size()) {
            frames.push_back(args[++i]);
        } else if (a == "--move" && i + 2 < args.size()) {
            moved = true;
            moveX = std::atoi(args[++i].c_str());
            moveY = std::atoi(args[++i].c_str());
        } else if (a == "--save") {
            target = Target::Save;
        } else if ((a == "--save-as" || a == "--share") && i + 1 < args.size()) {
            target = a == "--save-as" ? Target::SaveAs : Target::Share;
            targetArg = args[++i];
        } else if (a == "--times") {
            times = true;
        } else {
            return usage();
        }
    }

    // The main view as the main window sets it up.
    TIELayerView view;
    view.Proc().SetAutoUndo(false);
    view.Proc().SetUndoLimit(10);
    TIELayer& layer0 = view.LayerAt(0);
    layer0.Selectable = false;
    layer0.Locked = true;

    Clock::time_point start = Clock::now();
    const ImageIOResult read = ReadImage(photo, layer0.Bitmap);
    if (!read) {
        std::fprintf(stderr, "frame_tool: %s: %s\n", photo.c_str(), read.reason.c_str());
        return 2;
    }
    const double readMs = msSince(start);

    start = Clock::now();
    const FrameFileReader reader
        = [](const std::string& path, TIEBitmap& bmp) { ReadImage(path, bmp); };
    for (const std::string& frame : frames) {
        // The preview view holds the same file; only the colour-key and stamp rules use it.
        TIEBitmap preview;
        const FrameRules rules = FrameRulesForName(frame);
        if (rules.colourKey || rules.stamp)
            ReadImage(frame, preview);
        ApplyFrameOrStamp(view, frame, reader, preview);
    }
    if (moved && view.LayerCount() > 1) {
        view.LayerAt(view.LayerCount() - 1).OffsetX = moveX;
        view.LayerAt(view.LayerCount() - 1).OffsetY = moveY;
    }
    const double applyMs = msSince(start);

    start = Clock::now();
    const FlatPicture flat = RenderFlatPicture(view);
    const double renderMs = msSince(start);

    start = Clock::now();
    OutputResult result;
    switch (target) {
    case Target::None:
        break;
    case Target::Save:
        result = WriteFlatPicture(flat, photo);
        break;
    case Target::SaveAs:
        result = WriteFlatPicture(flat, targetArg);
        break;
    case Target::Share:
        result = WriteFlatPicture(flat, ShareFilePath(targetArg));
        break;
    }
    const double writeMs = msSince(start);
    if (times)
        std::fprintf(stderr, "read %.1f ms, apply %.1f ms, render %.1f ms, write %.1f ms\n", readMs,
            applyMs, renderMs, writeMs);
    if (result.Failed()) {
        std::fprintf(stderr, "frame_tool: %s\n", result.Message().c_str());
        return 1;
    }
    return 0;
}
