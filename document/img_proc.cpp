#include "document/img_proc.h"

#include "document/layer_view.h"
#include "document/pixel_ops.h"

#include <algorithm>
#include <cstring>

namespace borderlux {

struct TImgProc::Entry {
    TIEBitmap snapshot;
    int layerIndex = -1;
    TIEUndoSource kind = ieuImage;
    std::string caption;
};

TImgProc::TImgProc(TIELayerView& view)
    : m_view(view)
{
}

TImgProc::~TImgProc() = default;

TIEBitmap* TImgProc::Bitmap()
{
    TIEBitmap& b = m_view.Bitmap();
    return b.IsEmpty() ? nullptr : &b;
}

void TImgProc::push(std::vector<std::unique_ptr<Entry>>& list, const std::string& caption)
{
    if (m_undoLimit <= 0)
        return;
    TIEBitmap* bmp = Bitmap();
    if (!bmp || bmp->Width() < 2 || bmp->Height() < 2)
        return;
    auto entry = std::make_unique<Entry>();
    // Threshold 0 with file storage preferred: every snapshot gets a temporary file of its own.
    // Assign writes it with pwrite and never maps it, so it stays out of resident memory.
    entry->snapshot.SetPreferFileStorage(true);
    entry->snapshot.SetLargeRasterThreshold(0);
    entry->snapshot.Assign(*bmp);
    entry->snapshot.ReleaseMapping();
    if (entry->snapshot.IsEmpty())
        return;
    entry->layerIndex = m_view.CurrentLayer();
    entry->caption = caption;
    while (int(list.size()) >= m_undoLimit)
        list.erase(list.begin());
    list.push_back(std::move(entry));
}

void TImgProc::SaveSnapshot(TIEUndoSource source)
{
    if (source == ieuImage)
        push(m_undo, {});
}

void TImgProc::SaveCaptionedSnapshot(const std::string& caption, TIEUndoSource source)
{
    TIEBitmap* bmp = Bitmap();
    if (source == ieuImage && bmp && bmp->Width() >= 2 && bmp->Height() >= 2)
        push(m_undo, caption);
}

std::string TImgProc::SnapshotCaption(int position) const
{
    if (position < 0 || position >= SnapshotCount())
        return {};
    return m_undo[size_t(SnapshotCount() - 1 - position)]->caption;
}

void TImgProc::RestoreSnapshot(int position, bool alsoRedo)
{
    if (!Bitmap() || position < 0 || position >= SnapshotCount())
        return;
    Entry& e = *m_undo[size_t(SnapshotCount() - 1 - position)];
    if (alsoRedo)
        push(m_redo, e.caption);
    if (e.kind != ieuImage)
        return;
    const int index = std::clamp(e.layerIndex, 0, m_view.LayerCount() - 1);
    TIEBitmap& target = e.layerIndex >= 0 ? m_view.LayerAt(index).Bitmap : m_view.Bitmap();
    target.Assign(e.snapshot);
    e.snapshot.ReleaseMapping();
    m_view.Changed();
}

void TImgProc::DiscardLatestSnapshot()
{
    if (!m_undo.empty())
        m_undo.pop_back();
}

void TImgProc::DiscardSnapshotAt(int position)
{
    if (position < 0 || position >= SnapshotCount())
        return;
    m_undo.erase(m_undo.begin() + (SnapshotCount() - 1 - position));
}

void TImgProc::DiscardAllSnapshots()
{
    while (!m_undo.empty())
        m_undo.erase(m_undo.begin());
}

void TImgProc::DiscardAllRedo()
{
    while (!m_redo.empty())
        m_redo.erase(m_redo.begin());
}

// --- Processing frame -----------------------------------------------------------------------

namespace {

// Copies the columns left .. left + width - 1 of every row of src (starting at row top) into
// dst, which is width wide; any pixel format.
void copyRect(const TIEBitmap& src, TIEBitmap& dst, int left, int top)
{
    const int bpp = BitsPerPixel(src.PixelFormat());
    for (int y = 0; y < dst.Height(); ++y) {
        const uint8_t* in = src.Row(top + y);
        uint8_t* out = dst.Row(y);
        if (bpp >= 8) {
            const int bytes = bpp / 8;
            std::memcpy(out, in + int64_t(left) * bytes, size_t(dst.Width()) * size_t(bytes));
        } else {
            std::memset(out, 0, size_t(dst.RowLength()));
            for (int x = 0; x < dst.Width(); ++x) {
                const int s = left + x;
                if (in[s >> 3] & (0x80 >> (s & 7)))
                    out[x >> 3] |= uint8_t(0x80 >> (x & 7));
            }
        }
    }
}

} // namespace

ProcessingFrame TImgProc::BeginProcessing(
    const std::string& name, std::initializer_list<TIEPixelFormat> accepted)
{
    ProcessingFrame f;
    TIEBitmap* bmp = Bitmap();
    if (!bmp)
        return f;
    if (m_autoUndo && bmp->Width() >= 2 && bmp->Height() >= 2)
        SaveCaptionedSnapshot(name);
    if (accepted.size() != 0
        && std::find(accepted.begin(), accepted.end(), bmp->PixelFormat()) == accepted.end())
        bmp->ConvertTo24Bit();
    f.proceed = true;
    f.bitmap = bmp;

    if (!m_view.HasSelection())
        return f;
    const TIEBitmap& mask = m_view.SelectionMask();
    IERect r = m_view.SelectionRect();
    // The raster may have changed size since the selection was made.
    r.right = std::min({ r.right, bmp->Width() - 1, mask.Width() - 1 });
    r.bottom = std::min({ r.bottom, bmp->Height() - 1, mask.Height() - 1 });
    if (r.right < r.left || r.bottom < r.top)
        return f;
    const int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
    auto copy = std::make_unique<TIEBitmap>();
    auto maskCopy = std::make_unique<TIEBitmap>();
    copy->SetPreferFileStorage(false);
    maskCopy->SetPreferFileStorage(false);
    if (!copy->Allocate(w, h, bmp->PixelFormat()) || !maskCopy->Allocate(w, h, ie8g))
        return f;
    copy->Palette() = bmp->Palette();
    copyRect(*bmp, *copy, r.left, r.top);
    copyRect(mask, *maskCopy, r.left, r.top);
    // The rectangle's alpha comes along, so an operation that writes some alpha values keeps
    // the others as they were.
    if (const TIEBitmap* plane = bmp->ExistingAlphaPlane();
        plane && plane->Width() == bmp->Width() && plane->Height() == bmp->Height()) {
        TIEBitmap& cp = copy->AlphaPlane();
        copyRect(*plane, cp, r.left, r.top);
        cp.SetFullyOpaque(plane->FullyOpaque());
    }
    f.copy = std::move(copy);
    f.maskCopy = std::move(maskCopy);
    f.bitmap = f.copy.get();
    f.mask = f.maskCopy.get();
    f.left = r.left;
    f.top = r.top;
    return f;
}

void TImgProc::EndProcessing(ProcessingFrame& frame)
{
    if (!frame.proceed)
        return;
    TIEBitmap* bmp = Bitmap();
    if (frame.copy && bmp && frame.copy->PixelFormat() == bmp->PixelFormat()) {
        const TIEBitmap& c = *frame.copy;
        const TIEBitmap& m = *frame.maskCopy;
        const int bpp = BitsPerPixel(c.PixelFormat());
        for (int y = 0; y < c.Height(); ++y) {
            const uint8_t* in = c.Row(y);
            const uint8_t* sel = m.Row(y);
            uint8_t* out = bmp->Row(frame.top + y);
            for (int x = 0; x < c.Width(); ++x) {
                if (!sel[x])
                    continue;
                const int dx = frame.left + x;
                if (bpp == 24) {
                    std::memcpy(out + 3 * dx, in + 3 * x, 3);
                } else if (bpp == 8) {
                    out[dx] = in[x];
                } else {
                    const uint8_t bit = uint8_t(0x80 >> (dx & 7));
                    if (in[x >> 3] & (0x80 >> (x & 7)))
                        out[dx >> 3] |= bit;
                    else
                        out[dx >> 3] &= uint8_t(~bit);
                }
            }
        }
        if (bpp == 8 && c.PixelFormat() == ie8p)
            bmp->Palette() = c.Palette();
        const TIEBitmap* plane = c.ExistingAlphaPlane();
        if (plane && !plane->FullyOpaque()) {
            TIEBitmap& target = bmp->AlphaPlane();
            bool below = false;
            for (int y = 0; y < c.Height(); ++y) {
                const uint8_t* in = plane->Row(y);
                const uint8_t* sel = m.Row(y);
                uint8_t* out = target.Row(frame.top + y) + frame.left;
                for (int x = 0; x < c.Width(); ++x)
                    if (sel[x]) {
                        out[x] = in[x];
                        below = below || in[x] < 255;
                    }
            }
            if (below)
                target.SetFullyOpaque(false);
        }
    }
    frame.copy.reset();
    frame.maskCopy.reset();
    frame.proceed = false;
    m_view.Changed();
}

// --- Operations -----------------------------------------------------------------------------

void TImgProc::Negative()
{
    ProcessingFrame f = BeginProcessing("Negative");
    if (!f.proceed)
        return;
    NegativeBitmap(*f.bitmap);
    EndProcessing(f);
}

void TImgProc::SetTransparentColors(TRGB min, TRGB max, uint8_t alpha)
{
    ProcessingFrame f = BeginProcessing("SetTransparentColors");
    if (!f.proceed)
        return;
    SetTransparentColorsBitmap(*f.bitmap, min, max, alpha);
    EndProcessing(f);
}

void TImgProc::Resample(int newWidth, int newHeight, TResampleFilter filter)
{
    TIEBitmap* bmp = Bitmap();
    if (!bmp)
        return;
    if (m_autoUndo)
        SaveCaptionedSnapshot(
            "Resample " + std::to_string(newWidth) + "," + std::to_string(newHeight));
    // The result is built with the raster's own storage settings and then moved in: the same
    // raster an Assign would give, without copying it once more.
    TIEBitmap result;
    result.SetPreferFileStorage(bmp->PreferFileStorage());
    result.SetLargeRasterThreshold(bmp->LargeRasterThreshold());
    result.SetPlatformBitmapStorage(bmp->PlatformBitmapStorage());
    if (!ResampleTo(*bmp, result, newWidth, newHeight, filter))
        return;
    *bmp = std::move(result);
    m_view.Changed();
}

} // namespace borderlux
