// Apply and the output commands in the real main window, started by the program's start-up
// sequence over the shipped library: every route to Apply, what it adds for a frame and a
// stamp, Undo of applied layers, "Save as...", "Save", "Share with friends", their silent
// cases and their failed writes.

#include "app/gui/frm_main.h"
#include "app/gui/main_window_factory.h"
#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"
#include "library/ui/preview_view.h"
#include "platform/image_io/image_io.h"
#include "platform/ui/img_vect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <csignal>
#include <cstring>
#include <new>
#include <sys/resource.h>

using namespace borderlux;

namespace {

// A photo whose pixel (x, y) has red x, green y and blue 7, so any pixel names its place.
bool writePattern(const QString& path, int w, int h)
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = TRGB { 7, uint8_t(y), uint8_t(x) };
    return bool(WriteImage(path.toStdString(), bmp));
}

TIEBitmap readPicture(const QString& path)
{
    TIEBitmap bmp;
    ReadImage(path.toStdString(), bmp);
    return bmp;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool samePixels(const TIEBitmap& a, const TIEBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * 3) != 0)
            return false;
    return true;
}

// The photo under one full-size frame layer with alpha, composited by hand: each channel d
// under the frame's s with coverage a becomes d + floor((s - d) * a / 256).
TIEBitmap composite(const TIEBitmap& photo, const TIEBitmap& frame)
{
    TIEBitmap out;
    out.Allocate(photo.Width(), photo.Height(), ie24RGB);
    const TIEBitmap* alpha = frame.ExistingAlphaPlane();
    auto blend = [](int d, int s, int a) {
        return uint8_t(d + int(std::floor(double((s - d) * a) / 256.0)));
    };
    for (int y = 0; y < photo.Height(); ++y)
        for (int x = 0; x < photo.Width(); ++x) {
            const TRGB d = photo.ReadRGB(x, y);
            const TRGB s = frame.ReadRGB(x, y);
            const int a = alpha ? alpha->Row(y)[x] : 255;
            *out.PixelPtr(x, y)
                = TRGB { blend(d.b, s.b, a), blend(d.g, s.g, a), blend(d.r, s.r, a) };
        }
    return out;
}

struct Message {
    QString text;
    QString caption;
    int buttons = 0;
};

enum class Route { Button, AltA, ContextMenu, DoubleClick, Drop };

} // namespace

Q_DECLARE_METATYPE(Route)

