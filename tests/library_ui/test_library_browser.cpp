// The library panel's controller: start-up fill, category changes (including one arriving in
// the middle of a fill), the preview, and favourites with their naming.

#include "library/ui/favourites.h"
#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"
#include "library/ui/preview_view.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <set>

using namespace borderlux;

namespace {

void writePicture(const QString& path, QColor colour = QColor(10, 20, 30))
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY2(image.save(path, "PNG"), qPrintable(path));
}

void writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

bool eightDistinctDigits(const QString& digits)
{
    const std::set<QChar> distinct(digits.begin(), digits.end());
    return digits.size() == 8 && distinct.size() == 8 && digits[0] != '0'
        && digits.toLongLong() > 0;
}

} // namespace

// A program folder with frame categories free (2 pictures), my favorite, fancy (1), empty and
// big (40), and stamp categories animals (2), my favorite, flowers (1).
class LibraryFixture {
public:
    LibraryFixture()
    {
        program = dir.path() + "/program/";
        userData
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Borderlux/";
        QDir(userData).removeRecursively();
        for (const char* sub : { "frames/free", "frames/fancy", "frames/empty", "frames/big",
                 "stamps/animals", "stamps/flowers" })
            QDir().mkpath(program + sub);
        writeText(program + "frames/f.dat", "free\r\nmy favorite\r\nfancy\r\nempty\r\nbig");
        writeText(program + "stamps/s.dat", "animals\r\nmy favorite\r\nflowers\r\n");
        writePicture(program + "frames/free/a01.png", Qt::red);
        writePicture(program + "frames/free/c07.png", Qt::green);
        writePicture(program + "frames/fancy/b01.png", Qt::blue);
        for (int i = 0; i < 40; ++i)
            writePicture(program + QString("frames/big/a%1.png").arg(i, 2, 10, QChar('0')));
        writePicture(program + "stamps/animals/s01.png");
        writePicture(program + "stamps/animals/s02.png");
        writePicture(program + "stamps/flowers/s10.png", Qt::yellow);

        grid.resize(450, 120);
        grid.setTransitionDuration(0);
        browser.setProgramFolder([this] { return program; });
        browser.setUserDataFolder(userData);
        browser.setIconProvider([this](int index) {
            icons.push_back(index);
            return QIcon();
        });
        browser.setPopupMenu(nullptr, &acFavFrame, &acDelFav);
        browser.SetupGrid();
        browser.FillStartFolder();
        browser.LoadCategoryLists();
    }
    ~LibraryFixture() { QDir(userData).removeRecursively(); }

    // What the user does: pick an entry of a selector.
    void choose(QComboBox& selector, int index)
    {
        selector.setCurrentIndex(index);
        Q_EMIT selector.activated(index);
    }

    QTemporaryDir dir;
    QString program, userData;
    TImgMView grid;
    TImgViewPreview preview;
    QComboBox frames, stamps;
    QAction acFavFrame, acDelFav;
    std::vector<int> icons;
    LibraryBrowser browser { &grid, &preview, &frames, &stamps };
};

class TestLibraryBrowser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void startupFillsGridAndSelectors();
    void categoryChanges();
    void categoryChangeDuringFillShowsOneFolder();
    void randomDigits();
    void favouriteNames_data();
    void favouriteNames();
    void favouritesMenuAndDelete();
    void addingFavouriteRefusals();
};

void TestLibraryBrowser::initTestCase()
{
    // The fixture empties the user data folder: never let that be the real one.
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME")) {
        static QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    }
}

void TestLibraryBrowser::startupFillsGridAndSelectors()
{
    LibraryFixture f;
    QCOMPARE(f.grid.gridWidth(), 4);
    QCOMPARE(f.grid.imageCount(), 2);
    QCOMPARE(f.grid.imageFileName(0), f.program + "frames/free/a01.png");
    QCOMPARE(f.grid.selectedImage(), 0);
    QVERIFY(f.preview.fileName().isEmpty());
    QVERIFY(f.preview.IEBitmap().IsEmpty());
    QCOMPARE(f.frames.count(), 5);
    QCOMPARE(f.stamps.count(), 3);
    QCOMPARE(f.frames.currentIndex(), 0);
    QCOMPARE(f.stamps.currentIndex(), 0);
    QCOMPARE(f.frames.itemText(1), QString("my favorite"));
    QCOMPARE(f.icons, (std::vector<int> { 61, 62, 61, 61, 61, 6, 62, 6 }));
}

