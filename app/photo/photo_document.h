#pragma once

// The Photo document: what the main editing view holds. Layer 0 is the photo, frame and stamp
// layers lie above it, text objects are drawn over everything, and the view's processor keeps
// the undo history. The document also keeps the path of the photo last opened and a pristine
// copy of the document as it looked right after that opening, which Cancel restores.
//
// The document is never saved as such; output renders it flat. It holds no widgets, so the
// GUI and borderlux-cli run the same commands on it. Text objects belong to the text
// subsystem; the document reaches them through the hooks below, which may be empty.

#include "document/layer_view.h"
#include "platform/ui/mouse_interaction.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace borderlux {

class PhotoDocument {
public:
    /// userDataFolder: where the work-file copy goes (created, one level, on the first open);
    /// it ends in "/" or is empty (then the current folder is used).
    explicit PhotoDocument(std::string userDataFolder = {});
    /// A document over a view owned by someone else (borderlux-cli's state); the view must
    /// outlive the document. Its pristine copy is taken from the view as it is now.
    PhotoDocument(TIELayerView& view, std::string userDataFolder);
    PhotoDocument(const PhotoDocument&) = delete;
    PhotoDocument& operator=(const PhotoDocument&) = delete;

    /// The main view's layers, selection, zoom and processor.
    TIELayerView& View() { return *m_view; }
    const TIELayerView& View() const { return *m_view; }
    TImgProc& Proc() { return m_view->Proc(); }
    /// The pristine copy: a hidden view whose layer 0 holds the document as last opened.
    const TIELayerView& Pristine() const { return m_pristine; }
    /// Makes `picture` the pristine copy, for a document whose photo was read by its owner.
    void SetPristine(const TIEBitmap& picture) { m_pristine.LayerAt(0).Bitmap.Assign(picture); }

    const std::string& UserDataFolder() const { return m_userDataFolder; }
    void SetUserDataFolder(std::string folder) { m_userDataFolder = std::move(folder); }

    // --- Start-up steps ---------------------------------------------------------------------

    /// Blanks the view (layer 0 1 x 1 of the background colour).
    void StartUpBlankView();
    /// The processor takes no snapshots of its own and keeps at most 10.
    void StartUpConfigureProcessor();
    /// Layer 0 becomes not selectable and locked.
    void StartUpLockPhotoLayer();
    /// Creates the pristine copy (empty).
    void StartUpCreatePristine();
    /// Opens arguments[1] when it names an existing file; other arguments are ignored. The zoom
    /// is left as it is. Returns whether a photo was opened.
    bool StartUpOpenCommandLine(const std::vector<std::string>& arguments);

    // --- Commands ---------------------------------------------------------------------------

    /// The path given to the last OpenPhoto (possibly empty).
    const std::string& CurrentPhotoPath() const { return m_photoPath; }
    /// The name of the last file read into layer 0; empty while no photo has been read.
    const std::string& ReadFileName() const { return m_readFileName; }

    /// Opens a photo: the current path becomes `path` (also when empty). A non-empty path
    /// resets the document to one blank layer 0 (not selectable, unlocked), copies the file to
    /// the work file (user data folder + "workfile" + the path's extension) and reads it into
    /// layer 0; an unreadable file leaves layer 0 blank. In every case the pristine copy is
    /// retaken from the document as it now is.
    void OpenPhoto(const std::string& path);
    /// The work file for a photo path: user data folder + "workfile" + extension with its dot.
    std::string WorkFilePath(const std::string& photoPath) const;

    /// Before every adjustment and effect: flattens layers and text into layer 0, draws the
    /// text into it once more, merges its alpha onto the background, switches the mouse
    /// interaction off and pushes one undo snapshot.
    void PrepareForEffect();
    /// Returns to the pristine copy: one layer 0 (selectable, locked) with its pixels. The undo
    /// history, the photo path and the mouse interaction stay.
    void Cancel();
    /// Removes the top layer when there is more than one (the last one above the photo also
    /// switches the mouse interaction off and makes the photo not selectable); otherwise
    /// restores and discards the newest snapshot; otherwise nothing.
    void Undo();
    /// Flattens everything into layer 0 without a snapshot; mouse interaction none.
    void Merge();
    /// Deletes the current layer unless it is layer 0.
    void DeleteLayer();
    /// Whether Delete and Merge make sense now: the current layer is not layer 0.
    bool CurrentIsUpperLayer() const { return m_view->CurrentLayer() != 0; }

    // --- Mouse interaction ------------------------------------------------------------------

    TMouseInteraction MouseInteraction() const { return m_interaction; }
    /// Sets it and tells OnMouseInteraction.
    void SetMouseInteraction(TMouseInteraction interaction);
    std::function<void(TMouseInteraction)> OnMouseInteraction;

    // --- Text objects (owned by the text subsystem) -----------------------------------------

    std::function<void()> RemoveAllObjects;
    std::function<void()> UnselectAllObjects;
    std::function<void(bool antialias)> CopyObjectsToBack;
    /// Releases the "Insert text" tool button.
    std::function<void()> ReleaseTextTool;

private:
    void resetDocument();
    void copyToWorkFile(const std::string& path);
    void retakePristine();
    static void call(const std::function<void()>& f)
    {
        if (f)
            f();
    }

    std::string m_userDataFolder;
    std::unique_ptr<TIELayerView> m_ownView;
    TIELayerView* m_view;
    TIELayerView m_pristine;
    std::string m_photoPath;
    std::string m_readFileName;
    TMouseInteraction m_interaction = kMouseNone;
};

} // namespace borderlux
