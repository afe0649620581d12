// bl_make_library PROGRAM_FOLDER CONTACT_SHEET
//
// Draws the shipped library into PROGRAM_FOLDER: frames/<category>/*.png, stamps/<category>/
// *.png, the list files frames/f.dat and stamps/s.dat (entries separated by CR LF, not yet
// sealed), and sample/sample.jpg. Then writes CONTACT_SHEET, one PNG showing every frame over
// the sample photo as the program composes it and every stamp over a checkerboard.
// The tool refuses designs that break the file-name rules, so a wrong name fails the build.

#include "tools/make_library/designs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

using namespace borderlux::tools;

namespace {

const int kCellHeight = 210;
const int kSheetWidth = 2000;

struct Cell {
    QString category;
    QString caption;
    QImage picture;
};

bool fail(const QString& message)
{
    std::fprintf(stderr, "bl_make_library: %s\n", qPrintable(message));
    return false;
}

/// The photo a frame is shown on, at contact-sheet size: the sample itself, or for portrait
/// frames its middle cut upright.
QImage photoFor(const QImage& sample, bool portrait)
{
    if (!portrait)
        return sample.scaledToHeight(kCellHeight, Qt::SmoothTransformation);
    const int cw = sample.height() * 3 / 4;
    return sample.copy((sample.width() - cw) / 2, 0, cw, sample.height())
        .scaledToHeight(kCellHeight, Qt::SmoothTransformation);
}

/// The frame file over the photo as the program shows it, at the photo's size. Alpha-from-red
/// frames are scaled first and then take their alpha from red, as the program does; a
/// colour-key frame loses its key colour at full size and is then scaled with its alpha.
QImage compose(const QImage& file, FrameRule rule, const QImage& photo)
{
    QImage out = photo.convertToFormat(QImage::Format_RGB32);
    QImage frame = file.convertToFormat(QImage::Format_ARGB32);
    if (rule == FrameRule::ColourKey) {
        const QRgb key = frame.pixel(frame.width() / 2, frame.height() / 2);
        for (int y = 0; y < frame.height(); ++y) {
            QRgb* f = reinterpret_cast<QRgb*>(frame.scanLine(y));
            for (int x = 0; x < frame.width(); ++x)
                if (f[x] == key)
                    f[x] = 0;
        }
        const QImage scaled
            = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                  .scaled(out.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter(&out).drawImage(0, 0, scaled);
        return out;
    }
    if (rule == FrameRule::Inverted)
        frame.invertPixels();
    frame = frame.scaled(out.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* f = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qRed(f[x]);
            auto mix = [a](int d, int s) { return d + (s - d) * a / 256; };
            o[x] = qRgb(mix(qRed(o[x]), qRed(f[x])), mix(qGreen(o[x]), qGreen(f[x])),
                mix(qBlue(o[x]), qBlue(f[x])));
        }
    }
    return out;
}

QImage checkerboard(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    for (int y = 0; y < size.height(); y += 16)
        for (int x = 0; x < size.width(); x += 16)
            p.fillRect(
                x, y, 16, 16, ((x + y) / 16) % 2 ? QColor(204, 204, 204) : QColor(255, 255, 255));
    return img;
}

bool checkFrameName(const FrameDesign& d)
{
    const QChar first = d.file.at(0);
    const bool expected = (d.rule == FrameRule::AlphaFromRed && first == 'a')
        || (d.rule == FrameRule::Inverted && first == 'b')
        || (d.rule == FrameRule::ColourKey && first == 'c' && !d.file.contains('a'));
    return expected || fail(d.file + ": the name does not select the frame's rule (and only it)");
}

bool checkStampName(const StampDesign& d)
{
    return (d.file.startsWith('s') && !d.file.contains('a'))
        || fail(d.file + ": a stamp's name starts with s and contains no a");
}

/// Draws one frame, writes its file and returns its contact-sheet cell.
bool makeFrame(const FrameDesign& d, const QString& folder, const QImage& landscapePhoto,
    const QImage& portraitPhoto, Cell& cell)
{
    QImage file = d.draw(d.size);
    if (file.size() != d.size)
        return fail(d.file + ": drawn at the wrong size");
    const QRgb centre = file.pixel(d.size.width() / 2, d.size.height() / 2);
    if (d.rule == FrameRule::Inverted)
        file.invertPixels();
    const QRgb fileCentre = file.pixel(d.size.width() / 2, d.size.height() / 2);
    if (d.rule != FrameRule::ColourKey && qRed(centre) != 0)
        return fail(d.file + ": the middle of the frame is not see-through");
    if (d.rule == FrameRule::Inverted && (fileCentre & 0xffffff) != 0xffffff)
        return fail(d.file + ": the hole of an inverted frame must be white in the file");
    const QImage rgb = file.convertToFormat(QImage::Format_RGB888);
    QImageWriter writer(folder + d.file, "png");
    if (!writer.write(rgb))
        return fail(d.file + ": " + writer.errorString());

    const bool portrait = d.size.height() > d.size.width();
    cell.category = d.category;
    cell.caption = d.file + "  " + d.title;
    cell.picture = compose(rgb, d.rule, portrait ? portraitPhoto : landscapePhoto);
    return true;
}

bool makeStamp(const StampDesign& d, const QString& folder, Cell& cell)
{
    QImage img(d.size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        d.paint(p, QSizeF(d.size));
    }
    const QImage straight = img.convertToFormat(QImage::Format_ARGB32);
    for (QPoint corner : { QPoint(0, 0), QPoint(d.size.width() - 1, d.size.height() - 1) })
        if (qAlpha(straight.pixel(corner)) != 0)
            return fail(d.file + ": the stamp's background is not transparent");
    QImageWriter writer(folder + d.file, "png");
    if (!writer.write(straight))
        return fail(d.file + ": " + writer.errorString());

    QImage shown = checkerboard(d.size);
    QPainter(&shown).drawImage(0, 0, img);
    cell.category = d.category;
    cell.caption = d.file + "  " + d.title;
    const int box = kCellHeight * 3 / 4;
    cell.picture = shown.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return true;
}

bool writeList(const QString& path, const QStringList& entries)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail("cannot write " + path);
    // No line break after the last entry: the sealing tool appends a NUL and its nonce there.
    file.write(entries.join("\r\n").toLocal8Bit());
    return true;
}