void TestLibraryBrowser::categoryChanges()
{
    LibraryFixture f;
    f.choose(f.frames, 2); // fancy
    QCOMPARE(f.grid.imageCount(), 1);
    QCOMPARE(f.preview.fileName(), f.program + "frames/fancy/b01.png");
    QCOMPARE(f.preview.IEBitmap().Width(), 30);

    // An empty folder empties the grid but keeps the preview.
    f.choose(f.frames, 3);
    QCOMPARE(f.grid.imageCount(), 0);
    QCOMPARE(f.preview.fileName(), f.program + "frames/fancy/b01.png");
    QCOMPARE(f.preview.IEBitmap().Width(), 30);

    // A stamp category shows the stamps and puts the frame selector back to its first entry
    // without its handler refilling the grid with that entry's frames.
    f.choose(f.frames, 2);
    f.choose(f.stamps, 2); // flowers
    QCOMPARE(f.frames.currentIndex(), 0);
    QCOMPARE(f.stamps.currentIndex(), 2);
    QCOMPARE(f.grid.imageCount(), 1);
    QCOMPARE(f.grid.imageFileName(0), f.program + "stamps/flowers/s10.png");
    QCOMPARE(f.preview.fileName(), f.program + "stamps/flowers/s10.png");

    // And back: a frame category resets the stamp selector.
    f.choose(f.frames, 0);
    QCOMPARE(f.stamps.currentIndex(), 0);
    QCOMPARE(f.grid.imageCount(), 2);

    // A user click loads the preview; a damaged file leaves the last good picture there.
    f.grid.show();
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, f.grid.cellRect(1).center());
    QCOMPARE(f.preview.fileName(), f.program + "frames/free/c07.png");
    QVERIFY(!f.preview.readFile(f.program + "frames/f.dat"));
    QCOMPARE(f.preview.fileName(), f.program + "frames/free/c07.png");
}

void TestLibraryBrowser::categoryChangeDuringFillShowsOneFolder()
{
    LibraryFixture f;
    bool ranInside = false;
    // The stamp change arrives while the 40-file frame folder is being listed.
    QTimer::singleShot(0, &f.browser, [&] {
        ranInside = f.browser.isFilling();
        f.choose(f.stamps, 2);
    });
    f.choose(f.frames, 4); // big
    QVERIFY(ranInside);
    QCOMPARE(f.grid.imageCount(), 1);
    QCOMPARE(f.grid.imageFileName(0), f.program + "stamps/flowers/s10.png");
    QCOMPARE(f.preview.fileName(), f.program + "stamps/flowers/s10.png");
    QCOMPARE(f.stamps.currentIndex(), 2);
    QCOMPARE(f.frames.currentIndex(), 0);
    QVERIFY(!f.grid.isPaintLocked());
    QVERIFY(!f.browser.isFilling());
}

void TestLibraryBrowser::randomDigits()
{
    for (int i = 0; i < 2000; ++i)
        QVERIFY(eightDistinctDigits(QString::number(RandomDigits(8))));
    const QString ten = QString::number(RandomDigits(10));
    QCOMPARE(std::set<QChar>(ten.begin(), ten.end()).size(), size_t(10));
    const int64_t one = RandomDigits(1);
    QVERIFY(one >= 1 && one <= 9);
    for (int n : { 0, -1, 11 })
        QCOMPARE(RandomDigits(n), int64_t(-1));
}

void TestLibraryBrowser::favouriteNames_data()
{
    QTest::addColumn<QString>("source"); // below the program folder
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("extension");
    QTest::newRow("colour-key frame") << "frames/free/c07.png"
                                      << "my frame favorite"
                                      << "c"
                                      << ".png";
    QTest::newRow("frame-a loses its a") << "frames/free/frame-a.png"
                                         << "my frame favorite"
                                         << "f"
                                         << ".png";
    QTest::newRow("stamp") << "stamps/animals/s01.png"
                           << "my stamp favorite"
                           << "s"
                           << ".png";
    QTest::newRow("non-ASCII first letter") << "frames/free/éclat.jpg"
                                            << "my frame favorite"
                                            << "é"
                                            << ".jpg";
    QTest::newRow("letter outside the BMP") << "frames/free/\U0001D49Cb.png"
                                            << "my frame favorite"
                                            << "\U0001D49C"
                                            << ".png";
    QTest::newRow("stamps wins over frames") << "stamps/frames/s02.png"
                                             << "my stamp favorite"
                                             << "s"
                                             << ".png";
}

