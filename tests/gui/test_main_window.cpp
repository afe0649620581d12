// The main window driven as the user drives it: its command table, the view commands, the
// library panel's Hide/Show, the document commands Open, Undo, Cancel, Merge and Delete, the
// context menu's enabling, F1, the form settings, and layer handles on the real view.

#include "app/gui/frm_main.h"
#include "app/gui/main_window_factory.h"
#include "library/ui/img_m_view.h"
#include "platform/image_io/image_io.h"
#include "platform/ui/img_vect.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <filesystem>

using namespace borderlux;

namespace {

// A photo whose pixel (x, y) has red x, green y and blue 7, so any pixel names its place.
void writePattern(const QString& path, int w, int h)
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = TRGB { 7, uint8_t(y), uint8_t(x) };
    QVERIFY(WriteImage(path.toStdString(), bmp));
}

bool samePixels(const TIEBitmap& a, const TIEBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TRGB p = a.ReadRGB(x, y);
            const TRGB q = b.ReadRGB(x, y);
            if (p.r != q.r || p.g != q.g || p.b != q.b)
                return false;
        }
    return true;
}

QStringList entryNames(const QList<QAction*>& actions)
{
    QStringList names;
    for (QAction* a : actions)
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

// A stamp-like layer of w x h in one colour, current, at (x, y).
int addLayer(TIELayerView& view, int x, int y, int w, int h, uint32_t colour)
{
    const int i = view.AddLayer();
    TIELayer& layer = view.LayerAt(i);
    layer.Bitmap.Allocate(w, h, ie24RGB);
    layer.Bitmap.Fill(colour);
    layer.OffsetX = x;
    layer.OffsetY = y;
    view.Changed();
    return i;
}

void mouse(QWidget* w, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
    Qt::MouseButtons buttons)
{
    QMouseEvent e(
        type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void drag(QWidget* w, QPoint from, QPoint to)
{
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;
    QString m_jpg;
    QString m_png;
    TfrmMain* m_w = nullptr;
    QList<QUrl> m_opened;

    QString userData() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + "/Borderlux/";
    }
    PhotoDocument& photo() const { return m_w->Photo(); }
    TIELayerView& view() const { return m_w->Photo().View(); }
    QAction* cmd(const char* name) const { return m_w->Command(name); }

    // The window as start-up leaves it, with the document's start-up steps run.
    TfrmMain* makeWindow()
    {
        StartupContext context;
        context.programFolder = QCoreApplication::applicationDirPath() + "/";
        context.userDataFolder = userData();
        context.arguments = QStringList { "borderlux" };
        auto* w = new TfrmMain(context);
        StartupHooks hooks = w->OwnStartupHooks();
        hooks.blankMainView();
        hooks.configureMainProcessor();
        hooks.lockPhotoLayer();
        hooks.createPristineCopy();
        w->OpenWebPage = [this](const QUrl& url) { m_opened << url; };
        return w;
    }

    void openPhoto(const QString& path)
    {
        m_w->OpenDialog = [path] { return path; };
        cmd("acOpenFile")->trigger();
    }

private slots:
    void initTestCase()
    {
        // The test's own XDG folders start empty. The data folder itself exists, as on any
        // desktop; opening a photo creates only the user data folder inside it.
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        QDir(data).removeRecursively();
        QVERIFY(QDir().mkpath(data));
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .removeRecursively();
        QVERIFY(m_files.isValid());
        m_jpg = m_files.filePath("holiday.jpg");
        m_png = m_files.filePath("pattern.png");
        writePattern(m_jpg, 120, 90);
        writePattern(m_png, 200, 150);
    }

    void init()
    {
        m_opened.clear();
        m_w = makeWindow();
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
    }

    void cleanup()
    {
        delete m_w;
        m_w = nullptr;
    }

    // --- Command table ------------------------------------------------------------------

    void windowLayout()
    {
        QCOMPARE(m_w->windowTitle(), QString("Borderlux 6.71 Build0601"));
        QVERIFY(m_w->isMaximized());
        QCOMPARE(m_w->font().family(), QString("Tahoma"));
        QCOMPARE(m_w->font().pointSize(), 9);
        for (const char* name :
            { "ToolBar_Main", "Panel_Main", "ImgView_Main", "Panel_BottomTop", "ComboBoxEx1",
                "ComboBoxEx2", "Panel_Bottom", "ImgMViewMain", "ImgViewPreView", "StatusBar_Main" })
            QVERIFY2(m_w->findChild<QWidget*>(name), name);
        QCOMPARE(m_w->findChild<QWidget*>("ToolBar_Main")->height(), 33);
        QCOMPARE(m_w->findChild<QWidget*>("Panel_BottomTop")->height(), 38);
        QCOMPARE(m_w->findChild<QWidget*>("Panel_Bottom")->height(), 120);
        QCOMPARE(m_w->findChild<QWidget*>("ComboBoxEx1")->width(), 94);
        QCOMPARE(m_w->findChild<QWidget*>("ComboBoxEx2")->width(), 107);
        QCOMPARE(m_w->findChild<QWidget*>("ImgViewPreView")->width(), 110);
        auto* apply = m_w->findChild<QPushButton*>("Button_Apply");
        QVERIFY(apply);
        QCOMPARE(apply->text(), QString("&Apply"));
        QCOMPARE(apply->font().family(), QString("Times New Roman"));
        QCOMPARE(apply->font().pointSize(), 12);
    }

    void commandCaptionsHintsAndIcons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("icon");
        auto row = [](const char* n, const char* c, const char* h, bool i) {
            QTest::newRow(n) << QString(n) << QString(c) << QString(h) << i;
        };
        row("acOpenFile", "Open...", "Open...", true);
        row("acSaveAs", "Save", "Save", true);
        row("acSaveFile", "Save as...", "Save as...", true);
        row("acSelectScanner", "Select Scanner", "Select Scanner", false);
        row("acAcquire", "Acquire", "Acquire", false);
        row("acPrint", "Print", "Print", true);
        row("acPrintArea", "Print Area", "Print Area", true);
        row("acExit", "Exit", "Exit", false);
        row("acZoomB", "Zoom+", "Zoom+", true);
        row("acZoomS", "Zoom-", "Zoom-", true);
        row("acFullImage", "Full size", "Full size", true);
        row("acFitImage", "Fit the screen", "Fit the screen", true);
        row("acUndo", "Undo", "Undo", true);
        row("acCrop", "Crop", "Crop", true);
        row("acResize", "Resize", "Resize", true);
        row("acRotate", "Rotate", "Rotate", true);
        row("acRemoveRedEye", "Remove Red Eye", "Remove Red Eye", true);
        row("acLightDarkness", "Lightness Adjust", "Lightness Adjust", true);
        row("acAdjustColor", "Color Adjust", "Color Adjust", true);
        row("AddText1", "Add Text", "Add Text", true);
        row("acMerge", "Merge", "Merge all objects", true);
        row("acGray", "Gray", "Gray", true);
        row("acEdgeDelect", "Edge Detect", "Edge Detect", true);
        row("acRoundConer", "Round Corner", "Round Corner", true);
        row("acMosac", "Mosaic", "Mosaic", true);
        row("acBackground", "Background", "Background", true);
        row("acShowNavigation", "Show Welcome Screen", "", false);
        row("acHelp", "Online tour", "Borderlux Help", true);
        row("acSupport", "Borderlux Support", "Borderlux Support", false);
        row("acViewSamples", "View samples of Borderlux", "", true);
        row("acWebSite", "Borderlux Website", "Borderlux Website", true);
        row("ToolButtonTextCuror", "Insert text", "Text Curor", true);
        row("acFlipLeft", "Rotate-Left", "Rotate-Left", true);
        row("acFlipRight", "Rotate-Right", "Rotate-Right", true);
        row("acTrans", "Transparency", "Transparency", true);
        row("acApply", "Apply", "Apply", true);
        row("acCancel", "Cancel", "Cancel", true);
        row("acHide", "Hide", "Hide Frame Style", true);
        row("acDeleteLayer", "Delete", "Delet object", true);
        row("acSharePhoto", "Share with friends", "", true);
        row("acFavFrame", "Add to my favorite", "Add to my favorite frames", true);
        row("acDelFav", "Delete from my favorite", "Delete from my favorite", true);
    }

    void commandCaptionsHintsAndIcons()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(bool, icon);
        QAction* a = m_w->Command(name.toStdString());
        QVERIFY(a);
        QCOMPARE(a->objectName(), name);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->statusTip(), hint);
        if (!hint.isEmpty())
            QCOMPARE(a->toolTip(), hint);
        QCOMPARE(!a->icon().isNull(), icon);
        if (icon) {
            // The shipped pictures render at 16 x 16 and at twice that for high-DPI screens.
            const QImage small = a->icon().pixmap(16, 16).toImage();
            const QImage large = a->icon().pixmap(32, 32).toImage();
            QCOMPARE(small.size(), QSize(16, 16));
            QCOMPARE(large.size(), QSize(32, 32));
            QVERIFY(small.pixelColor(8, 8).alpha() > 0 || small.pixelColor(4, 4).alpha() > 0
                || small.pixelColor(12, 12).alpha() > 0);
        }
    }

    void placesAreBuiltFromTheTable()
    {
        const QStringList toolBar { "acOpenFile", "acSaveAs", "acSaveFile", "-", "acZoomB",
            "acZoomS", "acFullImage", "acFitImage", "acUndo", "-", "acFlipLeft", "acFlipRight",
            "ToolButtonTextCuror", "acCrop", "acRotate", "acResize", "acLightDarkness", "acTrans",
            "acRemoveRedEye", "acAdjustColor", "-", "acPrint", "acPrintArea", "-", "acWebSite" };
        QCOMPARE(entryNames(m_w->findChild<QToolBar*>("ToolBar_Main")->actions()), toolBar);

        QStringList titles;
        for (QAction* a : m_w->menuBar()->actions())
            titles << a->text().remove('&');
        QCOMPARE(titles, (QStringList { "File", "View", "Edit", "Effect", "Options", "Help" }));
        const QList<QPair<const char*, QStringList>> menus {
            { "File1",
                { "acOpenFile", "acSaveAs", "acSaveFile", "-", "acSelectScanner", "acAcquire", "-",
                    "acPrint", "acPrintArea", "-", "acExit" } },
            { "View1", { "acZoomB", "acZoomS", "acFullImage", "acFitImage" } },
            { "Edit1",
                { "acUndo", "-", "acCrop", "acResize", "acRotate", "acRemoveRedEye",
                    "acLightDarkness", "acAdjustColor", "AddText1", "acMerge" } },
            { "Effect1",
                { "acGray", "acWave", "acShadow", "acBlur", "acLens", "acRoundConer", "acTile",
                    "acMosac", "acTwist", "acEdgeDelect" } },
            { "Options1", { "acBackground", "acShowNavigation" } },
            { "Help1", { "acHelp", "acSupport", "-", "acViewSamples", "acWebSite" } },
        };
        for (const auto& [name, entries] : menus)
            QCOMPARE(entryNames(m_w->findChild<QMenu*>(name)->actions()), entries);
        QCOMPARE(entryNames(m_w->PopupMenu1()->actions()),
            (QStringList { "acFlipLeft", "acFlipRight", "acRotate", "-", "acTrans", "acAdjustColor",
                "-", "acDeleteLayer", "acMerge", "-", "acSharePhoto" }));
        QCOMPARE(entryNames(m_w->PopupMenu2()->actions()),
            (QStringList { "acApply", "-", "acFavFrame", "acDelFav" }));
        // The button row follows the commands' state.
        auto* hide = m_w->findChild<QPushButton*>("Button_Hide");
        QVERIFY(hide);
        QCOMPARE(hide->text(), QString("Hide"));
        QVERIFY(!m_w->findChild<QPushButton*>("Button_Apply")->isEnabled());
    }

    void laterCommandsStayDisabledUntilWired()
    {
        for (const char* name : { "acSaveAs", "acSaveFile", "acCrop", "acGray", "acApply",
                 "acPrint", "acSharePhoto", "acSelectScanner" })
            QVERIFY2(!cmd(name)->isEnabled(), name);
        for (const char* name : { "acOpenFile", "acZoomB", "acUndo", "acCancel", "acMerge",
                 "acHide", "acBackground", "acHelp", "acExit", "acFavFrame" })
            QVERIFY2(cmd(name)->isEnabled(), name);
        int runs = 0;
        m_w->WireCommand("acApply", [&] { ++runs; });
        QVERIFY(cmd("acApply")->isEnabled());
        QVERIFY(m_w->findChild<QPushButton*>("Button_Apply")->isEnabled());
        QTest::mouseClick(m_w->findChild<QPushButton*>("Button_Apply"), Qt::LeftButton);
        QCOMPARE(runs, 1);
        // A thumbnail dropped from the grid applies; drags from elsewhere are refused.
        QVERIFY(m_w->ImgView_MainDragOver(static_cast<QObject*>(m_w->ImgMViewMain())));
        QVERIFY(!m_w->ImgView_MainDragOver(m_w->ImgView_Main()));
        QVERIFY(!m_w->ImgView_MainDragOver(nullptr));
        m_w->ImgView_MainDragDrop(static_cast<QObject*>(m_w->ImgMViewMain()));
        QCOMPARE(runs, 2);
    }

    // --- View commands ------------------------------------------------------------------

    void zoomCommands()
    {
        openPhoto(m_png);
        TImgVect* v = m_w->ImgView_Main();
        cmd("acFullImage")->trigger();
        QCOMPARE(v->Zoom(), 100.0);
        QVERIFY(cmd("acFullImage")->isChecked());
        QVERIFY(!cmd("acFitImage")->isChecked());
        for (int i = 0; i < 3; ++i)
            cmd("acZoomB")->trigger();
        QCOMPARE(v->Zoom(), 130.0);
        cmd("acFitImage")->trigger();
        QCOMPARE(v->Zoom(), v->FitZoom());
        QVERIFY(v->Zoom() != 130.0);
        QVERIFY(cmd("acFitImage")->isChecked());
        QVERIFY(!cmd("acFullImage")->isChecked());
        // Ten points from whatever fitting chose, the fitting flag left on.
        const double fitted = v->Zoom();
        cmd("acZoomB")->trigger();
        QCOMPARE(v->Zoom(), fitted + 10);
        QVERIFY(v->AutoFit());
        // Zoom- refuses 0 and below.
        v->SetZoom(10);
        cmd("acZoomS")->trigger();
        QCOMPARE(v->Zoom(), 10.0);
        v->SetZoom(25);
        cmd("acZoomS")->trigger();
        QCOMPARE(v->Zoom(), 15.0);
    }

    void hideAndShowTheLibraryPanel()
    {
        QWidget* panel = m_w->Panel_Bottom();
        QWidget* row = m_w->findChild<QWidget*>("Panel_BottomTop");
        QVERIFY(panel->isVisible());
        cmd("acHide")->trigger();
        QVERIFY(!panel->isVisible());
        QVERIFY(row->isVisible());
        QCOMPARE(cmd("acHide")->text(), QString("Show"));
        QCOMPARE(m_w->findChild<QPushButton*>("Button_Hide")->text(), QString("Show"));
        cmd("acHide")->trigger();
        QVERIFY(panel->isVisible());
        QCOMPARE(cmd("acHide")->text(), QString("Hide"));
        QTRY_COMPARE(panel->height(), 120);
    }

    void helpAndLinks()
    {
        // F1 released anywhere in the main window opens the manual.
        QTest::keyRelease(m_w->ImgView_Main()->viewport(), Qt::Key_F1);
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_opened[0].toLocalFile().endsWith("/help.html"));
        // In a dialog of the program it does nothing.
        QDialog dialog(m_w);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyRelease(&dialog, Qt::Key_F1);
        QCOMPARE(m_opened.size(), 1);
        dialog.hide();
        cmd("acSupport")->trigger();
        cmd("acViewSamples")->trigger();
        cmd("acWebSite")->trigger();
        QCOMPARE(m_opened.size(), 4);
        QCOMPARE(QSet<QUrl>(m_opened.begin(), m_opened.end()).size(), 4);
    }

    void formResizeHook()
    {
        QSignalSpy spy(m_w, &TfrmMain::FormResize);
        m_w->showNormal();
        m_w->resize(700, 500);
        QTRY_VERIFY(spy.count() > 0);
    }

    void backgroundAndWindowStateKeptAcrossRuns()
    {
        m_w->ColorDialog = [](const QColor&) { return QColor(); };
        cmd("acBackground")->trigger();
        QCOMPARE(view().Background(), RGBColor(255, 255, 255));
        m_w->ColorDialog = [](const QColor& initial) {
            return initial == QColor(255, 255, 255) ? QColor(10, 20, 30) : QColor(1, 1, 1);
        };
        cmd("acBackground")->trigger();
        QCOMPARE(view().Background(), RGBColor(10, 20, 30));
        m_w->showNormal();
        m_w->setGeometry(40, 50, 800, 520);
        QTRY_VERIFY(!m_w->isMaximized());
        cmd("acExit")->trigger();
        QVERIFY(!m_w->isVisible());
        QVERIFY(QFile::exists(TfrmMain::FormSettingsPath()));
        QVERIFY(TfrmMain::FormSettingsPath().endsWith("/Borderlux/borderlux.ini"));
        delete m_w;

        m_w = makeWindow();
        QCOMPARE(view().Background(), RGBColor(10, 20, 30));
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
        QVERIFY(!m_w->isMaximized());
        QCOMPARE(m_w->size(), QSize(800, 520));
        // Back to the first-run state for the other tests.
        m_w->close();
        QFile::remove(TfrmMain::FormSettingsPath());
    }

    void startUpWithAPhotoOnTheCommandLine_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing photo") << true;
        QTest::newRow("missing file") << false;
    }

    void startUpWithAPhotoOnTheCommandLine()
    {
        QFETCH(bool, exists);
        const QString program = qEnvironmentVariable("BORDERLUX_PROGRAM_DIR");
        if (program.isEmpty())
            QSKIP("BORDERLUX_PROGRAM_DIR is not set");
        const QString path = exists ? m_png : m_files.filePath("nothing-here.png");
        StartupResult started
            = RunStartupSequence(program + "/", { "borderlux", path }, &CreateMainWindow);
        QVERIFY(started.libraryOk);
        auto* w = qobject_cast<TfrmMain*>(started.window.get());
        QVERIFY(w);
        TIELayerView& v = w->Photo().View();
        QVERIFY(!w->Photo().Proc().AutoUndo());
        QCOMPARE(w->Photo().Proc().UndoLimit(), 10);
        QCOMPARE(v.LayerCount(), 1);
        QVERIFY(!v.LayerAt(0).Selectable);
        // No fit follows the command-line photo.
        QCOMPARE(w->ImgView_Main()->Zoom(), 100.0);
        if (exists) {
            QCOMPARE(QString::fromStdString(w->Photo().CurrentPhotoPath()), m_png);
            QCOMPARE(v.LayerAt(0).Bitmap.Width(), 200);
            QVERIFY(!v.LayerAt(0).Locked);
            QVERIFY(samePixels(w->Photo().Pristine().LayerAt(0).Bitmap, v.LayerAt(0).Bitmap));
        } else {
            QVERIFY(w->Photo().CurrentPhotoPath().empty());
            QCOMPARE(v.LayerAt(0).Bitmap.Width(), 1);
            QVERIFY(v.LayerAt(0).Locked);
            QVERIFY(w->Photo().Pristine().LayerAt(0).Bitmap.IsEmpty());
        }
        // The selectors were filled from the shipped lists, item 0 selected.
        QVERIFY(w->ComboBoxEx1()->count() > 1);
        QCOMPARE(w->ComboBoxEx1()->currentIndex(), 0);
        QVERIFY(!w->ComboBoxEx1()->itemIcon(1).isNull());
    }

    // --- Document commands --------------------------------------------------------------

    void openPhotoCopiesToTheWorkFileAndFits()
    {
        openPhoto(m_jpg);
        QCOMPARE(QString::fromStdString(photo().CurrentPhotoPath()), m_jpg);
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(view().LayerAt(0).Bitmap.Width(), 120);
        QVERIFY(!view().LayerAt(0).Selectable);
        QVERIFY(!view().LayerAt(0).Locked);
        QCOMPARE(m_w->ImgView_Main()->Zoom(), m_w->ImgView_Main()->FitZoom());
        QVERIFY(samePixels(photo().Pristine().LayerAt(0).Bitmap, view().LayerAt(0).Bitmap));
        openPhoto(m_png);
        QVERIFY(QFile::exists(userData() + "workfile.jpg"));
        QVERIFY(QFile::exists(userData() + "workfile.png"));
        QCOMPARE(QFileInfo(userData() + "workfile.png").size(), QFileInfo(m_png).size());
    }

    void cancellingTheOpenDialogChangesNothing()
    {
        openPhoto(m_png);
        addLayer(view(), 10, 10, 30, 20, RGBColor(0, 0, 255));
        m_w->OpenDialog = [] { return QString(); };
        cmd("acOpenFile")->trigger();
        QCOMPARE(QString::fromStdString(photo().CurrentPhotoPath()), m_png);
        QCOMPARE(view().LayerCount(), 2);
        // The pristine copy is still the photo as opened, without the layer.
        TIEBitmap photoOnly;
        ReadImage(m_png.toStdString(), photoOnly);
        QVERIFY(samePixels(photo().Pristine().LayerAt(0).Bitmap, photoOnly));
    }

    void openPhotoWithoutPathRetakesThePristineCopy()
    {
        openPhoto(m_png);
        addLayer(view(), 10, 10, 30, 20, RGBColor(0, 0, 255));
        photo().OpenPhoto("");
        QVERIFY(photo().CurrentPhotoPath().empty());
        QCOMPARE(view().LayerCount(), 2);
        const TRGB p = photo().Pristine().LayerAt(0).Bitmap.ReadRGB(15, 15);
        QCOMPARE(int(p.b), 255);
        QCOMPARE(int(p.r), 0);
    }

    void unreadablePhotoLeavesTheViewBlank()
    {
        const QString bad = m_files.filePath("broken.jpg");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        f.close();
        openPhoto(bad);
        QCOMPARE(view().LayerAt(0).Bitmap.Width(), 1);
        QCOMPARE(view().LayerAt(0).Bitmap.Height(), 1);
        QVERIFY(photo().ReadFileName().empty());
    }

    void mergeEnabledOnlyByTheContextMenu()
    {
        openPhoto(m_png);
        QMenu* popup = m_w->PopupMenu1();
        popup->popup(QPoint(10, 10));
        popup->hide();
        QVERIFY(!cmd("acMerge")->isEnabled());
        QVERIFY(!cmd("acDeleteLayer")->isEnabled());
        // A frame layer becomes current: the Edit menu's Merge stays disabled...
        addLayer(view(), 0, 0, 200, 150, RGBColor(0, 255, 0));
        QCOMPARE(view().CurrentLayer(), 1);
        QVERIFY(!cmd("acMerge")->isEnabled());
        // ...until the context menu opens again.
        popup->popup(QPoint(10, 10));
        popup->hide();
        QVERIFY(cmd("acMerge")->isEnabled());
        QVERIFY(cmd("acDeleteLayer")->isEnabled());
        m_w->ImgView_Main()->SetMouseInteraction(kMouseMoveResize);
        cmd("acMerge")->trigger();
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(photo().MouseInteraction(), kMouseNone);
        QCOMPARE(m_w->ImgView_Main()->MouseInteraction(), kMouseNone);
        QCOMPARE(view().LayerAt(0).Bitmap.ReadRGB(5, 5).g, uint8_t(255));
        QCOMPARE(photo().Proc().SnapshotCount(), 0);
    }

    void rightClickOnTheViewOpensItsMenu()
    {
        openPhoto(m_png);
        addLayer(view(), 0, 0, 50, 50, RGBColor(0, 255, 0));
        QMenu* shown = nullptr;
        QTimer::singleShot(0, this, [&] {
            shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (shown)
                shown->close();
        });
        QWidget* vp = m_w->ImgView_Main()->viewport();
        QContextMenuEvent e(
            QContextMenuEvent::Mouse, QPoint(20, 20), vp->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(vp, &e);
        QCOMPARE(shown, m_w->PopupMenu1());
        QVERIFY(cmd("acMerge")->isEnabled());
        QVERIFY(cmd("acDeleteLayer")->isEnabled());
    }

    void undoRemovesLayersNewestFirstThenRestoresSnapshots()
    {
        openPhoto(m_png);
        photo().PrepareForEffect();
        QCOMPARE(photo().Proc().SnapshotCount(), 1);
        view().LayerAt(0).Bitmap.Fill(RGBColor(0, 0, 0)); // the effect
        addLayer(view(), 0, 0, 200, 150, RGBColor(0, 255, 0));
        addLayer(view(), 50, 50, 20, 20, RGBColor(0, 0, 255));
        photo().SetMouseInteraction(kMouseMoveResize);

        cmd("acUndo")->trigger();
        QCOMPARE(view().LayerCount(), 2);
        QCOMPARE(view().LayerAt(1).Bitmap.Width(), 200);
        QCOMPARE(photo().MouseInteraction(), kMouseMoveResize);
        QCOMPARE(photo().Proc().SnapshotCount(), 1);

        cmd("acUndo")->trigger();
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(photo().MouseInteraction(), kMouseNone);
        QVERIFY(!view().LayerAt(0).Selectable);
        QCOMPARE(photo().Proc().SnapshotCount(), 1);
        QCOMPARE(view().LayerAt(0).Bitmap.ReadRGB(60, 40).r, uint8_t(0));

        cmd("acUndo")->trigger();
        QCOMPARE(photo().Proc().SnapshotCount(), 0);
        const TRGB p = view().LayerAt(0).Bitmap.ReadRGB(60, 40);
        QCOMPARE(int(p.r), 60);
        QCOMPARE(int(p.g), 40);

        // Nothing left to undo: nothing happens.
        cmd("acUndo")->trigger();
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(int(view().LayerAt(0).Bitmap.ReadRGB(60, 40).r), 60);
    }

    void cancelReturnsToThePhotoAsOpened()
    {
        openPhoto(m_png);
        TIEBitmap opened;
        opened.Assign(view().LayerAt(0).Bitmap);
        addLayer(view(), 20, 20, 40, 40, RGBColor(255, 0, 255));
        photo().PrepareForEffect(); // flattens the stamp in and takes the snapshot
        view().LayerAt(0).Bitmap.Fill(RGBColor(9, 9, 9));
        addLayer(view(), 0, 0, 10, 10, RGBColor(0, 255, 0));
        photo().SetMouseInteraction(kMouseMoveResize);

        cmd("acCancel")->trigger();
        QCOMPARE(view().LayerCount(), 1);
        QVERIFY(samePixels(view().LayerAt(0).Bitmap, opened));
        QVERIFY(view().LayerAt(0).Locked);
        QVERIFY(view().LayerAt(0).Selectable);
        QCOMPARE(QString::fromStdString(photo().CurrentPhotoPath()), m_png);
        QCOMPARE(photo().MouseInteraction(), kMouseMoveResize);

        // The history survives: Undo brings back the state before the effect, stamp included.
        cmd("acUndo")->trigger();
        const TRGB p = view().LayerAt(0).Bitmap.ReadRGB(30, 30);
        QCOMPARE(int(p.r), 255);
        QCOMPARE(int(p.b), 255);
        QCOMPARE(int(view().LayerAt(0).Bitmap.ReadRGB(100, 100).r), 100);
    }

    void deleteNeverRemovesThePhoto()
    {
        openPhoto(m_png);
        cmd("acDeleteLayer")->trigger();
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(view().LayerAt(0).Bitmap.Width(), 200);
        addLayer(view(), 0, 0, 10, 10, RGBColor(0, 255, 0));
        addLayer(view(), 0, 0, 20, 20, RGBColor(0, 0, 255));
        view().SetCurrentLayer(1);
        cmd("acDeleteLayer")->trigger();
        QCOMPARE(view().LayerCount(), 2);
        QCOMPARE(view().LayerAt(1).Bitmap.Width(), 20);
        // With the photo current again nothing is deleted.
        view().DeleteLayer(1);
        QCOMPARE(view().CurrentLayer(), 0);
        cmd("acDeleteLayer")->trigger();
        QCOMPARE(view().LayerCount(), 1);
    }

    // --- Layer handles on the real view -------------------------------------------------

    void layerHandlesOnTheMainView_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("100%") << 100.0;
        QTest::newRow("50%") << 50.0;
    }

    void layerHandlesOnTheMainView()
    {
        QFETCH(double, zoom);
        openPhoto(m_png);
        const int stamp = addLayer(view(), 60, 40, 60, 40, RGBColor(255, 0, 0));
        photo().SetMouseInteraction(kMouseMoveResize);
        TImgVect* v = m_w->ImgView_Main();
        v->SetZoom(zoom);
        QWidget* vp = v->viewport();
        const QImage shot = vp->grab().toImage();
        const IERect r = view().LayerAt(stamp).ScreenRect;
        QCOMPARE(r.right - r.left, int(60 * zoom / 100));
        // The outline lies just outside the layer, the grips are green discs on its corners.
        QCOMPARE(shot.pixelColor(r.left + 7, r.top - 1), QColor(0, 128, 0));
        QCOMPARE(shot.pixelColor(r.right + 3, r.bottom + 3), QColor(0, 255, 0));

        const QPoint inside = v->ImageToClient(QPointF(75, 48)).toPoint();
        drag(vp, inside, inside + QPoint(20, 10));
        QCOMPARE(view().LayerAt(stamp).OffsetX, 60 + int(20 * 100 / zoom));
        QCOMPARE(view().LayerAt(stamp).OffsetY, 40 + int(10 * 100 / zoom));
        view().UpdateScreenRects();
        const QPoint corner = TImgVect::GripRect(view().LayerAt(stamp).ScreenRect, 2).center();
        drag(vp, corner, corner + QPoint(-10, 5));
        QCOMPARE(view().LayerAt(stamp).DisplayWidth, 60 - int(10 * 100 / zoom));
        QCOMPARE(view().LayerAt(stamp).DisplayHeight, 40 + int(5 * 100 / zoom));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