/// Runs job(i) for i in 0..count-1 on two threads; false when any job failed.
template <typename Job> bool runParallel(size_t count, Job job)
{
    std::atomic<size_t> next { 0 };
    std::atomic<bool> ok { true };
    auto worker = [&] {
        for (size_t i; (i = next++) < count;)
            if (!job(i))
                ok = false;
    };
    std::thread other(worker);
    worker();
    other.join();
    return ok;
}

QImage contactSheet(const QStringList& frameCategories, const std::vector<Cell>& frames,
    const QStringList& stampCategories, const std::vector<Cell>& stamps)
{
    // Lay out first to learn the height, then paint.
    struct Placed {
        const Cell* cell;
        QPoint at;
    };
    struct Heading {
        QString text;
        int y;
    };
    std::vector<Placed> placed;
    std::vector<Heading> headings;
    const int margin = 24, gap = 16, caption = 22, headingHeight = 44;
    int y = margin;
    auto section = [&](const QString& title, const QStringList& categories,
                       const std::vector<Cell>& cells, const QString& kind) {
        headings.push_back({ title, y });
        y += headingHeight + 8;
        for (const QString& category : categories) {
            int count = 0;
            for (const Cell& c : cells)
                count += c.category == category;
            headings.push_back({ kind + "/" + category
                    + (count ? QString("  (%1)").arg(count)
                             : QString("  (the user's favourites folder; ships empty)")),
                y });
            y += caption + 6;
            int x = margin;
            int rowHeight = 0;
            for (const Cell& c : cells) {
                if (c.category != category)
                    continue;
                if (x + c.picture.width() > kSheetWidth - margin) {
                    x = margin;
                    y += rowHeight + caption + gap;
                    rowHeight = 0;
                }
                placed.push_back({ &c, QPoint(x, y) });
                x += std::max(c.picture.width(), 215) + gap;
                rowHeight = std::max(rowHeight, c.picture.height());
            }
            y += rowHeight + (rowHeight ? caption + gap : 0) + 10;
        }
        y += 10;
    };
    section("Frames, each over the sample photo as the program shows it", frameCategories, frames,
        "frames");
    section("Stamps over a checkerboard", stampCategories, stamps, "stamps");

    QImage sheet(kSheetWidth, y + margin, QImage::Format_RGB32);
    sheet.fill(QColor(236, 238, 242));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font("DejaVu Sans", 1);
    for (const Heading& h : headings) {
        const bool big = !h.text.contains('/');
        font.setPixelSize(big ? 28 : 18);
        font.setBold(true);
        p.setFont(font);
        p.setPen(big ? QColor(30, 40, 60) : QColor(60, 70, 90));
        p.drawText(QRect(margin, h.y, kSheetWidth - 2 * margin, big ? headingHeight : caption),
            Qt::AlignLeft | Qt::AlignVCenter, h.text);
    }
    font.setPixelSize(14);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(40, 40, 40));
    for (const Placed& pl : placed) {
        p.drawImage(pl.at, pl.cell->picture);
        p.drawText(QRect(pl.at.x(), pl.at.y() + pl.cell->picture.height() + 2,
                       std::max(pl.cell->picture.width(), 215), caption),
            Qt::AlignLeft | Qt::AlignVCenter, pl.cell->caption);
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bl_make_library PROGRAM_FOLDER CONTACT_SHEET\n");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const QString program = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + "/";
    const QString sheetPath = QString::fromLocal8Bit(argv[2]);

    const QStringList frameCategories = FrameCategories();
    const QStringList stampCategories = StampCategories();
    const std::vector<FrameDesign> frames = FrameDesigns();
    const std::vector<StampDesign> stamps = StampDesigns();
    for (const FrameDesign& d : frames)
        if (!checkFrameName(d) || !frameCategories.contains(d.category))
            return 1;
    for (const StampDesign& d : stamps)
        if (!checkStampName(d) || !stampCategories.contains(d.category))
            return 1;

    // Start from empty folders so a renamed design leaves no stale file behind.
    QDir(program + "frames").removeRecursively();
    QDir(program + "stamps").removeRecursively();
    for (const QString& c : frameCategories)
        if (c != "my favorite")
            QDir().mkpath(program + "frames/" + c);
    for (const QString& c : stampCategories)
        if (c != "my favorite")
            QDir().mkpath(program + "stamps/" + c);
    QDir().mkpath(program + "sample");

    const QImage sample = DrawSamplePhoto(QSize(1600, 1200));
    QImageWriter jpeg(program + "sample/sample.jpg", "jpeg");
    jpeg.setQuality(90);
    if (!jpeg.write(sample))
        return fail("cannot write the sample photo: " + jpeg.errorString()), 1;

    const QImage landscapePhoto = photoFor(sample, false);
    const QImage portraitPhoto = photoFor(sample, true);
    std::vector<Cell> frameCells(frames.size()), stampCells(stamps.size());
    const bool framesOk = runParallel(frames.size(), [&](size_t i) {
        return makeFrame(frames[i], program + "frames/" + frames[i].category + "/", landscapePhoto,
            portraitPhoto, frameCells[i]);
    });
    const bool stampsOk = runParallel(stamps.size(), [&](size_t i) {
        return makeStamp(stamps[i], program + "stamps/" + stamps[i].category + "/", stampCells[i]);
    });
    if (!framesOk || !stampsOk)
        return 1;
    if (!writeList(program + "frames/f.dat", frameCategories)
        || !writeList(program + "stamps/s.dat", stampCategories))
        return 1;

    QDir().mkpath(QFileInfo(sheetPath).absolutePath());
    const QImage sheet = contactSheet(frameCategories, frameCells, stampCategories, stampCells);
    if (!sheet.save(sheetPath, "png"))
        return fail("cannot write " + sheetPath), 1;

    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "bl_make_library: %zu frames in %lld categories, %zu stamps in %lld categories, %.1f s\n",
        frames.size(), static_cast<long long>(frameCategories.size()), stamps.size(),
        static_cast<long long>(stampCategories.size()), seconds);
    return 0;
}