void TestLibraryBrowser::favouriteNames()
{
    QFETCH(QString, source);
    QFETCH(QString, folder);
    QFETCH(QString, first);
    QFETCH(QString, extension);
    LibraryFixture f;
    QVERIFY(QDir().mkpath(f.userData));
    const QString path = f.program + source;
    QDir().mkpath(QFileInfo(path).path());
    writePicture(path, Qt::magenta);
    f.grid.clear();
    f.grid.appendImage(path, Qt::white);
    f.grid.setSelectedImage(0);

    const QString target = f.browser.acFavFrameExecute();
    QVERIFY(!target.isEmpty());
    QCOMPARE(QFileInfo(target).path() + "/", f.userData + folder + "/");
    const QString name = QFileInfo(target).fileName();
    QVERIFY2(name.startsWith(first) && name.endsWith(extension), qPrintable(name));
    QVERIFY2(eightDistinctDigits(name.mid(first.size(), 8)), qPrintable(name));
    QCOMPARE(name.size(), first.size() + 8 + extension.size());
    QFile a(path), b(target);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
    QVERIFY(QDir(f.userData + "my frame favorite").exists());
    QVERIFY(QDir(f.userData + "my stamp favorite").exists());
}

void TestLibraryBrowser::favouritesMenuAndDelete()
{
    LibraryFixture f;
    QVERIFY(QDir().mkpath(f.userData));
    f.browser.PopupMenu2Popup();
    QVERIFY(f.acFavFrame.isEnabled());
    QVERIFY(!f.acDelFav.isEnabled());
    const QString first = f.browser.acFavFrameExecute();
    f.grid.setSelectedImage(1);
    const QString second = f.browser.acFavFrameExecute();
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    QCOMPARE(f.grid.imageCount(), 2); // the shown category is not refilled

    f.choose(f.frames, 1); // my favorite
    QCOMPARE(f.grid.imageCount(), 2);
    f.browser.PopupMenu2Popup();
    QVERIFY(!f.acFavFrame.isEnabled());
    QVERIFY(f.acDelFav.isEnabled());

    const QString doomed = f.browser.selectedPath();
    const QString keptPreview = f.preview.fileName();
    f.browser.acDelFavExecute();
    QVERIFY(!QFile::exists(doomed));
    QCOMPARE(f.grid.imageCount(), 1);
    QVERIFY(f.grid.imageFileName(0) != doomed);
    QCOMPARE(f.preview.fileName(), keptPreview);

    // A file that cannot be deleted still leaves the grid.
    f.grid.appendImage(f.userData + "my frame favorite/gone.png", Qt::white);
    f.grid.setSelectedImage(1);
    f.browser.acDelFavExecute();
    QCOMPARE(f.grid.imageCount(), 1);
}

void TestLibraryBrowser::addingFavouriteRefusals()
{
    LibraryFixture f;
    // No user data folder yet: nothing is created, nothing copied.
    QVERIFY(!QFileInfo::exists(f.userData));
    QCOMPARE(f.browser.acFavFrameExecute(), QString());
    QVERIFY(!QFileInfo::exists(f.userData));

    // A file from neither library tree has no target.
    QVERIFY(QDir().mkpath(f.userData));
    const QString elsewhere = f.dir.path() + "/a01.png";
    writePicture(elsewhere);
    f.grid.appendImage(elsewhere, Qt::white);
    f.grid.setSelectedImage(f.grid.imageCount() - 1);
    QCOMPARE(f.browser.acFavFrameExecute(), QString());
    QVERIFY(QDir(f.userData + "my frame favorite").isEmpty());
    QVERIFY(QDir(f.userData + "my stamp favorite").isEmpty());
}

QTEST_MAIN(TestLibraryBrowser)
#include "test_library_browser.moc"
