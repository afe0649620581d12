// The thumbnail grid and FillThumbnails: which files a folder lists, the column rule, lazy
// thumbnails dropping unreadable files, user-only selection events, and the reduction that
// makes the thumbnails.

#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"
#include "library/ui/thumbnail_loader.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace borderlux;

namespace {

void writePicture(const QString& path, const char* format, QSize size = { 40, 30 })
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 10));
    QVERIFY2(image.save(path, format), qPrintable(path));
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList listedNames(const TImgMView& grid)
{
    QStringList names;
    for (int i = 0; i < grid.imageCount(); ++i)
        names << QFileInfo(grid.imageFileName(i)).fileName();
    return names;
}

} // namespace

class TestThumbnailGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fillListsAcceptedPlainFiles_data();
    void fillListsAcceptedPlainFiles();
    void fillStopsAt150Items();
    void damagedFileDisappearsWhenDrawn_data();
    void damagedFileDisappearsWhenDrawn();
    void onlyRowsNeedingDrawingAreDecoded();
    void columnRule_data();
    void columnRule();
    void selectionEventsAreUserOnly();
    void dragStartsAfterFivePixels();
    void reduceAveragesCoveredPixels();
    void largeJpegThumbnailFitsTheBox();
};

void TestThumbnailGrid::fillListsAcceptedPlainFiles_data()
{
    // Each file is "name:kind"; kind png / jpg write a picture of that format, txt a line of
    // text, dir a sub-folder.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("png, text file, sub-folder") << QStringList { "frame.png:png", "notes.txt:txt",
        "sub.png:dir" } << QStringList { "frame.png" };
    QTest::newRow("extension case and contents ignored") << QStringList { "A.JPG:jpg", "b.dat:jpg",
        "c.Png:png" } << QStringList { "A.JPG", "c.Png" };
    QTest::newRow("hidden files skipped")
        << QStringList { ".hidden.png:png", "shown.png:png" } << QStringList { "shown.png" };
    QTest::newRow("no extension, write-only formats") << QStringList { "png:png", "x.pdf:txt",
        "y.eps:txt", "z.bmp:png" } << QStringList { "z.bmp" };
}

void TestThumbnailGrid::fillListsAcceptedPlainFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const QString& spec : files) {
        const QString name = spec.section(':', 0, 0), kind = spec.section(':', 1);
        const QString path = dir.filePath(name);
        if (kind == "dir")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "txt")
            writeBytes(path, "not a picture\n");
        else
            writePicture(path, kind == "png" ? "PNG" : "JPEG");
    }
    TImgMView grid;
    LibraryBrowser browser(&grid, nullptr, nullptr, nullptr);
    QVERIFY(browser.FillThumbnails(dir.path())); // no trailing "/": the fill adds it
    QCOMPARE(listedNames(grid), listed);
    QCOMPARE(grid.selectedImage(), 0);
    QCOMPARE(grid.imageFileName(0), dir.path() + "/" + listed.first());
    QCOMPARE(grid.imageBackground(0), QColor(208, 239, 239));
}

void TestThumbnailGrid::fillStopsAt150Items()
{
    QTemporaryDir dir;
    writePicture(dir.filePath("seed.png"), "PNG");
    for (int i = 0; i < 200; ++i)
        QVERIFY(QFile::copy(
            dir.filePath("seed.png"), dir.filePath(QString("f%1.png").arg(i, 3, 10, QChar('0')))));
    QVERIFY(QFile::remove(dir.filePath("seed.png")));
    TImgMView grid;
    LibraryBrowser browser(&grid, nullptr, nullptr, nullptr);
    browser.FillThumbnails(dir.path() + "/");
    QCOMPARE(grid.imageCount(), kMaxGridItems);
    QCOMPARE(listedNames(grid).first(), QString("f000.png"));
    QCOMPARE(listedNames(grid).last(), QString("f149.png"));
}

void TestThumbnailGrid::damagedFileDisappearsWhenDrawn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("damaged PNG") << "a-damaged.png"
                                 << QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(64, 'x');
    QTest::newRow("damaged JPEG") << "a-damaged.jpg"
                                  << QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(64, 'x');
    QTest::newRow("empty JPEG") << "a-empty.jpg" << QByteArray();
}