class TestApplySave : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_programFolder;
    QString m_photo; // 201 x 151 PNG pattern, copied afresh for every test
    std::unique_ptr<QWidget> m_window;
    TfrmMain* m_w = nullptr;
    QList<Message> m_messages;
    QTimer m_boxCloser;
    QList<QStringList> m_dialogCalls;
    QString m_dialogAnswer;

    TIELayerView& view() const { return m_w->Photo().View(); }
    TImgMView* grid() const { return m_w->ImgMViewMain(); }

    // The window as the program starts it, with `photo` on the command line (none when empty).
    // The save dialog answers m_dialogAnswer. Message boxes are recorded instead of shown,
    // unless realBoxes: then the program's own boxes open and are read and closed as they do.
    void start(const QString& photo, bool realBoxes = false)
    {
        m_window.reset();
        QStringList arguments { "borderlux" };
        if (!photo.isEmpty())
            arguments << photo;
        StartupResult started = RunStartupSequence(m_programFolder, arguments, &CreateMainWindow);
        QVERIFY(started.libraryOk);
        m_window = std::move(started.window);
        m_w = qobject_cast<TfrmMain*>(m_window.get());
        QVERIFY(m_w);
        if (realBoxes)
            m_boxCloser.start();
        else
            m_w->ShowMessageBox = [this](const QString& text, const QString& caption) {
                m_messages << Message { text, caption, 1 };
            };
        m_w->SaveDialog = [this](const QString& folder, const QString& name, const QString& extra) {
            m_dialogCalls << QStringList { folder, name, extra };
            return m_dialogAnswer;
        };
        m_w->setWindowState(Qt::WindowNoState);
        m_w->setGeometry(0, 0, 1000, 700);
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
    }

    void closeOpenMessageBox()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        m_messages << Message { box->text(), box->windowTitle(), int(box->buttons().size()) };
        box->button(QMessageBox::Ok)->click();
    }

    int gridIndexOf(const QString& fileName) const
    {
        for (int i = 0; i < grid()->imageCount(); ++i)
            if (QFileInfo(grid()->imageFileName(i)).fileName() == fileName)
                return i;
        return -1;
    }

    // The user clicks the thumbnail of fileName in the grid; the preview follows.
    void pick(const QString& fileName)
    {
        const int i = gridIndexOf(fileName);
        QVERIFY2(i >= 0, qPrintable(fileName));
        grid()->ensureVisible(i);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->cellRect(i).center());
        QCOMPARE(grid()->selectedImage(), i);
        QCOMPARE(m_w->ImgViewPreView()->fileName(), grid()->imageFileName(i));
    }

    void showStampCategory(const QString& category)
    {
        QComboBox* stamps = m_w->ComboBoxEx2();
        stamps->setCurrentIndex(stamps->findText(category));
        QVERIFY(stamps->currentIndex() >= 0);
        m_w->Browser()->ComboBox2Change();
    }

    // Runs Apply the way the route says, for the grid's selected item.
    void apply(Route route)
    {
        const int selected = grid()->selectedImage();
        const QPoint cell = selected >= 0 ? grid()->cellRect(selected).center() : QPoint(5, 5);
        switch (route) {
        case Route::Button:
            QTest::mouseClick(m_w->findChild<QPushButton*>("Button_Apply"), Qt::LeftButton);
            break;
        case Route::AltA:
            m_w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_w));
            QTest::keyClick(m_w, Qt::Key_A, Qt::AltModifier);
            // The mnemonic presses the button and clicks it a moment later.
            QVERIFY(m_w->findChild<QPushButton*>("Button_Apply")->isDown());
            QTRY_VERIFY(!m_w->findChild<QPushButton*>("Button_Apply")->isDown());
            break;
        case Route::ContextMenu: {
            // The grid's menu opens modally; its "Apply" entry is clicked once it shows.
            bool clicked = false;
            QTimer::singleShot(0, this, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (menu != m_w->PopupMenu2())
                    return;
                QAction* entry = m_w->Command("acApply");
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
                clicked = true;
            });
            QContextMenuEvent e(
                QContextMenuEvent::Mouse, cell, grid()->viewport()->mapToGlobal(cell));
            QApplication::sendEvent(grid()->viewport(), &e);
            QVERIFY(clicked);
            break;
        }
        case Route::DoubleClick:
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell);
            break;
        case Route::Drop: {
            TImgVect* v = m_w->ImgView_Main();
            QObject* source = grid();
            QVERIFY(v->OnDragOver(source, QPoint(10, 10)));
            v->OnDragDrop(source, QPoint(10, 10));
            break;
        }
        }
    }

