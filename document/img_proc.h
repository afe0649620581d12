#pragma once

// TImgProc: the image processor of an image view. It always acts on the view's current raster
// (the current layer's Bitmap), keeps the undo history of that view and runs the image
// operations, most of them inside the processing frame (BeginProcessing / EndProcessing),
// which restricts them to the view's selection.
//
// Undo history: a bounded list of snapshots, oldest first. A snapshot is an Assign copy of the
// current raster (alpha plane included) plus the index of the layer that was current. Snapshot
// rasters are stored in a temporary file of their own (threshold 0, written with pwrite and
// never mapped, so they do not count towards resident memory); the file disappears when the
// snapshot is freed. When no file can be had the snapshot stays in memory.
//
// Everything runs on the calling (GUI) thread.

#include "document/ie_bitmap.h"
#include "document/resample.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace borderlux {

class TIELayerView;

/// Kinds of undo entries. Only ieuImage is recorded; the others are accepted and ignored.
enum TIEUndoSource : int {
    ieuUnknown,
    ieuImage,
    ieuSelection,
    ieuObject,
    ieuLayer,
    ieuFullLayer,
};

/// What BeginProcessing hands to an operation.
struct ProcessingFrame {
    /// False: the processor has no raster; the operation does nothing (and need not call
    /// EndProcessing).
    bool proceed = false;
    /// The raster the operation works on: the current raster itself, or a copy of the
    /// selection's bounding rectangle (whose edges then act as the image edges).
    TIEBitmap* bitmap = nullptr;
    /// The selection mask cut to the bounding rectangle (ie8g, same size as a copied bitmap,
    /// non-zero = selected); null when the whole raster is worked on.
    const TIEBitmap* mask = nullptr;

    // Owned storage for the copy and its mask, and where the copy came from.
    std::unique_ptr<TIEBitmap> copy;
    std::unique_ptr<TIEBitmap> maskCopy;
    int left = 0;
    int top = 0;
};

class TImgProc {
public:
    explicit TImgProc(TIELayerView& view);
    ~TImgProc();
    TImgProc(const TImgProc&) = delete;
    TImgProc& operator=(const TImgProc&) = delete;

    TIELayerView& View() { return m_view; }
    /// The current raster of the view, or null when it is empty (0 x 0): "no raster".
    TIEBitmap* Bitmap();

    // --- Settings -------------------------------------------------------------------------

    /// When on, processing-frame operations and Resample take a captioned snapshot first.
    /// On by default (the main view turns it off).
    bool AutoUndo() const { return m_autoUndo; }
    void SetAutoUndo(bool on) { m_autoUndo = on; }
    /// Maximum number of undo entries; 1 by default; 0 disables the history. Setting it does
    /// not trim existing entries; the next push does.
    int UndoLimit() const { return m_undoLimit; }
    void SetUndoLimit(int limit) { m_undoLimit = limit; }

    // --- Undo history ---------------------------------------------------------------------

    /// Pushes a snapshot of the current raster (only ieuImage does anything). Nothing happens
    /// when UndoLimit is 0, there is no raster, or it is narrower or lower than 2 pixels.
    /// Oldest entries are freed until fewer than UndoLimit remain, then the entry is appended.
    void SaveSnapshot(TIEUndoSource source = ieuImage);
    /// As SaveSnapshot, with a caption; only when the raster is at least 2 x 2.
    void SaveCaptionedSnapshot(const std::string& caption, TIEUndoSource source = ieuImage);
    bool HasSnapshots() const { return !m_undo.empty(); }
    int SnapshotCount() const { return int(m_undo.size()); }
    /// Caption of the entry `position` places below the newest ("" when out of range).
    std::string SnapshotCaption(int position) const;
    /// Restores the entry `position` places below the newest (0 = newest) without removing it:
    /// the raster of layer min(recorded index, LayerCount - 1) is Assigned from it (alpha plane
    /// included, or the target's plane dropped when the snapshot had none). With alsoRedo a
    /// snapshot of the current raster is pushed on the redo list first. Nothing when there is
    /// no raster or position is out of range. The view is notified.
    void RestoreSnapshot(int position, bool alsoRedo = false);
    /// Frees the newest undo entry; nothing when the list is empty.
    void DiscardLatestSnapshot();
    /// Frees the entry `position` places below the newest; nothing when out of range.
    void DiscardSnapshotAt(int position);
    void DiscardAllSnapshots();
    int RedoCount() const { return int(m_redo.size()); }
    void DiscardAllRedo();

    // --- Processing frame -----------------------------------------------------------------

    /// Starts an operation named `name` accepting the given formats (empty = all): takes the
    /// captioned snapshot when AutoUndo is on (raster at least 2 x 2), converts the raster to
    /// ie24RGB when its format is not accepted, and with a non-empty selection hands out a
    /// copy of the selection's bounding rectangle and the mask cut to it.
    ProcessingFrame BeginProcessing(
        const std::string& name, std::initializer_list<TIEPixelFormat> accepted = {});
    /// Ends it: with a copy, every masked pixel of the rectangle takes the copy's pixel, and
    /// when the copy has a plane that is not FullyOpaque its alpha too (creating the raster's
    /// plane if needed). Then the view is notified. Does nothing for a frame that did not
    /// proceed.
    void EndProcessing(ProcessingFrame& frame);

    // --- Operations -----------------------------------------------------------------------

    /// Inverts the colours of the operation bitmap (see NegativeBitmap), in the frame.
    void Negative();
    /// Alpha `alpha` for every pixel in min..max (see SetTransparentColorsBitmap), in the frame.
    void SetTransparentColors(TRGB min, TRGB max, uint8_t alpha);
    /// Resamples the whole current raster (not in the frame) with ResampleTo's size rules.
    /// With AutoUndo a snapshot "Resample W,H" is taken first. Nothing on an empty raster.
    void Resample(int newWidth, int newHeight, TResampleFilter filter);

private:
    struct Entry;
    void push(std::vector<std::unique_ptr<Entry>>& list, const std::string& caption);

    TIELayerView& m_view;
    bool m_autoUndo = true;
    int m_undoLimit = 1;
    std::vector<std::unique_ptr<Entry>> m_undo;
    std::vector<std::unique_ptr<Entry>> m_redo;
};

} // namespace borderlux
