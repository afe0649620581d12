#include "document/frame_apply.h"

#include "document/layer_view.h"
#include "document/pixel_ops.h"
#include "document/resample.h"

#include <cmath>

namespace borderlux {

std::string_view FrameFileName(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

FrameRules FrameRulesForName(std::string_view fileName)
{
    const std::string_view name = FrameFileName(fileName);
    FrameRules rules;
    if (name.empty())
        return rules;
    const char first = name.front();
    rules.invert = first == 'b';
    rules.alphaFromRed = rules.invert || name.find('a') != std::string_view::npos;
    rules.colourKey = first == 'c';
    rules.stamp = first == 's';
    return rules;
}

namespace {

// The key colour of a colour-key frame: the centre pixel of the picture the layer now
// holds (the preview picture, or what AddLayer left when the preview was empty).
TRGB keyColour(const TIEBitmap& bmp)
{
    return bmp.PixelAsRGB(bmp.Width() / 2, bmp.Height() / 2);
}

int halfDifference(int outer, int inner)
{
    // Halves of odd differences truncate towards zero, also below zero: -50.5 gives -50.
    return int(std::trunc((double(outer) - double(inner)) / 2.0));
}

} // namespace

FrameApplyResult ApplyFrameOrStamp(TIELayerView& view, const std::string& selectedPath,
    const FrameFileReader& readFile, const TIEBitmap& preview)
{
    FrameApplyResult result;
    result.rules = FrameRulesForName(selectedPath);

    view.Proc().DiscardAllRedo();
    view.SetCurrentLayer(0);
    const TIELayer& photo = view.LayerAt(0);
    const int w0 = photo.EffectiveWidth();
    const int h0 = photo.EffectiveHeight();
    const int x0 = photo.OffsetX;
    const int y0 = photo.OffsetY;

    if (result.rules.alphaFromRed) {
        // The frame is scaled straight into the new layer's raster. A scratch view's processor
        // would add nothing a plain raster lacks here: it has no selection, and its undo
        // snapshot would be thrown away with it.
        TIEBitmap scratch;
        if (readFile)
            readFile(selectedPath, scratch);
        if (result.rules.invert)
            NegativeBitmap(scratch);
        const int rasterWidth = view.LayerAt(0).Bitmap.Width();
        const int rasterHeight = view.LayerAt(0).Bitmap.Height();
        const int index = view.AddLayer();
        TIEBitmap& frame = view.LayerAt(index).Bitmap;
        if (!scratch.IsEmpty())
            ResampleTo(scratch, frame, rasterWidth, rasterHeight, rfFastLinear);
        AlphaFromRed(frame);
        result.alphaFromRedLayer = index;
        ++result.layersAdded;
    }

    if (result.rules.colourKey) {
        const int index = view.AddLayer();
        TIEBitmap& frame = view.LayerAt(index).Bitmap;
        frame.Assign(preview);
        if (!frame.IsEmpty()) {
            const TRGB key = keyColour(frame);
            view.Proc().SetTransparentColors(key, key, 0);
        }
        result.colourKeyLayer = index;
        ++result.layersAdded;
    }

    TIELayer& framed = view.LayerAt(view.CurrentLayer());
    framed.DisplayWidth = w0;
    framed.DisplayHeight = h0;
    framed.OffsetX = x0;
    framed.OffsetY = y0;

    if (result.rules.stamp) {
        const int index = view.AddLayer();
        TIELayer& stamp = view.LayerAt(index);
        stamp.Bitmap.Assign(preview);
        stamp.DisplayWidth = preview.Width();
        stamp.DisplayHeight = preview.Height();
        const TIELayer& base = view.LayerAt(0);
        stamp.OffsetX = halfDifference(base.EffectiveWidth(), stamp.EffectiveWidth());
        stamp.OffsetY = halfDifference(base.EffectiveHeight(), stamp.EffectiveHeight());
        result.stampLayer = index;
        ++result.layersAdded;
    }

    view.Changed();
    return result;
}

} // namespace borderlux
