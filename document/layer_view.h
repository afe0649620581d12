#pragma once

// TIELayerView: the headless model of an image view. It holds the layer list (layer 0 at the
// bottom, never empty), the current layer, the background colour, the selection, the view's
// zoom and scroll origin, and the view's image processor (TImgProc). The GUI widget draws it
// with RenderView / RenderViewRows and repaints when OnChange is called; borderlux-cli and the
// output commands flatten it with RenderLayersTo. Both use the same compositing:
//
// - Each visible layer whose raster is at least 2 pixels wide or high is drawn from layer 0
//   upwards onto a canvas filled with Background. A layer covers (OffsetX, OffsetY) with its
//   effective size; its raster is sampled nearest-pixel through per-column and per-row tables
//   (ratios raster size / effective size, edges clipped with Trunc rules).
// - Coverage o = Transparency, or min(Transparency, alpha) when EnableAlphaChannel is on and
//   the raster has a plane that is not FullyOpaque. o >= 255 without alpha copies the pixel;
//   otherwise each channel d becomes d + floor((s - d) x o / 256) (CoverageBlend).
// - The canvas is 24-bit; layer alpha only weights a layer against what lies below it.
//
// Coordinate systems:
// - image pixels: the canvas of RenderLayersTo, (0, 0) top-left;
// - view pixels: image pixels times Zoom() / 100 (the zoomed canvas);
// - client pixels: view pixels minus the view origin (the scroll position): client (cx, cy)
//   shows view pixel (cx + ViewOriginX(), cy + ViewOriginY()).
//
// Everything runs on the GUI thread. Methods that change what is shown call OnChange.

#include "document/ie_bitmap.h"
#include "document/ie_layer.h"
#include "document/img_proc.h"
#include "document/resample.h"

#include <functional>
#include <memory>
#include <vector>

namespace borderlux {

/// How OnDrawObjects is to draw: target pixel (tx, ty) shows image point
/// (originX + tx / zoom, originY + ty / zoom).
struct ObjectDrawContext {
    double zoom = 1.0; ///< view pixels per image pixel (1 = 100 %)
    double originX = 0; ///< image point at the target's left edge
    double originY = 0; ///< image point at the target's top edge
    bool antialias = true;
};

class TIELayerView {
public:
    /// One layer 0 with an empty raster, ShowBox false, Locked true; current layer 0;
    /// Background white; zoom 100 %; the processor with its defaults (AutoUndo on, limit 1).
    TIELayerView();
    ~TIELayerView();
    TIELayerView(const TIELayerView&) = delete;
    TIELayerView& operator=(const TIELayerView&) = delete;

    // --- Hooks ----------------------------------------------------------------------------

    /// Called whenever what the view shows changed (layers, pixels, selection, zoom). The GUI
    /// widget repaints from it. May be empty.
    std::function<void()> OnChange;
    /// Called after the layers are drawn, to draw the text objects on top. RenderLayersTo and
    /// FlattenLayers call it with zoom 1 and origin (0, 0) on the whole canvas; RenderView with
    /// the view's zoom on the rendered rectangle. May be empty.
    std::function<void(TIEBitmap& target, const ObjectDrawContext& context)> OnDrawObjects;
    /// Calls OnChange; for code that changed a layer's raster or fields directly.
    void Changed();

    // --- Layer list -----------------------------------------------------------------------

    int LayerCount() const { return int(m_layers.size()); }
    /// Layer i, 0 .. LayerCount() - 1 (not checked). References stay valid until the layer is
    /// deleted.
    TIELayer& LayerAt(int i) { return *m_layers[size_t(i)]; }
    const TIELayer& LayerAt(int i) const { return *m_layers[size_t(i)]; }
    int CurrentLayer() const { return m_current; }
    /// The current layer's raster: what the processor and the GUI's drawing act on.
    TIEBitmap& Bitmap() { return m_layers[size_t(m_current)]->Bitmap; }
    const TIEBitmap& Bitmap() const { return m_layers[size_t(m_current)]->Bitmap; }

    /// Nothing when i is out of range or already current; otherwise walks down from i to the
    /// first Selectable layer (stopping at 0 even when 0 is not selectable) and makes it current.
    void SetCurrentLayer(int i);
    /// Appends a layer whose raster has the size and format of the current raster, makes it
    /// current (SetCurrentLayer) and clears it (ClearCurrent). Returns the new index.
    int AddLayer();
    /// Nothing unless there are two or more layers and i is in range. Removes layer i; when it
    /// was current, min(i, LayerCount() - 1) becomes current (walking down as SetCurrentLayer);
    /// when it was below the current one, the current one keeps being current.
    void DeleteLayer(int i);
    /// Removes every layer above 0, resets layer 0's fields to the defaults, makes it current
    /// and clears it (ClearCurrent: Background, no alpha plane).
    void DeleteUpperLayers();
    /// Renders everything (layers and objects) into layer 0 and removes the other layers:
    /// one opaque layer at offset 0 with default fields.
    void FlattenLayers();
    /// Replaces the lower of layers i and j with their composite (an ie24RGB raster with an
    /// alpha plane, the plane dropped when all 255); with removeUpper the upper one is removed.
    /// Layers shown at another size are first resampled in place with ZoomFilter. The merged
    /// layer becomes current. Nothing when an index is out of range or i == j.
    void MergeLayerPair(int i, int j, bool removeUpper);