void TestThumbnailGrid::damagedFileDisappearsWhenDrawn()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    // Accepted by its extension, unreadable when drawn.
    writeBytes(dir.filePath(name), bytes);
    writePicture(dir.filePath("b-good.png"), "PNG");
    TImgMView grid;
    grid.resize(300, 120);
    LibraryBrowser browser(&grid, nullptr, nullptr, nullptr);
    browser.FillThumbnails(dir.path());
    QCOMPARE(grid.imageCount(), 2);
    QSignalSpy failed(&grid, &TImgMView::thumbnailFailed);
    grid.show();
    QTRY_COMPARE(grid.imageCount(), 1);
    QCOMPARE(listedNames(grid), QStringList { "b-good.png" });
    QCOMPARE(failed.count(), 1);
    QTRY_VERIFY(grid.hasThumbnail(0));
    QCOMPARE(grid.thumbnail(0).size(), QSize(40, 30)); // small pictures are not enlarged
    QCOMPARE(grid.selectedImage(), 0);
}

void TestThumbnailGrid::onlyRowsNeedingDrawingAreDecoded()
{
    QTemporaryDir dir;
    writePicture(dir.filePath("seed.png"), "PNG");
    for (int i = 0; i < 40; ++i)
        QVERIFY(QFile::copy(
            dir.filePath("seed.png"), dir.filePath(QString("p%1.png").arg(i, 2, 10, QChar('0')))));
    TImgMView grid;
    grid.resize(400, 92); // one row of four visible
    grid.setGridWidth(4);
    LibraryBrowser browser(&grid, nullptr, nullptr, nullptr);
    browser.FillThumbnails(dir.path());
    QCOMPARE(grid.imageCount(), 41);
    auto loaded = [&] {
        int n = 0;
        for (int i = 0; i < grid.imageCount(); ++i)
            n += grid.hasThumbnail(i);
        return n;
    };
    QCOMPARE(loaded(), 0); // nothing is decoded before the grid is drawn
    grid.show();
    QTRY_VERIFY(grid.hasThumbnail(3) && grid.decodesInFlight() == 0);
    QVERIFY2(loaded() <= 8, "the visible row and one row ahead");
    grid.ensureVisible(40);
    QTRY_VERIFY(grid.hasThumbnail(40));
    QVERIFY(loaded() < 20);
}

void TestThumbnailGrid::columnRule_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("columns");
    QTest::newRow("750") << 750 << 7;
    QTest::newRow("799") << 799 << 7;
    QTest::newRow("800") << 800 << 8;
    QTest::newRow("narrower than a thumbnail") << 99 << 0;
}

void TestThumbnailGrid::columnRule()
{
    QFETCH(int, width);
    QFETCH(int, columns);
    TImgMView grid;
    grid.resize(width, 120);
    LibraryBrowser browser(&grid, nullptr, nullptr, nullptr);
    browser.SetupGrid();
    QCOMPARE(grid.gridWidth(), columns);
    grid.resize(width + 300, 120);
    browser.FormResize();
    QCOMPARE(grid.gridWidth(), (width + 300) / 100);
}

void TestThumbnailGrid::selectionEventsAreUserOnly()
{
    TImgMView grid;
    grid.setTransitionDuration(0);
    grid.resize(400, 200);
    grid.setGridWidth(4);
    for (int i = 0; i < 6; ++i)
        grid.appendImage(QString("/nowhere/%1.png").arg(i), Qt::white);
    QSignalSpy select(&grid, &TImgMView::ImageSelect);
    QSignalSpy apply(&grid, &TImgMView::ImageDblClick);

    grid.setSelectedImage(2);
    QCOMPARE(select.count(), 0);

    const QPoint item5 = grid.cellRect(5).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, item5);
    QCOMPARE(grid.selectedImage(), 5);
    QCOMPARE(select.count(), 1);
    QCOMPARE(select.last().first().toInt(), 5);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, item5);
    QCOMPARE(apply.count(), 1);

    // One notch up selects the previous item; a click on empty space changes nothing.
    QWheelEvent up(QPointF(item5), grid.viewport()->mapToGlobal(QPointF(item5)), {}, { 0, 120 },
        Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid.viewport(), &up);
    QCOMPARE(grid.selectedImage(), 4);
    QCOMPARE(select.last().first().toInt(), 4);
    const int before = int(select.count());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(7).center());
    QCOMPARE(grid.selectedImage(), 4);
    QCOMPARE(select.count(), before);
}