private slots:
    void initTestCase()
    {
        const QString program = qEnvironmentVariable("BORDERLUX_PROGRAM_DIR");
        if (program.isEmpty())
            QSKIP("BORDERLUX_PROGRAM_DIR is not set");
        m_programFolder = program + "/";
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        QDir(data).removeRecursively();
        QVERIFY(QDir().mkpath(data));
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(m_dir.filePath("photos")));
        // The home folder, where "Share with friends" writes.
        QVERIFY(QDir().mkpath(m_dir.filePath("home")));
        qputenv("HOME", QFile::encodeName(m_dir.filePath("home")));
        m_boxCloser.setInterval(20);
        connect(&m_boxCloser, &QTimer::timeout, this, &TestApplySave::closeOpenMessageBox);
    }

    void init()
    {
        m_messages.clear();
        m_dialogCalls.clear();
        m_dialogAnswer.clear();
        m_photo = m_dir.filePath("photos/holiday.png");
        QFile::remove(m_photo);
        QVERIFY(writePattern(m_photo, 201, 151));
    }

    void cleanup()
    {
        m_boxCloser.stop();
        m_window.reset();
        m_w = nullptr;
        for (const QString& name : QDir(m_dir.filePath("photos")).entryList(QDir::Files))
            QFile::remove(m_dir.filePath("photos/" + name));
    }

    // --- Apply --------------------------------------------------------------------------

    void everyRouteAppliesTheSelectedFrameOrStamp_data()
    {
        QTest::addColumn<Route>("route");
        QTest::newRow("Apply button") << Route::Button;
        QTest::newRow("Alt+A") << Route::AltA;
        QTest::newRow("grid context menu") << Route::ContextMenu;
        QTest::newRow("double-click in the grid") << Route::DoubleClick;
        QTest::newRow("drop on the main view") << Route::Drop;
    }

    void everyRouteAppliesTheSelectedFrameOrStamp()
    {
        QFETCH(Route, route);

        // No photo read yet: the message box and nothing else.
        start(QString(), true);
        apply(route);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QString("Please open a image file first."));
        QCOMPARE(m_messages[0].caption, QString("Info"));
        QCOMPARE(m_messages[0].buttons, 1);
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(m_w->Photo().MouseInteraction(), kMouseNone);
        m_messages.clear();

        // With the photo open, an "a" frame: the file scaled to the photo, alpha from its red,
        // covering the photo's rectangle exactly.
        m_w->OpenDialog = [this] { return m_photo; };
        m_w->Command("acOpenFile")->trigger();
        pick("a001.png");
        apply(route);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(view().LayerCount(), 2);
        {
            const TIELayer& frame = view().LayerAt(1);
            QCOMPARE(frame.Bitmap.Width(), 201);
            QCOMPARE(frame.Bitmap.Height(), 151);
            QCOMPARE(frame.DisplayWidth, 201);
            QCOMPARE(frame.DisplayHeight, 151);
            QCOMPARE(frame.OffsetX, 0);
            QCOMPARE(frame.OffsetY, 0);
            const TIEBitmap* alpha = frame.Bitmap.ExistingAlphaPlane();
            QVERIFY(alpha);
            for (int y = 0; y < 151; ++y)
                for (int x = 0; x < 201; ++x)
                    QCOMPARE(alpha->Row(y)[x], frame.Bitmap.ReadRGB(x, y).r);
            // A frame, not a wash: nearly opaque at the rim, see-through in the middle.
            QVERIFY(alpha->Row(3)[3] > 200);
            QCOMPARE(int(alpha->Row(75)[100]), 0);
        }
        QCOMPARE(m_w->Photo().MouseInteraction(), kMouseMoveResize);
        QCOMPARE(m_w->ImgView_Main()->MouseInteraction(), kMouseMoveResize);
        QVERIFY(!QApplication::overrideCursor());

        // An "s" stamp over it: the preview's picture at its own size, centred on the photo,
        // the half of the size difference truncated towards zero (-109.5 -> -109).
        showStampCategory("fun");
        pick("s002.png");
        apply(route);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(view().LayerCount(), 3);
        const TIELayer& stamp = view().LayerAt(2);
        const TIEBitmap file = readPicture(m_programFolder + "stamps/fun/s002.png");
        QCOMPARE(file.Width(), 420);
        QCOMPARE(file.Height(), 240);
        QVERIFY(samePixels(stamp.Bitmap, file));
        QCOMPARE(stamp.DisplayWidth, 420);
        QCOMPARE(stamp.DisplayHeight, 240);
        QCOMPARE(stamp.OffsetX, int(std::trunc((201 - 420) / 2.0)));
        QCOMPARE(stamp.OffsetY, int(std::trunc((151 - 240) / 2.0)));
        QCOMPARE(stamp.OffsetX, -109);
        QCOMPARE(view().CurrentLayer(), 2);
        QCOMPARE(m_w->Photo().MouseInteraction(), kMouseMoveResize);
        QVERIFY(!QApplication::overrideCursor());
    }

    void undoTakesAppliedLayersBackOneByOne()
    {
        start(m_photo);
        pick("a001.png");
        m_w->Command("acApply")->trigger();
        showStampCategory("fun");
        pick("s001.png");
        m_w->Command("acApply")->trigger();
        QCOMPARE(view().LayerCount(), 3);

        m_w->Command("acUndo")->trigger();
        QCOMPARE(view().LayerCount(), 2);
        QCOMPARE(view().LayerAt(1).Bitmap.Width(), 201); // the frame stays
        QCOMPARE(m_w->Photo().MouseInteraction(), kMouseMoveResize);
        m_w->Command("acUndo")->trigger();
        QCOMPARE(view().LayerCount(), 1);
        QCOMPARE(m_w->Photo().MouseInteraction(), kMouseNone);
        QVERIFY(samePixels(view().LayerAt(0).Bitmap, readPicture(m_photo)));
    }

    void aCommandOutOfMemoryIsReportedAndTheWindowGoesOn()
    {
        start(m_photo);
        m_w->WireCommand("acSharePhoto", [] { throw std::bad_alloc(); });
        m_w->Command("acSharePhoto")->trigger();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].text.contains("memory"));
        pick("a001.png");
        m_w->Command("acApply")->trigger();
        QCOMPARE(view().LayerCount(), 2);
    }

    // --- Output -------------------------------------------------------------------------

    void saveAsProposesFramedNameAndWritesTheFramedPicture()
    {
        start(m_photo);
        pick("a001.png");
        m_w->Command("acApply")->trigger();
        TIEBitmap frame;
        frame.Assign(view().LayerAt(1).Bitmap);
        m_dialogAnswer = m_dir.filePath("photos/framed-holiday.png");
        m_w->Command("acSaveFile")->trigger();

        QCOMPARE(m_dialogCalls.size(), 1);
        QCOMPARE(m_dialogCalls[0],
            (QStringList { m_dir.filePath("photos") + "/", "framed-holiday.png", "*.png" }));
        QVERIFY(m_messages.isEmpty());
        const TIEBitmap saved = readPicture(m_dialogAnswer);
        QVERIFY(samePixels(saved, composite(readPicture(m_photo), frame)));
        // The document keeps its layers as they were.
        QCOMPARE(view().LayerCount(), 2);
        QVERIFY(samePixels(view().LayerAt(1).Bitmap, frame));
        QVERIFY(view().LayerAt(1).Bitmap.HasAlphaPlane());
    }

    void saveReplacesThePhotoAndKeepsTheLayers()
    {
        start(m_photo);
        const TIEBitmap original = readPicture(m_photo);
        pick("a001.png");
        m_w->Command("acApply")->trigger();
        TIEBitmap frame;
        frame.Assign(view().LayerAt(1).Bitmap);
        m_w->Command("acSaveAs")->trigger();

        QVERIFY(m_dialogCalls.isEmpty());
        QVERIFY(m_messages.isEmpty());
        QVERIFY(samePixels(readPicture(m_photo), composite(original, frame)));
        QCOMPARE(view().LayerCount(), 2);
        QVERIFY(samePixels(view().LayerAt(0).Bitmap, original));
        QVERIFY(samePixels(view().LayerAt(1).Bitmap, frame));
    }

    void shareWritesTheJpegShareFile()
    {
        start(m_photo);
        pick("a001.png");
        m_w->Command("acApply")->trigger();
        const QString share = m_dir.filePath("home/borderluxshare.jpg");
        QFile old(share);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier share file");
        old.close();
        m_w->Command("acSharePhoto")->trigger();
        QVERIFY(m_messages.isEmpty());
        QVERIFY(fileBytes(share).startsWith("\xFF\xD8\xFF"));
        const TIEBitmap shared = readPicture(share);
        QCOMPARE(shared.Width(), 201);
        QCOMPARE(shared.Height(), 151);
        QCOMPARE(view().LayerCount(), 2);
    }

    void nothingToWriteSaysNothing()
    {
        // A cancelled dialog writes nothing.
        start(m_photo);
        const QStringList before = QDir(m_dir.filePath("photos")).entryList(QDir::Files);
        m_dialogAnswer.clear();
        m_w->Command("acSaveFile")->trigger();
        QCOMPARE(m_dialogCalls.size(), 1);
        QCOMPARE(QDir(m_dir.filePath("photos")).entryList(QDir::Files), before);

        // Without a photo: "Save" has no target, "Save as..." proposes "framed-" in the
        // dialog's default folder.
        start(QString());
        m_dialogCalls.clear();
        m_w->Command("acSaveAs")->trigger();
        m_w->Command("acSaveFile")->trigger();
        QCOMPARE(m_dialogCalls, (QList<QStringList> { { "", "framed-", "*" } }));
        QCOMPARE(QDir(m_dir.filePath("photos")).entryList(QDir::Files), before);
        QVERIFY(m_messages.isEmpty());

        // A photo the reader cannot read is never overwritten by the blank view "Save" has.
        const QString damaged = m_dir.filePath("photos/damaged.jpg");
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xFF\xD8\xFF not really a photo");
        file.close();
        const QByteArray bytes = fileBytes(damaged);
        start(damaged);
        m_w->Command("acSaveAs")->trigger();
        QCOMPARE(fileBytes(damaged), bytes);
        QVERIFY(m_messages.isEmpty());
    }

    void aFailedWriteIsReportedAndLeavesTheOldFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target"); // relative to the test folder
        QTest::newRow("Save as... under a regular file")
            << "acSaveFile"
            << "photos/not-a-folder/framed-holiday.png";
        QTest::newRow("Save beyond the file-size limit") << "acSaveAs"
                                                         << "photos/holiday.png";
        QTest::newRow("Share with a regular file as home")
            << "acSharePhoto"
            << "photos/not-a-folder/borderluxshare.jpg";
    }

    void aFailedWriteIsReportedAndLeavesTheOldFile()
    {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFile blocker(m_dir.filePath("photos/not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("a file where a folder is expected");
        blocker.close();
        start(m_photo);
        pick("a001.png");
        m_w->Command("acApply")->trigger();
        const QByteArray photoBytes = fileBytes(m_photo);
        const QStringList before = QDir(m_dir.filePath("photos")).entryList(QDir::Files);
        m_dialogAnswer = m_dir.filePath(target);
        qputenv("HOME", QFile::encodeName(m_dir.filePath("photos/not-a-folder")));

        // As root no permission stops a write; a file-size limit does.
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
        if (command == "acSaveAs") {
            rlimit low = saved;
            low.rlim_cur = 1024;
            setrlimit(RLIMIT_FSIZE, &low);
        }
        m_w->Command(command.toStdString())->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        qputenv("HOME", QFile::encodeName(m_dir.filePath("home")));

        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].caption, QString("Info"));
        QVERIFY2(
            m_messages[0].text.contains(m_dir.filePath(target)), qPrintable(m_messages[0].text));
        QCOMPARE(fileBytes(m_photo), photoBytes);
        QCOMPARE(QDir(m_dir.filePath("photos")).entryList(QDir::Files), before);
        QCOMPARE(view().LayerCount(), 2);
    }
};

QTEST_MAIN(TestApplySave)
#include "test_apply_save.moc"
