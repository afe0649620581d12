#include "output/flat_picture.h"

#include "document/layer_view.h"

namespace borderlux {

FlatPicture RenderFlatPicture(TIELayerView& view)
{
    FlatPicture picture;
    const TIEBitmap& photo = view.LayerAt(0).Bitmap;
    // A plane that is not fully opaque would be written by the PNG, TIFF and ICO writers,
    // while the rendered picture never has one; such a layer 0 is rendered like any other.
    const TIEBitmap* plane = photo.ExistingAlphaPlane();
    if (view.RendersAsPlainCopy() && (!plane || plane->FullyOpaque())) {
        picture.m_shared = &photo;
        view.Changed();
        return picture;
    }
    view.RenderLayersTo(picture.m_rendered);
    return picture;
}

} // namespace borderlux
