#pragma once

// TfrmMain: the main window. It owns the Photo document and every widget of the program's
// working window: the main menu, the tool bar `ToolBar_Main`, the editing area `Panel_Main`
// with the main view `ImgView_Main` and the button row `Panel_BottomTop`, the library panel
// `Panel_Bottom` and the status bar `StatusBar_Main`.
//
// Every command is a QAction named after it (see command_table.h). Commands whose handler
// another subsystem provides stay disabled until that subsystem wires them with WireCommand,
// so none of them silently does nothing.

#include "app/core/startup.h"
#include "app/photo/photo_document.h"

#include <QHash>
#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <span>
#include <string_view>

class QComboBox;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QToolBar;

namespace borderlux {

class LibraryBrowser;
struct OutputResult;
class TImgMView;
class TImgVect;
class TImgViewPreview;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(const StartupContext& context, QWidget* parent = nullptr);
    ~TfrmMain() override;

    /// The hooks of the start-up steps carried out by the window's parts: the library panel
    /// (4, 5, 9) and the Photo document (6, 7, 8, 11, 12).
    StartupHooks OwnStartupHooks();

    // --- Pieces other subsystems work with --------------------------------------------------

    PhotoDocument& Photo() { return m_photo; }
    TImgVect* ImgView_Main() const { return m_view; }
    QComboBox* ComboBoxEx1() const { return m_comboFrames; }
    QComboBox* ComboBoxEx2() const { return m_comboStamps; }
    QWidget* Panel_Bottom() const { return m_panelBottom; }
    QMenu* PopupMenu1() const { return m_popup1; }
    QMenu* PopupMenu2() const { return m_popup2; }
    const QString& ProgramFolder() const { return m_programFolder; }
    const QString& UserDataFolder() const { return m_userDataFolder; }

    /// The command named `name` (e.g. "acApply"); null for an unknown name.
    QAction* Command(std::string_view name) const;
    /// Makes `handler` the command's execute handler (replacing an earlier one) and enables it.
    void WireCommand(std::string_view name, std::function<void()> handler);

    /// The thumbnail grid, the preview view and the controller of the library panel.
    TImgMView* ImgMViewMain() const { return m_grid; }
    TImgViewPreview* ImgViewPreView() const { return m_preview; }
    LibraryBrowser* Browser() const { return m_browser; }

    // --- Replaceable platform calls (tests put their own in) --------------------------------

    /// Returns the chosen photo path, empty when cancelled.
    std::function<QString()> OpenDialog;
    /// Returns the chosen colour, invalid when cancelled.
    std::function<QColor(const QColor& initial)> ColorDialog;
    /// Hands an address to the desktop.
    std::function<void(const QUrl&)> OpenWebPage;
    /// The save-picture dialog: starts in folder (empty: its default) with fileName filled in
    /// and extraFilter (e.g. "*.jpg") added to the picture filters; returns the chosen path,
    /// empty when cancelled.
    std::function<QString(
        const QString& folder, const QString& fileName, const QString& extraFilter)>
        SaveDialog;
    /// A message box with one OK button and the caption given.
    std::function<void(const QString& text, const QString& caption)> ShowMessageBox;

    // --- Handlers ---------------------------------------------------------------------------

    void acOpenFileExecute();
    void acExitExecute();
    void acZoomBExecute();
    void acZoomSExecute();
    void acFullImageExecute();
    void acFitImageExecute();
    void acUndoExecute();
    void acCancelExecute();
    void acMergeExecute();
    void acDeleteLayerExecute();
    void acHideExecute();
    void acBackgroundExecute();
    void acHelpExecute();
    void acSupportExecute();
    void acViewSamplesExecute();
    void acWebSiteExecute();
    /// Runs the acApply command (double-click in the grid, drop on the view); nothing while
    /// it is not wired.
    void RunApply();

    // Handlers of the Apply and output commands; main_window_factory.cpp wires them.

    /// Apply: the grid's selected frame or stamp becomes new layers over the photo (see
    /// document/frame_apply.h), the preview's picture serving the colour-key and stamp rules.
    /// Without a read photo only the message "Please open a image file first." ("Info")
    /// appears. Ends with the mouse interaction move-and-resize.
    void acApplyExecute();
    /// "Save as...": renders the document, asks SaveDialog for a path (proposed: the photo's
    /// folder, "framed-" + its name, its extension as extra filter) and writes the picture
    /// there. Cancelled: nothing written, nothing said.
    void acSaveFileExecute();
    /// "Save": renders the document and writes it over the current photo path without
    /// asking; no photo path: nothing written, nothing said.
    void acSaveAsExecute();
    /// "Share with friends": renders the document and writes it as JPEG to the home folder's
    /// borderluxshare.jpg.
    void acSharePhotoExecute();
    // A write that fails shows its path and reason in a message box; the file that was at
    // the target is left as it was. The document is never changed by saving.
    /// Before the view's context menu opens: Delete and Merge are enabled exactly when the
    /// current layer is not layer 0. The state stays with the commands.
    void PopupMenu1Popup();

    void ImgView_MainDrawLayerBox(TImgVect& view, QPainter& canvas, int layer);
    void ImgView_MainDrawLayerGrip(
        TImgVect& view, QPainter& canvas, int layer, int grip, const QRect& rect);
    bool ImgView_MainDragOver(QObject* source);
    void ImgView_MainDragDrop(QObject* source);

    /// The form-settings file: $XDG_CONFIG_HOME/Borderlux/borderlux.ini.
    static QString FormSettingsPath();

signals:
    /// The window's size changed; the thumbnail grid sets its column count from it.
    void FormResize();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createCommands();
    void createMenus();
    void createToolBar();
    void createCentralArea();
    void createStatusBar();
    void wireOwnCommands();
    void reportWrite(const OutputResult& result);
    QMenu* buildMenu(QMenu* menu, std::span<const std::string_view> entries);
    QPushButton* makeRowButton(QAction* action, const QString& caption = {});
    void restoreFormSettings();
    void saveFormSettings();

    QString m_programFolder;
    QString m_userDataFolder;
    QStringList m_arguments;
    PhotoDocument m_photo;

    QHash<QString, QAction*> m_commands;
    QHash<QString, QMetaObject::Connection> m_handlers;
    QToolBar* m_toolBar = nullptr;
    TImgVect* m_view = nullptr;
    QWidget* m_panelMain = nullptr;
    QWidget* m_panelBottomTop = nullptr;
    QWidget* m_panelBottom = nullptr;
    QComboBox* m_comboFrames = nullptr;
    QComboBox* m_comboStamps = nullptr;
    TImgMView* m_grid = nullptr;
    TImgViewPreview* m_preview = nullptr;
    LibraryBrowser* m_browser = nullptr;
    QMenu* m_popup1 = nullptr;
    QMenu* m_popup2 = nullptr;
    int m_libraryHeight = 120;
};

} // namespace borderlux
