#include "output/flat_picture.h"

#include "document/layer_view.h"

#include <cstdint>
#include <sys/mman.h>

namespace borderlux {

namespace {

// A fresh raster of a large photo is touched page by page for the first time while it is
// rendered; in 4 KiB pages that first touch costs far more than the compositing itself
// (about 0.3 s for 24 megapixels here), in 2 MiB pages a tenth of it.
void adviseHugePages(TIEBitmap& bmp)
{
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    if (bmp.Location() == ieFile || uint64_t(bmp.ByteSize()) < 2 * kHuge)
        return;
    const auto start = reinterpret_cast<uintptr_t>(bmp.Bits());
    const uintptr_t begin = (start + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (start + uintptr_t(bmp.ByteSize())) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace

TIEBitmap FlatPicture::TakeBitmap()
{
    TIEBitmap out;
    if (m_shared)
        out.Assign(*m_shared);
    else
        out = std::move(m_rendered);
    m_shared = nullptr;
    m_rendered.Clear();
    return out;
}

FlatPicture RenderFlatPicture(TIELayerView& view)
{
    FlatPicture picture;
    const TIEBitmap& photo = view.LayerAt(0).Bitmap;
    // A plane that is not fully opaque would be written by the PNG, TIFF and ICO writers,
    // while the rendered picture never has one; such a layer 0 is rendered like any other.
    const TIEBitmap* plane = photo.ExistingAlphaPlane();
    if (view.RendersAsPlainCopy() && (!plane || plane->FullyOpaque())) {
        picture.m_shared = &photo;
    } else {
        // Allocated here, at the size RenderLayersTo makes, so that its pages can be advised
        // before the first touch; RenderLayersTo keeps a target of the right shape.
        int width = 0, height = 0;
        view.ImageExtent(width, height);
        if (width >= 1 && height >= 1 && picture.m_rendered.Allocate(width, height, ie24RGB))
            adviseHugePages(picture.m_rendered);
        view.RenderLayersTo(picture.m_rendered);
    }
    view.Changed();
    return picture;
}

} // namespace borderlux