void TestThumbnailGrid::dragStartsAfterFivePixels()
{
    TImgMView grid;
    grid.resize(400, 200);
    grid.setGridWidth(4);
    grid.appendImage("/nowhere/a.png", Qt::white);
    grid.appendImage("/nowhere/b.png", Qt::white);
    grid.show();
    QSignalSpy starting(&grid, &TImgMView::dragStarting);
    const QPoint at = grid.cellRect(1).center();
    auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(pos), grid.viewport()->mapToGlobal(QPointF(pos)),
            Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(grid.viewport(), &event);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPoint(4, -4), Qt::LeftButton);
    QCOMPARE(starting.count(), 0);

    send(QEvent::MouseMove, at + QPoint(5, 0), Qt::LeftButton);
    QCOMPARE(starting.count(), 1);
    QCOMPARE(starting.first().first().toInt(), 1);

    // What the main view receives on a drop.
    const std::unique_ptr<QMimeData> mime(TImgMView::thumbnailMimeData("/nowhere/b.png"));
    QVERIFY(TImgMView::isThumbnailDrag(mime.get()));
    QCOMPARE(QString::fromUtf8(mime->data(ThumbnailMimeType)), QString("/nowhere/b.png"));
    QCOMPARE(mime->urls(), QList<QUrl> { QUrl::fromLocalFile("/nowhere/b.png") });
    QVERIFY(!TImgMView::isThumbnailDrag(nullptr));
}

void TestThumbnailGrid::reduceAveragesCoveredPixels()
{
    // 4 x 2 source reduced into a 2 x 1 box: each destination pixel is the mean of a 2 x 2 block.
    TIEBitmap bmp;
    QVERIFY(bmp.Allocate(4, 2, ie24RGB));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            *bmp.PixelPtr(x, y) = TRGB { uint8_t(10 * x + 100 * y), 0, uint8_t(x < 2 ? 255 : 0) };
    QImage out = ReduceToFit(bmp, 2, 2);
    QCOMPARE(out.size(), QSize(2, 1));
    QCOMPARE(out.format(), QImage::Format_RGB32);
    QCOMPARE(QColor(out.pixel(0, 0)), QColor(255, 0, 55)); // blue (0 + 10 + 100 + 110) / 4
    QCOMPARE(QColor(out.pixel(1, 0)), QColor(0, 0, 75));

    // With alpha the colour is weighted by coverage: an opaque red beside a transparent green
    // gives half-covered pure red.
    TIEBitmap two;
    QVERIFY(two.Allocate(2, 1, ie24RGB));
    *two.PixelPtr(0, 0) = TRGB { 0, 0, 255 };
    *two.PixelPtr(1, 0) = TRGB { 0, 255, 0 };
    two.WriteAlpha(1, 0, 0);
    out = ReduceToFit(two, 1, 1);
    QCOMPARE(out.format(), QImage::Format_ARGB32_Premultiplied);
    const QColor c = QColor::fromRgba(out.convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
    QCOMPARE(c.alpha(), 128);
    QCOMPARE(c.green(), 0);
    QVERIFY(c.red() >= 254);
}

void TestThumbnailGrid::largeJpegThumbnailFitsTheBox()
{
    struct Case {
        QSize picture, thumbnail;
    };
    const Case cases[] = {
        { { 1600, 1200 }, { 100, 75 } },
        { { 400, 1000 }, { 32, 80 } },
        { { 90, 60 }, { 90, 60 } },
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path
            = dir.filePath(QString("p%1x%2.jpg").arg(c.picture.width()).arg(c.picture.height()));
        writePicture(path, "JPEG", c.picture);
        const QImage thumb = LoadThumbnail(path, 100, 80);
        QCOMPARE(thumb.size(), c.thumbnail);
        const QColor centre = thumb.pixelColor(thumb.width() / 2, thumb.height() / 2);
        QVERIFY2(qAbs(centre.red() - 200) < 8 && qAbs(centre.green() - 40) < 8, qPrintable(path));
    }
}

QTEST_MAIN(TestThumbnailGrid)
#include "test_thumbnail_grid.moc"
