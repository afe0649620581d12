#pragma once

// LibraryBrowser: the behaviour of the main window's library panel. It drives widgets the
// window owns and lays out: the thumbnail grid (ImgMViewMain), the preview (ImgViewPreView)
// and the two category selectors of the button row (ComboBoxEx1 frames, ComboBoxEx2 stamps).
//
// Use from the main window:
//   auto* browser = new LibraryBrowser(ImgMViewMain, ImgViewPreView, ComboBoxEx1, ComboBoxEx2,
//                                      this);
//   browser->setProgramFolder([] { return ProgramFolder(); });   // ends in "/"
//   browser->setUserDataFolder(userDataFolder);                  // ends in "/"
//   browser->setIconProvider([](int i) { return iconFromSharedList(i); });
//   browser->setPopupMenu(PopupMenu2, acFavFrame, acDelFav);
//   connect(browser, &LibraryBrowser::applyRequested, this, &TfrmMain::RunApply);
//   FormCreate:  browser->SetupGrid();           // start-up step 4
//                browser->FillStartFolder();     // step 5
//                browser->LoadCategoryLists();   // step 9
//   FormResize:  browser->FormResize();
//   acFavFrame's handler: browser->acFavFrameExecute(); acDelFav's: browser->acDelFavExecute().
//
// The constructor connects by itself, so the window must not connect these again:
// - the selectors' activated signals (user choices only) to ComboBox1Change / ComboBox2Change;
// - the grid's ImageSelect (user clicks and wheel) to ImgMViewMainImageSelect;
// - the grid's double-click to applyRequested, its drag start to dragStarted, and its context
//   menu request to PopupMenu2Popup followed by showing the menu given to setPopupMenu.
//
// Drops: a drag from the grid carries ThumbnailMimeType (img_m_view.h) with the grid as the
// drag source; the main view accepts it (TImgMView::isThumbnailDrag) and runs Apply for
// selectedPath() on drop.
//
// Everything runs on the GUI thread. FillThumbnails lets pending events run after every file;
// a fill started meanwhile (another category change) supersedes the running one, which stops
// at once and leaves grid, preview and selectors to the newer one.

#include "library/category_list.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QComboBox;
class QMenu;

namespace borderlux {

class TImgMView;
class TImgViewPreview;

/// Background colour FillThumbnails gives every item.
inline constexpr QRgb kThumbnailItemColor = 0xFFD0EFEF; // (208, 239, 239)
/// Most items a fill lists; accepted files beyond it are left out.
inline constexpr int kMaxGridItems = 150;

class LibraryBrowser : public QObject {
    Q_OBJECT
public:
    /// Any widget may be null; the parts that need it then do nothing.
    LibraryBrowser(TImgMView* grid, TImgViewPreview* preview, QComboBox* frameSelector,
        QComboBox* stampSelector, QObject* parent = nullptr);

    /// The program folder, ending in "/"; asked afresh on every use.
    void setProgramFolder(std::function<QString()> programFolder);
    /// The user data folder, ending in "/" (it need not exist).
    void setUserDataFolder(const QString& folder) { m_userDataFolder = folder; }
    /// Icons of the shared image list by index, for the selector items.
    void setIconProvider(std::function<QIcon(int)> icons) { m_icons = std::move(icons); }
    /// The grid's context menu and its two favourites commands (owned by the window).
    void setPopupMenu(QMenu* menu, QAction* acFavFrame, QAction* acDelFav);

    // Start-up ---------------------------------------------------------------------------
    /// Step 4: column rule, thumbnails 100 x 80, reduced copies only.
    void SetupGrid();
    /// Step 5: fills the grid from program folder + "frames/free" when that folder exists and
    /// selects item 0. The preview stays empty.
    void FillStartFolder();
    /// Step 9: fills both selectors from the program folder's list files and selects item 0 in
    /// each without running their change handlers.
    void LoadCategoryLists();
    /// Same from items already read.
    void LoadCategoryLists(const CategorySelectors& items);

    // Window handlers --------------------------------------------------------------------
    /// The column rule: grid columns = Trunc(grid width / thumbnail width).
    void FormResize();
    /// Frame category chosen: clear the grid, fill it from the category's folder, select item
    /// 0, read it into the preview (an empty grid keeps the old preview), and set the stamp
    /// selector back to item 0 without running its handler.
    void ComboBox1Change();
    /// Stamp category chosen: the same with the stamp folder; the frame selector goes back to 0.
    void ComboBox2Change();
    /// The user selected grid item index: read its file into the preview.
    void ImgMViewMainImageSelect(int index);
    /// Before the context menu opens: "Delete from my favorite" enabled exactly when the
    /// selected path contains "favorite", "Add to my favorite" exactly when it does not.
    void PopupMenu2Popup();
    /// "Add to my favorite": copies the selected file into the favourites folder of its kind
    /// (see favourites.h). The grid is not refilled. Returns the new file's path or "".
    QString acFavFrameExecute();
    /// "Delete from my favorite": deletes the selected file without asking and removes its
    /// item from the grid (even when the file could not be deleted). The preview is unchanged.
    void acDelFavExecute();

    /// Fills the grid from folder: busy cursor, plain non-hidden files in name order, accepted
    /// extensions only (IsAcceptedReadExtension), at most kMaxGridItems items, pending events
    /// processed after every file, painting suspended meanwhile, item 0 selected at the end.
    /// Returns false when a newer fill superseded this one while it ran.
    bool FillThumbnails(const QString& folder);
    /// True while a fill runs.
    bool isFilling() const { return m_fillDepth > 0; }

    /// Full path of the grid's selected item; empty when none.
    QString selectedPath() const;

Q_SIGNALS:
    /// A double-click on a thumbnail: run Apply.
    void applyRequested();
    /// A drag of a thumbnail starts (the path is the selected item's).
    void dragStarted(const QString& path);

private:
    void categoryChanged(CategoryKind kind);
    QString programFolder() const;
    void fillSelector(QComboBox* selector, const std::vector<SelectorItem>& items);
    void showPopup(const QPoint& globalPos);

    QPointer<TImgMView> m_grid;
    QPointer<TImgViewPreview> m_preview;
    QPointer<QComboBox> m_frameSelector;
    QPointer<QComboBox> m_stampSelector;
    QPointer<QMenu> m_popup;
    QPointer<QAction> m_acFavFrame;
    QPointer<QAction> m_acDelFav;
    std::function<QString()> m_programFolder;
    std::function<QIcon(int)> m_icons;
    QString m_userDataFolder;
    uint64_t m_fillGeneration = 0;
    int m_fillDepth = 0;
};

} // namespace borderlux
