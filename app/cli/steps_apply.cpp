// borderlux-cli step of the Apply command: the file given plays the part of the thumbnail
// selected in the library and of the picture in the preview beside it.

#include "app/cli/cli_steps.h"
#include "document/frame_apply.h"

namespace borderlux {

namespace {

const CliStepRegistrar apply({ "--apply", { "FILE" },
    "Apply: lay the frame or stamp FILE over the photo by its name's rules (a..., b...: alpha "
    "from red; c...: colour key; s...: stamp, centred)",
    [](CliState& state, const std::vector<std::string>& args, std::string& error) {
        const std::string& file = args[0];
        const FrameRules rules = FrameRulesForName(file);
        if (!rules.alphaFromRed && !rules.colourKey && !rules.stamp) {
            error = "'" + std::string(FrameFileName(file))
                + "' is not a frame or stamp name (it must start with a, b, c or s, or "
                  "contain an a)";
            return false;
        }
        // In the window the preview holds the selected file at full size, so one read serves
        // both the preview picture and the alpha-from-red rule's own read of the file.
        TIEBitmap preview;
        const ImageIOResult read = ReadImage(file, preview);
        if (!read) {
            error = "cannot read '" + file + "': " + read.reason;
            return false;
        }
        ApplyFrameOrStamp(
            state.view, file,
            [&preview](const std::string&, TIEBitmap& bmp) { bmp.Assign(preview); }, preview);
        return true;
    } });

} // namespace

} // namespace borderlux
