#pragma once

// Applying a frame or stamp: the picture selected in the library becomes one or two new layers
// over the photo in an image view. The picture's file name (without its folder, extension
// included) decides how, by three tests that are applied independently and in this order, so
// one name can satisfy several:
//
// 1. starts with 'b' or contains 'a' anywhere: alpha-from-red frame. The file is read, colour-
//    inverted first when the name starts with 'b', scaled to layer 0's raster size with
//    rfFastLinear and added as a layer whose alpha becomes its red channel.
// 2. starts with 'c': colour-key frame. The preview picture is added as a layer at its own
//    pixel size; every pixel of the key colour (the colour of the preview's centre pixel,
//    column W div 2, row H div 2) becomes fully transparent, through the view's processor
//    (so a selection in the view restricts it).
// 3. starts with 's': stamp. The preview picture is added as a layer shown at its own size,
//    centred on layer 0 (offset Trunc of half the size difference, so it may be negative).
//
// After tests 1 and 2, the last layer they added (or layer 0 when neither added one) is given
// layer 0's rectangle: offset and displayed size of layer 0 as it was before applying. So a
// frame always covers the photo exactly; a colour-key picture of another size is stretched.
//
// The tests compare lower-case letters case-sensitively: 'A', 'B', 'C' and 'S' match nothing.
// An empty name (nothing selected) adds nothing. No undo snapshot is taken; the view's redo
// entries are discarded. Standard library only: the file is read through a callback.

#include "document/ie_bitmap.h"

#include <functional>
#include <string>
#include <string_view>

namespace borderlux {

class TIELayerView;

/// Which rules a frame or stamp file name selects.
struct FrameRules {
    bool alphaFromRed = false; ///< test 1
    bool invert = false; ///< test 1 with a leading 'b': Negative before scaling
    bool colourKey = false; ///< test 2
    bool stamp = false; ///< test 3
};

/// The rules for a file name (the part after the last '/'; a path is accepted and its folders
/// are ignored).
FrameRules FrameRulesForName(std::string_view fileName);

/// The file name of a path: everything after the last '/', the whole string when there is none.
std::string_view FrameFileName(std::string_view path);

/// Reads the file at path into bmp (ie24RGB, an alpha plane when the file has alpha). A file
/// that cannot be read leaves bmp empty (0 x 0); applying then goes on with the empty raster.
using FrameFileReader = std::function<void(const std::string& path, TIEBitmap& bmp)>;

/// What ApplyFrameOrStamp did. Layer indices are -1 for a rule that did not run.
struct FrameApplyResult {
    FrameRules rules;
    int layersAdded = 0;
    int alphaFromRedLayer = -1;
    int colourKeyLayer = -1;
    int stampLayer = -1;
};

/// The body of the Apply command on `view` (the main view; its processor should be set up as
/// the main view's: AutoUndo off):
/// 1. discards the processor's redo entries and makes layer 0 current (SetCurrentLayer(0));
/// 2. runs the rules of the selected file's name (see the top of this header): test 1 reads
///    `selectedPath` with `readFile`; tests 2 and 3 copy `preview` (the picture of the library's
///    preview view, normally the same file at full size);
/// 3. ends with the last added layer current and the view notified (OnChange).
/// `selectedPath` empty: no rule runs, nothing is added, layer 0 still becomes current and
/// gets its own rectangle. An empty preview gives layers as AddLayer made them (the current
/// raster's size, Background, no alpha; for test 2 then wholly of the key colour, so
/// transparent). Never shows anything, never changes the cursor or the mouse interaction:
/// that and the "no photo" check are the caller's.
FrameApplyResult ApplyFrameOrStamp(TIELayerView& view, const std::string& selectedPath,
    const FrameFileReader& readFile, const TIEBitmap& preview);

} // namespace borderlux