    /// Fills the current raster with Background and drops its alpha plane (no merge).
    void ClearCurrent();
    /// Makes the current raster 1 x 1, then ClearCurrent.
    void BlankCurrent();
    /// DropAlphaPlane(merge, Background) on the current raster.
    void DropCurrentAlpha(bool merge);

    /// Topmost layer that is Visible, whose ScreenRect contains client point (x, y), that is
    /// Selectable when selectableOnly, and whose alpha under the point is not 0 (the point is
    /// mapped into the raster through ScreenRect and clamped); -1 when none.
    int LayerAtPoint(int x, int y, bool selectableOnly) const;

    // --- Rendering ------------------------------------------------------------------------

    /// The canvas size of RenderLayersTo: right x bottom over all layers' OffsetX / OffsetY plus
    /// effective size, starting at (0, 0) (layer 0's rectangle always counts).
    void ImageExtent(int& width, int& height) const;
    /// Composites all layers at 100 % into target: ie24RGB of ImageExtent, no alpha plane,
    /// filled with Background; then OnDrawObjects. Draws no layers when the current raster is
    /// empty, its plane has another size, or layer 0's raster is empty.
    void RenderLayersTo(TIEBitmap& target);
    /// True when RenderLayersTo would give an exact copy of layer 0's raster: one visible
    /// ie24RGB layer of at least 2 pixels, offset 0, shown at its own size, Transparency 255, no
    /// alpha plane or a FullyOpaque one, and no OnDrawObjects hook. Callers may then write
    /// layer 0's raster directly instead of rendering.
    bool RendersAsPlainCopy() const;

    /// Zoom in percent (100 = one image pixel per view pixel); values <= 0 are refused.
    double Zoom() const { return m_zoom; }
    void SetZoom(double percent);
    /// The scroll position: the view pixel shown at client (0, 0).
    int ViewOriginX() const { return m_originX; }
    int ViewOriginY() const { return m_originY; }
    void SetViewOrigin(int x, int y);
    /// ImageExtent at the zoom, in view pixels (Trunc of extent x zoom / 100, at least 0).
    void ViewExtent(int& width, int& height) const;
    /// Layer i's rectangle in client pixels at the zoom and origin (right, bottom exclusive).
    IERect LayerClientRect(int i) const;
    /// Sets every layer's ScreenRect to LayerClientRect; the widget calls it on every paint.
    void UpdateScreenRects();
    /// Client point to image point at the zoom and origin.
    double ClientToImageX(double x) const;
    double ClientToImageY(double y) const;

    /// Renders the client rectangle (x, y, width, height) at the view's zoom into a 24-bit
    /// buffer (bytes blue, green, red): `bits` is the rectangle's top-left pixel, `stride` bytes
    /// between rows. Pixels outside the zoomed canvas get Background. Same sampling and blend as
    /// RenderLayersTo (at 100 % and origin 0 the same pixels); cost in proportion to the
    /// rectangle. Does not call OnDrawObjects.
    void RenderViewRows(uint8_t* bits, int64_t stride, int x, int y, int width, int height) const;
    /// As RenderViewRows into target (made ie24RGB width x height when it is not), then
    /// OnDrawObjects with the rectangle's zoom and origin.
    void RenderView(TIEBitmap& target, int x, int y, int width, int height);

    // --- View settings --------------------------------------------------------------------

    /// Colour 0x00BBGGRR of cleared rasters and of the canvas under the layers.
    uint32_t Background() const { return m_background; }
    void SetBackground(uint32_t colour);
    bool EnableAlphaChannel() const { return m_enableAlpha; }
    void SetEnableAlphaChannel(bool on);
    /// Filter used by MergeLayerPair to bring layers to their displayed size (rfNone).
    TResampleFilter ZoomFilter() const { return m_zoomFilter; }
    void SetZoomFilter(TResampleFilter filter) { m_zoomFilter = filter; }

    // --- Selection (bitmap pixels of the current raster) ----------------------------------

    /// Selects the rectangle left..right x top..bottom (inclusive, any order), cut to the
    /// current raster. A rectangle outside the raster gives no selection.
    void SelectRect(int left, int top, int right, int bottom);
    /// Selects the non-zero bytes of an ie8g mask (the current raster's size is expected; a
    /// mask of another size is cut or padded with unselected pixels).
    void SelectMask(const TIEBitmap& mask);
    /// No selection.
    void Deselect();
    /// True when the view has a selection that contains at least one pixel.
    bool HasSelection() const { return m_selected; }
    /// ie8g, the current raster's size at the time of selecting; non-zero = selected. Empty
    /// without a selection.
    const TIEBitmap& SelectionMask() const { return m_selMask; }
    /// Bounding rectangle of the selected pixels, all four inclusive.
    IERect SelectionRect() const { return m_selRect; }

    // --- Processor ------------------------------------------------------------------------

    TImgProc& Proc() { return *m_proc; }

private:
    std::vector<std::unique_ptr<TIELayer>> m_layers;
    int m_current = 0;
    uint32_t m_background = 0x00FFFFFF;
    bool m_enableAlpha = true;
    TResampleFilter m_zoomFilter = rfNone;
    double m_zoom = 100.0;
    int m_originX = 0;
    int m_originY = 0;
    TIEBitmap m_selMask;
    IERect m_selRect;
    bool m_selected = false;
    std::unique_ptr<TImgProc> m_proc;
};

} // namespace borderlux
