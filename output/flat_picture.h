#pragma once

// The flat picture of a document: everything the user sees, in one 24-bit raster without
// alpha, as every output command writes it. It spans image position (0, 0) to the largest
// right and bottom edge of any layer (parts of layers at negative offsets are cut off), shows
// the view's Background where no layer covers it, and has the text objects (the view's
// OnDrawObjects hook) drawn on top. Making it never changes the document.

#include "document/ie_bitmap.h"

namespace borderlux {

class TIELayerView;

class FlatPicture {
public:
    FlatPicture() = default;
    FlatPicture(FlatPicture&&) noexcept = default;
    FlatPicture& operator=(FlatPicture&&) noexcept = default;

    /// The picture: the rendered raster, or layer 0's raster itself when that is exactly what
    /// rendering would give. Valid while the view and its layer 0 are unchanged.
    const TIEBitmap& Bitmap() const { return m_shared ? *m_shared : m_rendered; }
    bool IsEmpty() const { return Bitmap().IsEmpty(); }
    /// True when Bitmap() is layer 0's raster, not a rendered copy.
    bool SharesPhotoLayer() const { return m_shared != nullptr; }
    /// Moves the picture out, for a caller that keeps it beyond the document (a copy of layer
    /// 0's raster when it is shared). The FlatPicture is empty afterwards.
    TIEBitmap TakeBitmap();

private:
    friend FlatPicture RenderFlatPicture(TIELayerView& view);
    TIEBitmap m_rendered;
    const TIEBitmap* m_shared = nullptr;
};

/// Renders all layers and text objects of `view` at 100 % (RenderLayersTo) into a new raster,
/// then notifies the view (OnChange). When the view RendersAsPlainCopy and layer 0 carries no
/// alpha a writer could keep, the picture refers to layer 0's raster instead of copying it.
FlatPicture RenderFlatPicture(TIELayerView& view);

} // namespace borderlux
