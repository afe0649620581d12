// Takes a picture of the main window as the program starts it: the real start-up sequence
// with a photo on the command line, the window at 1280 x 800, "Fit the screen" chosen, and
// optionally frames and stamps of the library applied as the user applies them: the
// category chosen in its selector, the item picked in the grid, then the Apply command.
//
// Usage (under a display, e.g. xvfb-run):
//   shot_main_window PROGRAM_FOLDER PHOTO OUT.png [LIBRARY_FILE...]
// LIBRARY_FILE is relative to the program folder, e.g. frames/classic/a011.png.

#include "app/core/startup.h"
#include "app/gui/frm_main.h"
#include "app/gui/main_window_factory.h"
#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTest>

#include <cstdio>

using namespace borderlux;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: shot_main_window PROGRAM_FOLDER PHOTO OUT.png [LIBRARY_FILE...]\n");
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
    for (int i = 4; i < argc; ++i) {
        const QFileInfo file(folder + QString::fromLocal8Bit(argv[i]));
        const QString category = file.dir().dirName();
        const bool stamp = file.dir().absolutePath().endsWith("/stamps/" + category);
        QComboBox* selector = stamp ? w->ComboBoxEx2() : w->ComboBoxEx1();
        selector->setCurrentIndex(selector->findText(category));
        if (stamp)
            w->Browser()->ComboBox2Change();
        else
            w->Browser()->ComboBox1Change();
        TImgMView* grid = w->ImgMViewMain();
        int item = -1;
        for (int j = 0; j < grid->imageCount(); ++j)
            if (QFileInfo(grid->imageFileName(j)).canonicalFilePath() == file.canonicalFilePath())
                item = j;
        if (item < 0) {
            std::fprintf(stderr, "%s is not in its category's grid\n", argv[i]);
            return 1;
        }
        grid->setSelectedImage(item);
        w->Browser()->ImgMViewMainImageSelect(item);
        w->Command("acApply")->trigger();
    }
    QTest::qWait(800);
    const QPixmap shot = w->grab();
    if (!shot.save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
