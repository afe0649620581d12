// Takes a picture of the main window as the program starts it: the real start-up sequence
// with a photo on the command line, the window at 1280 x 800, "Fit the screen" chosen, and
// optionally one stamp laid over the photo with the move-and-resize handles on.
//
// Usage (under a display, e.g. xvfb-run): shot_main_window PROGRAM_FOLDER PHOTO OUT.png [STAMP]

#include "app/core/startup.h"
#include "app/gui/frm_main.h"
#include "app/gui/main_window_factory.h"
#include "document/frame_apply.h"
#include "platform/image_io/image_io.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>

#include <cstdio>

using namespace borderlux;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: shot_main_window PROGRAM_FOLDER PHOTO OUT.png [STAMP]\n");
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith('/'))
        folder += '/';
    StartupResult started = RunStartupSequence(folder,
        { QStringLiteral("borderlux"), QString::fromLocal8Bit(argv[2]) }, &CreateMainWindow);
    auto* w = qobject_cast<TfrmMain*>(started.window.get());
    if (!started.libraryOk || !w) {
        std::fprintf(stderr, "start-up failed for %s\n", argv[1]);
        return 1;
    }
    w->setWindowState(Qt::WindowNoState);
    w->setGeometry(0, 0, 1280, 800);
    w->show();
    QTest::qWait(800);
    w->Command("acFitImage")->trigger();
    if (argc > 4) {
        TIEBitmap preview;
        ReadImage(argv[4], preview);
        ApplyFrameOrStamp(
            w->Photo().View(), argv[4],
            [](const std::string& path, TIEBitmap& bmp) { ReadImage(path, bmp); }, preview);
        w->Photo().SetMouseInteraction(kMouseMoveResize);
    }
    QTest::qWait(800);
    const QPixmap shot = w->grab();
    if (!shot.save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
