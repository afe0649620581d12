#pragma once

// TIELayer: one layer of an image view (see layer_view.h): a raster plus where and how it is
// drawn. Layer 0 of a view is the photo; frames and stamps are layers above it.
//
// Coordinates are image pixels: (0, 0) is the top-left pixel of the rendered canvas. Offsets
// may be negative (the part left of or above (0, 0) is cut off when rendering).

#include "document/ie_bitmap.h"

#include <string>

namespace borderlux {

/// An integer rectangle. Whether right and bottom are inclusive is stated where one is used.
struct IERect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    /// Half-open test: left <= x < right and top <= y < bottom.
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const IERect&) const = default;
};

struct TIELayer {
    TIELayer() { Bitmap.SetPlatformBitmapStorage(true); }
    TIELayer(const TIELayer&) = delete;
    TIELayer& operator=(const TIELayer&) = delete;

    /// Displayed width and height in image pixels; 0 means the raster's own.
    int DisplayWidth = 0;
    int DisplayHeight = 0;
    /// The layer's raster, owned by the layer. Kept in platform-bitmap storage (rows in memory,
    /// shareable with a QImage through PlatformBitmap) so the GUI can draw on it.
    TIEBitmap Bitmap;
    /// Invisible layers are skipped by rendering and hit testing.
    bool Visible = true;
    /// The view draws the outline and grips of the current layer when this is set.
    bool ShowBox = true;
    /// Uniform opacity 0..255: 255 opaque, 0 invisible. Combined with the alpha plane by min.
    int Transparency = 255;
    /// Image position of the layer's top-left corner; may be negative.
    int OffsetX = 0;
    int OffsetY = 0;
    /// Where the layer was last drawn in the view's client area (right and bottom exclusive).
    /// Set by every paint (TIELayerView::UpdateScreenRects); read by LayerAtPoint.
    IERect ScreenRect;
    /// The user cannot move or resize a locked layer with the mouse.
    bool Locked = false;
    /// Only selectable layers can become the current layer.
    bool Selectable = true;
    /// Free text for the GUI (not used by rendering).
    std::string Name;

    /// The displayed size: DisplayWidth / DisplayHeight, or the raster's size where they are 0.
    int EffectiveWidth() const { return DisplayWidth ? DisplayWidth : Bitmap.Width(); }
    int EffectiveHeight() const { return DisplayHeight ? DisplayHeight : Bitmap.Height(); }

    /// Resets every field except the raster to its default (DeleteUpperLayers does this to
    /// layer 0): visible, ShowBox, Transparency 255, offset 0, display size 0, unlocked,
    /// selectable, ScreenRect 0, empty name.
    void ResetFields()
    {
        DisplayWidth = DisplayHeight = 0;
        Visible = true;
        ShowBox = true;
        Transparency = 255;
        OffsetX = OffsetY = 0;
        ScreenRect = {};
        Locked = false;
        Selectable = true;
        Name.clear();
    }
};

} // namespace borderlux
