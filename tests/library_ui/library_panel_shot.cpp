// Draws the library panel as the main window lays it out (the selector row, then the grid with
// the preview at its right), fills it from a program folder's "frames/free" and saves a picture.
//   library_panel_shot <program folder> <out.png> [selected index [fade.png]]
// With fade.png the stamp category 0 is then chosen and the panel is pictured again halfway
// through the fade-out of the frames.

#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"
#include "library/ui/preview_view.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdio>

using namespace borderlux;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: library_panel_shot <program folder> <out.png> [index]\n");
        return 2;
    }
    QString program = QString::fromLocal8Bit(argv[1]);
    if (!program.endsWith('/'))
        program += '/';
    const int selected = argc > 3 ? std::atoi(argv[3]) : 0;

    QWidget window;
    window.resize(890, 158);
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(4, 4, 4, 4);
    auto* frames = new QComboBox;
    frames->setFixedWidth(94);
    auto* stamps = new QComboBox;
    stamps->setFixedWidth(107);
    row->addWidget(new QLabel("Frame Style:"));
    row->addWidget(frames);
    row->addWidget(new QLabel("Stamps: "));
    row->addWidget(stamps);
    row->addStretch();
    column->addLayout(row);
    auto* panel = new QHBoxLayout;
    panel->setSpacing(0);
    auto* grid = new TImgMView;
    auto* preview = new TImgViewPreview;
    preview->setFixedWidth(110);
    panel->addWidget(grid, 1);
    panel->addWidget(preview);
    column->addLayout(panel);
    grid->setFixedHeight(120);
    preview->setFixedHeight(120);

    LibraryBrowser browser(grid, preview, frames, stamps);
    browser.setProgramFolder([program] { return program; });
    window.show();
    QApplication::processEvents();
    browser.SetupGrid();
    browser.FillStartFolder();
    browser.LoadCategoryLists();
    if (selected >= 0 && selected < grid->imageCount()) {
        grid->setSelectedImage(selected);
        browser.ImgMViewMainImageSelect(selected);
    }

    // Wait until the visible thumbnails are in (or 10 s have passed).
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        bool ready = true;
        for (int i = 0; i < grid->imageCount(); ++i)
            if (grid->cellRect(i).intersects(grid->viewport()->rect()) && !grid->hasThumbnail(i))
                ready = false;
        if (ready && grid->decodesInFlight() == 0)
            break;
    }
    QApplication::processEvents();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[2]));
    std::printf("%d items, %d columns, saved %s\n", grid->imageCount(), grid->gridWidth(),
        saved ? argv[2] : "nothing");
    if (saved && argc > 4 && stamps->count() > 0) {
        grid->setTransitionDuration(400);
        stamps->setCurrentIndex(0);
        Q_EMIT stamps->activated(0);
        clock.restart();
        while (clock.elapsed() < 200)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        window.grab().save(QString::fromLocal8Bit(argv[4]));
    }
    return saved ? 0 : 1;
}
