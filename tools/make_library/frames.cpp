// The shipped frames. Each painter draws the frame as the user will see it; the rule of its
// file name decides how opacity is carried:
// - "a" frames: red is opacity, so every visible part is high in red (golds, warm woods,
//   whites, reds) and the hole is pure black. Darker shading lowers red too, which turns it
//   into a see-through shadow over the photo.
// - "b" frames: drawn the same way and stored as their negative.
// - "c" frames: full colour; the parts where the photo shows are exactly the key colour, which
//   is the colour of the centre pixel.

#include "tools/make_library/designs.h"
#include "tools/make_library/draw_kit.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace borderlux::tools {

namespace {

const QColor kKey(255, 0, 255);

QImage canvas(QSize size, QColor fill = Qt::black)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void antialias(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QRectF inset(QSize size, double d)
{
    return QRectF(0, 0, size.width(), size.height()).adjusted(d, d, -d, -d);
}

double smoothstep(double a, double b, double x)
{
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Metal profiles keep red high even in their grooves: under the alpha-from-red rule a dark
// groove would let the photo show through the frame.
const std::vector<ProfileStop> kGold = {
    { 0.00, QColor(236, 152, 48) },
    { 0.10, QColor(255, 224, 128) },
    { 0.28, QColor(248, 178, 64) },
    { 0.46, QColor(255, 240, 164) },
    { 0.60, QColor(240, 160, 52) },
    { 0.78, QColor(255, 212, 108) },
    { 0.92, QColor(232, 142, 40) },
    { 1.00, QColor(214, 120, 32) },
};

const std::vector<ProfileStop> kSilver = {
    { 0.00, QColor(222, 225, 232) },
    { 0.14, QColor(250, 251, 254) },
    { 0.34, QColor(232, 234, 240) },
    { 0.52, QColor(253, 254, 255) },
    { 0.72, QColor(228, 230, 236) },
    { 0.88, QColor(240, 241, 245) },
    { 1.00, QColor(214, 217, 225) },
};

const std::vector<ProfileStop> kWoodShading = {
    { 0.00, QColor(255, 255, 255, 70) },
    { 0.18, QColor(255, 255, 255, 0) },
    { 0.70, QColor(0, 0, 0, 0) },
    { 0.90, QColor(0, 0, 0, 60) },
    { 1.00, QColor(0, 0, 0, 130) },
};

/// The shading of wood in alpha-from-red frames: highlights only and a faint edge, so the
/// wood stays opaque.
const std::vector<ProfileStop> kLightWoodShading = {
    { 0.00, QColor(255, 255, 255, 80) },
    { 0.18, QColor(255, 255, 255, 0) },
    { 0.85, QColor(0, 0, 0, 0) },
    { 1.00, QColor(0, 0, 0, 22) },
};

/// A soft shadow band just inside the hole of an alpha-from-red frame: dark and only partly
/// opaque, so the photo looks set back behind the frame.
void innerShadow(QPainter& p, const QRectF& hole, double width, int strength = 90)
{
    paintProfileFrame(p, hole, width,
        { { 0, QColor(strength, strength * 2 / 3, strength / 3) }, { 1, QColor(0, 0, 0) } }, 0);
}

/// Beads of bright metal along the rectangle r.
void beads(QPainter& p, const QRectF& r, double radius, double spacing, QColor light, QColor dark)
{
    p.save();
    p.setPen(Qt::NoPen);
    auto bead = [&](QPointF c) {
        QRadialGradient g(c - QPointF(radius / 3, radius / 3), radius * 1.3);
        g.setColorAt(0, light);
        g.setColorAt(1, dark);
        p.setBrush(g);
        p.drawEllipse(c, radius, radius);
    };
    const int nx = int(r.width() / spacing), ny = int(r.height() / spacing);
    for (int i = 0; i <= nx; ++i) {
        bead({ r.left() + i * r.width() / nx, r.top() });
        bead({ r.left() + i * r.width() / nx, r.bottom() });
    }
    for (int j = 1; j < ny; ++j) {
        bead({ r.left(), r.top() + j * r.height() / ny });
        bead({ r.right(), r.top() + j * r.height() / ny });
    }
    p.restore();
}

/// Positions spread over the band between the picture's edge and depth pixels inside it.
std::vector<QPointF> bandPoints(QSize size, double depth, int count, uint32_t seed)
{
    Rng rng(seed);
    std::vector<QPointF> points;
    const double w = size.width(), h = size.height();
    const double perimeter = 2 * (w + h);
    for (int i = 0; i < count; ++i) {
        double t = rng.range(0, perimeter);
        // Bias towards the outer edge: the band is densest where it meets the frame's border.
        const double d = depth * std::pow(rng.range(0, 1), 1.4);
        if (t < w)
            points.push_back({ t, d });
        else if ((t -= w) < h)
            points.push_back({ w - d, t });
        else if ((t -= h) < w)
            points.push_back({ w - t, h - d });
        else
            points.push_back({ d, h - (t - w) });
    }
    return points;
}

/// value in 0..1 per pixel of a soft-edged frame: 0 inside the hole, 1 at the border.
/// shape 0: ellipse, 1: rounded rectangle with corner radius r.
QImage softFrame(
    QSize size, int shape, double start, double end, double r, QColor tint, uint32_t seed)
{
    QImage img(size, QImage::Format_RGB32);
    const double w = size.width(), h = size.height();
    const NoiseField noise(size, 0.01, seed);
    for (int y = 0; y < size.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            double d;
            if (shape == 0) {
                const double dx = (x + 0.5 - w / 2) / (w / 2), dy = (y + 0.5 - h / 2) / (h / 2);
                d = std::sqrt(dx * dx + dy * dy);
            } else {
                // Distance outward from a rounded rectangle at start pixels from the edge.
                const double qx = std::max(std::abs(x + 0.5 - w / 2) - (w / 2 - start - r), 0.0);
                const double qy = std::max(std::abs(y + 0.5 - h / 2) - (h / 2 - start - r), 0.0);
                d = std::sqrt(qx * qx + qy * qy) - r;
            }
            d += (shape == 0 ? 0.025 : 10.0) * noise.at(x, y);
            const double v = shape == 0 ? smoothstep(start, end, d) : smoothstep(0, end, d);
            row[x] = qRgb(
                int(tint.red() * v + 0.5), int(tint.green() * v + 0.5), int(tint.blue() * v + 0.5));
        }
    }
    return img;
}

/// A colour-key frame from a base picture, decorations drawn over it and the hole. Inside the
/// hole every pixel the decorations leave untouched becomes the key; where a decoration's
/// soft edge reaches into the hole it is blended over fringe instead of over the key, so no
/// key-coloured halo shows.
QImage keyedFrame(
    const QImage& base, const QImage& decorations, const QPainterPath& hole, QColor fringe)
{
    QImage mask(base.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(hole);
    }
    QImage out = base.convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&out);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(fringe);
        p.drawPath(hole);
        if (!decorations.isNull())
            p.drawImage(0, 0, decorations);
    }
    const QImage deco = decorations.isNull()
        ? QImage()
        : decorations.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        const uchar* m = mask.constScanLine(y);
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* d
            = deco.isNull() ? nullptr : reinterpret_cast<const QRgb*>(deco.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (m[x] && (!d || qAlpha(d[x]) == 0))
                o[x] = kKey.rgb();
    }
    return out;
}

QImage transparentLayer(QSize size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QPainterPath rectPath(const QRectF& r, double radius = 0)
{
    QPainterPath path;
    if (radius > 0)
        path.addRoundedRect(r, radius, radius);
    else
        path.addRect(r);
    return path;
}

void noiseFill(
    QImage& img, const QRectF& area, QColor base, double amount, double scale, uint32_t seed)
{
    const QRect r = area.toAlignedRect().intersected(img.rect());
    const NoiseField noise(img.size(), scale, seed, 3, scale > 0.03 ? 2 : 4);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const double n = amount * noise.at(x, y);
            row[x] = qRgb(std::clamp(int(base.red() + n), 0, 255),
                std::clamp(int(base.green() + n), 0, 255),
                std::clamp(int(base.blue() + n), 0, 255));
        }
    }
}

/// A bevel around the hole of a mat: lit top and left, shaded bottom and right.
void matBevel(QPainter& p, const QRectF& hole, double width, QColor lit, QColor shaded)
{
    const auto sides = mitredSides(hole.adjusted(-width, -width, width, width), width);
    p.save();
    p.setPen(Qt::NoPen);
    const QColor colors[4] = { shaded, lit, lit, shaded };
    for (int s = 0; s < 4; ++s) {
        p.setBrush(colors[s]);
        p.drawPolygon(sides[s]);
    }
    p.restore();
}

// ---- "a" and "b" frames: red is opacity, hole black ---------------------------------------

QImage goldClassic(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.085;
    paintProfileFrame(p, inset(size, 0), w, kGold);
    beads(
        p, inset(size, w * 0.46), w * 0.07, w * 0.22, QColor(255, 245, 190), QColor(215, 150, 50));
    innerShadow(p, inset(size, w), w * 0.28);
    return img;
}

QImage goldWithMat(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.075;
    const double mat = w * 0.9;
    p.fillRect(inset(size, w), QColor(255, 247, 228));
    p.fillRect(inset(size, w + mat), Qt::black);
    paintProfileFrame(p, inset(size, 0), w, kGold);
    // the mat's cut bevel and a fine gold line on it
    matBevel(p, inset(size, w + mat), 7, QColor(255, 255, 245), QColor(235, 222, 196));
    p.setPen(QPen(QColor(240, 190, 90), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(inset(size, w + mat * 0.55));
    innerShadow(p, inset(size, w), 16, 120);
    innerShadow(p, inset(size, w + mat), 14, 70);
    return img;
}

QImage ornateGold(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.11;
    paintProfileFrame(p, inset(size, 0), w, kGold, 0.06);
    beads(p, inset(size, w * 0.3), w * 0.05, w * 0.16, QColor(255, 248, 200), QColor(220, 150, 45));
    // Rosettes on the mitres.
    const double c = w * 0.5;
    const QPointF corners[4] = { { c, c }, { size.width() - c, c },
        { size.width() - c, size.height() - c }, { c, size.height() - c } };
    for (QPointF pt : corners) {
        QRadialGradient g(pt - QPointF(w * 0.1, w * 0.1), w * 0.6);
        g.setColorAt(0, QColor(255, 250, 210));
        g.setColorAt(0.6, QColor(250, 200, 90));
        g.setColorAt(1, QColor(205, 135, 40));
        p.setBrush(g);
        p.setPen(QPen(QColor(190, 120, 35), 3));
        p.drawPath(starPath(pt, w * 0.42, w * 0.24, 8, -90));
        p.setBrush(QColor(255, 235, 150));
        p.drawEllipse(pt, w * 0.16, w * 0.16);
    }
    // Leaf scrolls in the middle of each side.
    p.setPen(QPen(QColor(255, 236, 150), 4));
    p.setBrush(QColor(235, 175, 65));
    auto scroll = [&](QPointF at, double angle) {
        p.save();
        p.translate(at);
        p.rotate(angle);
        for (int s = -1; s <= 1; s += 2) {
            QPainterPath leaf;
            leaf.moveTo(0, 0);
            leaf.cubicTo(s * w * 0.5, -w * 0.3, s * w * 1.1, -w * 0.1, s * w * 1.4, w * 0.05);
            leaf.cubicTo(s * w * 1.0, w * 0.15, s * w * 0.5, w * 0.1, 0, 0);
            p.drawPath(leaf);
        }
        p.restore();
    };
    scroll({ size.width() / 2.0, w * 0.55 }, 0);
    scroll({ size.width() / 2.0, size.height() - w * 0.55 }, 180);
    scroll({ w * 0.55, size.height() / 2.0 }, -90);
    scroll({ size.width() - w * 0.55, size.height() / 2.0 }, 90);
    innerShadow(p, inset(size, w), w * 0.25);
    return img;
}

QImage silverClassic(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.075;
    paintProfileFrame(p, inset(size, 0), w, kSilver);
    innerShadow(p, inset(size, w), w * 0.25, 70);
    return img;
}

QImage silverThin(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.04;
    paintProfileFrame(p, inset(size, 0), w, kSilver, 0.06);
    // A brushed look: fine horizontal streaks over the metal.
    Rng rng(16);
    for (int i = 0; i < 900; ++i) {
        const double y = rng.range(0, size.height());
        const double x = rng.range(0, size.width());
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        if (y < w || y > size.height() - w)
            p.drawLine(QPointF(x, y), QPointF(x + rng.range(40, 160), y));
    }
    // a second, inner fillet
    paintProfileFrame(p, inset(size, w + 18), 10, kSilver, 0.2);
    return img;
}

QImage pewterOval(QSize size)
{
    QImage img = canvas(size);
    noiseFill(img, inset(size, 0), QColor(242, 242, 246), 6, 0.02, 12);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.05;
    paintProfileFrame(p, inset(size, 0), w, kSilver);
    const QRectF oval = inset(size, w + size.width() * 0.1);
    QLinearGradient ring(oval.topLeft(), oval.bottomRight());
    ring.setColorAt(0, QColor(255, 255, 255));
    ring.setColorAt(1, QColor(170, 172, 180));
    p.setPen(QPen(QBrush(ring), 14));
    p.setBrush(Qt::black);
    p.drawEllipse(oval);
    p.setPen(QPen(QColor(205, 206, 212), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(oval.adjusted(-30, -30, 30, 30));
    return img;
}

QImage lightOak(QSize size)
{
    QImage img = canvas(size);
    const double w = std::min(size.width(), size.height()) * 0.1;
    // Red stays at 255 across the grain; green and blue draw it.
    const QImage across = woodTexture(
        QSize(size.width(), int(w) + 1), QColor(255, 228, 180), QColor(255, 168, 96), true, 14);
    const QImage down = woodTexture(
        QSize(int(w) + 1, size.height()), QColor(255, 228, 180), QColor(255, 168, 96), false, 41);
    QPainter p(&img);
    antialias(p);
    paintTexturedFrame(p, inset(size, 0), w, across, down, kLightWoodShading, 0.05);
    innerShadow(p, inset(size, w), w * 0.3);
    return img;
}

QImage hearts(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double band = std::min(size.width(), size.height()) * 0.11;
    p.setPen(QPen(QColor(255, 255, 255), 5, Qt::DotLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inset(size, band + 12), 30, 30);
    Rng rng(5);
    p.setPen(Qt::NoPen);
    for (QPointF pt : bandPoints(size, band, 260, 55)) {
        const double s = rng.range(36, 100);
        const int g = int(rng.range(20, 150));
        QRadialGradient grad(pt - QPointF(s * 0.2, s * 0.25), s * 0.8);
        grad.setColorAt(0, QColor(255, std::min(255, g + 90), std::min(255, g + 110)));
        grad.setColorAt(1, QColor(255, g, g + 40));
        p.save();
        p.translate(pt);
        p.rotate(rng.range(-30, 30));
        p.setBrush(grad);
        p.drawPath(heartPath({ 0, 0 }, s));
        p.restore();
    }
    return img;
}

QImage snowflakes(QSize size)
{
    const double band = std::min(size.width(), size.height()) * 0.13;
    QImage img(size, QImage::Format_RGB32);
    const double w = size.width(), h = size.height();
    for (int y = 0; y < size.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const double edge
                = std::min(std::min(x + 0.5, w - x - 0.5), std::min(y + 0.5, h - y - 0.5));
            const double frost = edge + 40 * fractalNoise(x * 0.012, y * 0.012, 21, 4);
            const double v = 1 - smoothstep(band * 0.5, band * 0.95, frost);
            // Red carries the opacity; green and blue run a little ahead so the fade is icy.
            row[x] = qRgb(int(255 * v), std::min(255, int(255 * v + 30 * v * (1 - v) * 4)),
                std::min(255, int(255 * v + 60 * v * (1 - v) * 4)));
        }
    }
    QPainter p(&img);
    antialias(p);
    Rng rng(22);
    for (QPointF pt : bandPoints(size, band * 1.3, 60, 23))
        paintSnowflake(p, pt, rng.range(16, 44), QColor(255, 255, 255));
    return img;
}

QImage goldStars(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double band = std::min(size.width(), size.height()) * 0.14;
    Rng rng(23);
    p.setPen(Qt::NoPen);
    for (QPointF pt : bandPoints(size, band * 0.6, 260, 77)) {
        p.setBrush(rng.next() % 2 ? QColor(255, 255, 255) : QColor(255, 215, 110));
        p.drawEllipse(pt, 3.5, 3.5);
    }
    for (QPointF pt : bandPoints(size, band, 75, 78)) {
        const double r = rng.range(18, 52);
        QRadialGradient g(pt, r);
        g.setColorAt(0, QColor(255, 250, 210));
        g.setColorAt(1, QColor(245, 180, 60));
        p.setBrush(g);
        p.drawPath(starPath(pt, r, r * 0.45, 5, rng.range(-110, -70)));
    }
    QFont font("DejaVu Serif", 1);
    font.setPixelSize(int(band * 0.48));
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(255, 226, 130));
    p.drawText(QRectF(0, size.height() - band * 0.95, size.width(), band * 0.8), Qt::AlignCenter,
        "Happy New Year");
    return img;
}

QImage autumnLeaves(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double band = std::min(size.width(), size.height()) * 0.13;
    p.setPen(QPen(QColor(255, 200, 100), 4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(inset(size, band + 18));
    Rng rng(26);
    for (QPointF pt : bandPoints(size, band, 120, 61)) {
        const double s = rng.range(40, 90);
        const QColor colors[4] = { QColor(255, 150, 30), QColor(240, 70, 30), QColor(255, 200, 40),
            QColor(255, 110, 45) };
        const QColor c = colors[rng.next() % 4];
        p.save();
        p.translate(pt);
        p.rotate(rng.range(0, 360));
        QPainterPath leaf;
        leaf.moveTo(0, -s * 0.6);
        leaf.cubicTo(s * 0.55, -s * 0.35, s * 0.45, s * 0.3, 0, s * 0.5);
        leaf.cubicTo(-s * 0.45, s * 0.3, -s * 0.55, -s * 0.35, 0, -s * 0.6);
        QLinearGradient g(-s * 0.4, 0, s * 0.4, 0);
        g.setColorAt(0, c);
        g.setColorAt(1, c.lighter(115));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(leaf);
        p.setPen(QPen(c.darker(125), s / 25));
        p.drawLine(QPointF(0, -s * 0.5), QPointF(0, s * 0.75));
        for (int v = -1; v <= 1; v += 2)
            for (int k = 0; k < 3; ++k)
                p.drawLine(QPointF(0, -s * 0.25 + k * s * 0.22),
                    QPointF(v * s * 0.3, -s * 0.4 + k * s * 0.22));
        p.restore();
    }
    return img;
}

QImage valentine(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.1;
    p.fillRect(inset(size, 0), QColor(255, 178, 205));
    p.fillRect(inset(size, w), Qt::black);
    // lace scallops along the inner edge
    const QRectF hole = inset(size, w);
    const double r = w * 0.16;
    p.setPen(Qt::NoPen);
    auto scallop = [&](QPointF c) {
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(c, r, r);
        p.setBrush(QColor(255, 205, 222));
        p.drawEllipse(c, r * 0.35, r * 0.35);
    };
    for (double x = hole.left(); x <= hole.right(); x += r * 1.6) {
        scallop({ x, hole.top() });
        scallop({ x, hole.bottom() });
    }
    for (double y = hole.top(); y <= hole.bottom(); y += r * 1.6) {
        scallop({ hole.left(), y });
        scallop({ hole.right(), y });
    }
    p.fillRect(hole.adjusted(r * 0.3, r * 0.3, -r * 0.3, -r * 0.3), Qt::black);
    // small hearts along the outer band
    Rng rng(24);
    for (double t = 0; t < 1; t += 0.045) {
        const QPointF pts[2] = { { size.width() * t + 30, w * 0.45 },
            { size.width() * (1 - t) - 30, size.height() - w * 0.45 } };
        for (QPointF pt : pts) {
            p.setBrush(QColor(255, int(rng.range(30, 80)), int(rng.range(70, 110))));
            p.drawPath(heartPath(pt, w * 0.38));
        }
    }
    for (double t = 0.08; t < 0.95; t += 0.07) {
        const QPointF pts[2]
            = { { w * 0.45, size.height() * t }, { size.width() - w * 0.45, size.height() * t } };
        for (QPointF pt : pts) {
            p.setBrush(QColor(255, 55, 95));
            p.drawPath(heartPath(pt, w * 0.38));
        }
    }
    return img;
}

QImage bubbles(QSize size)
{
    QImage img = canvas(size);
    QPainter p(&img);
    antialias(p);
    const double band = std::min(size.width(), size.height()) * 0.15;
    Rng rng(36);
    p.setPen(Qt::NoPen);
    for (QPointF pt : bandPoints(size, band, 150, 37)) {
        const double r = rng.range(18, 80);
        QRadialGradient g(pt, r);
        g.setColorAt(0, QColor(0, 0, 0));
        g.setColorAt(0.7, QColor(60, 110, 150));
        g.setColorAt(0.93, QColor(225, 242, 255));
        g.setColorAt(1, QColor(120, 170, 220));
        p.setCompositionMode(QPainter::CompositionMode_Lighten);
        p.setBrush(g);
        p.drawEllipse(pt, r, r);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(pt + QPointF(-r * 0.4, -r * 0.4), r * 0.22, r * 0.15);
    }
    return img;
}

QImage polaroid(QSize size)
{
    QImage img = canvas(size);
    const double side = std::min(size.width(), size.height()) * 0.06;
    const double bottom = std::min(size.width(), size.height()) * 0.2;
    noiseFill(img, inset(size, 0), QColor(253, 250, 243), 4, 0.03, 32);
    QPainter p(&img);
    antialias(p);
    const QRectF hole(side, side, size.width() - 2 * side, size.height() - side - bottom);
    p.fillRect(hole, Qt::black);
    innerShadow(p, hole, 14, 110);
    QFont font("Z003", 1);
    font.setPixelSize(int(bottom * 0.42));
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(232, 62, 48));
    p.drawText(
        QRectF(0, size.height() - bottom, size.width(), bottom), Qt::AlignCenter, "summer days");
    return img;
}

QImage stitchedFelt(QSize size)
{
    QImage img = canvas(size);
    noiseFill(img, inset(size, 0), QColor(255, 150, 52), 22, 0.05, 34);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.1;
    const QRectF hole = inset(size, w);
    p.setPen(QPen(QColor(255, 255, 245), 6, Qt::DashLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(hole.adjusted(-w * 0.4, -w * 0.4, w * 0.4, w * 0.4), w * 0.8, w * 0.8);
    p.drawRoundedRect(inset(size, w * 0.25), w * 0.4, w * 0.4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(hole, w * 0.55, w * 0.55);
    p.setPen(QPen(QColor(120, 60, 20), 10));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(hole.adjusted(4, 4, -4, -4), w * 0.55, w * 0.55);
    return img;
}

QImage softWhiteEdge(QSize size)
{
    const double d = std::min(size.width(), size.height()) * 0.1;
    return softFrame(size, 1, d, d * 0.45, d * 0.6, QColor(255, 255, 255), 2);
}

QImage whiteVignette(QSize size)
{
    return softFrame(size, 0, 0.86, 1.02, 0, QColor(255, 255, 255), 41);
}

QImage roseVignette(QSize size)
{
    const double d = std::min(size.width(), size.height()) * 0.14;
    return softFrame(size, 1, d, d * 0.55, d * 0.8, QColor(255, 205, 212), 44);
}

QImage sepiaVignette(QSize size)
{
    const double d = std::min(size.width(), size.height()) * 0.12;
    return softFrame(size, 1, d, d, d * 1.2, QColor(255, 232, 190), 46);
}

QImage creamMat(QSize size)
{
    QImage img = canvas(size);
    noiseFill(img, inset(size, 0), QColor(255, 247, 228), 6, 0.04, 42);
    QPainter p(&img);
    antialias(p);
    const double w = std::min(size.width(), size.height()) * 0.14;
    p.setPen(QPen(QColor(250, 196, 92), 8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inset(size, w * 0.72), 24, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 250));
    p.drawRoundedRect(inset(size, w - 10), 30, 30);
    p.setBrush(Qt::black);
    p.drawRoundedRect(inset(size, w), 24, 24);
    return img;
}

// ---- "c" frames: colour key at the centre ----------------------------------------------------

QImage walnutMat(QSize size)
{
    QImage base = canvas(size, kKey);
    const double w = std::min(size.width(), size.height()) * 0.11;
    const double mat = w * 0.6;
    {
        QPainter p(&base);
        antialias(p);
        const QImage across = woodTexture(
            QSize(size.width(), int(w) + 1), QColor(130, 82, 48), QColor(62, 36, 20), true, 4);
        const QImage down = woodTexture(
            QSize(int(w) + 1, size.height()), QColor(130, 82, 48), QColor(62, 36, 20), false, 40);
        paintTexturedFrame(p, inset(size, 0), w, across, down, kWoodShading, 0.1);
    }
    noiseFill(base, inset(size, w), QColor(240, 232, 214), 5, 0.05, 9);
    QPainter p(&base);
    antialias(p);
    matBevel(p, inset(size, w + mat), 8, QColor(252, 248, 238), QColor(214, 204, 184));
    paintProfileFrame(
        p, inset(size, w), 8, { { 0, QColor(40, 24, 14) }, { 1, QColor(150, 130, 105) } }, 0);
    p.end();
    return keyedFrame(base, {}, rectPath(inset(size, w + mat)), QColor(200, 190, 170));
}

QImage filmStrip(QSize size)
{
    QImage base = canvas(size, QColor(22, 21, 24));
    const double edge = size.height() * 0.12;
    QPainter p(&base);
    antialias(p);
    // sprocket holes show the light table behind the film
    const double hw = edge * 0.26, hh = edge * 0.36;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(238, 236, 228));
    for (double x = hw; x < size.width() - hw; x += hw * 2.1) {
        p.drawRoundedRect(QRectF(x, edge * 0.3, hw, hh), 5, 5);
        p.drawRoundedRect(QRectF(x, size.height() - edge * 0.3 - hh, hw, hh), 5, 5);
    }
    QFont font("DejaVu Sans Mono", 1);
    font.setPixelSize(int(edge * 0.16));
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(232, 150, 40));
    p.drawText(QPointF(size.width() * 0.1, edge * 0.92), "BLX 400   12  \u25B8 12A");
    p.drawText(QPointF(size.width() * 0.62, edge * 0.92), "13  \u25B8 13A");
    p.drawText(QPointF(size.width() * 0.3, size.height() - edge * 0.08), "SAFETY FILM 400");
    p.end();
    const QRectF window(size.width() * 0.045, edge, size.width() * 0.91, size.height() - 2 * edge);
    return keyedFrame(base, {}, rectPath(window, 14), QColor(22, 21, 24));
}

QImage galleryBlack(QSize size)
{
    QImage base = canvas(size, QColor(246, 246, 242));
    const double w = std::min(size.width(), size.height()) * 0.05;
    const double mat = std::min(size.width(), size.height()) * 0.13;
    noiseFill(base, inset(size, w), QColor(247, 247, 243), 3, 0.05, 13);
    QPainter p(&base);
    antialias(p);
    paintProfileFrame(p, inset(size, 0), w,
        { { 0, QColor(60, 60, 64) }, { 0.3, QColor(18, 18, 20) }, { 0.8, QColor(32, 32, 36) },
            { 1, QColor(8, 8, 8) } },
        0.08);
    matBevel(p, inset(size, w + mat), 10, QColor(255, 255, 255), QColor(205, 205, 200));
    p.end();
    return keyedFrame(base, {}, rectPath(inset(size, w + mat)), QColor(190, 190, 185));
}

QImage mahoganyPortrait(QSize size)
{
    QImage base = canvas(size, kKey);
    const double w = std::min(size.width(), size.height()) * 0.1;
    QPainter p(&base);
    antialias(p);
    const QImage across = woodTexture(
        QSize(size.width(), int(w) + 1), QColor(160, 66, 38), QColor(82, 28, 16), true, 15, 0.7);
    const QImage down = woodTexture(
        QSize(int(w) + 1, size.height()), QColor(160, 66, 38), QColor(82, 28, 16), false, 51, 0.7);
    paintTexturedFrame(p, inset(size, 0), w, across, down, kWoodShading, 0.1);
    paintProfileFrame(p, inset(size, w), 16, kGold, 0.1);
    p.end();
    return keyedFrame(base, {}, rectPath(inset(size, w + 16)), QColor(120, 80, 30));
}

QImage christmasGarland(QSize size)
{
    QImage base = canvas(size);
    const double w = std::min(size.width(), size.height()) * 0.13;
    noiseFill(base, inset(size, 0), QColor(140, 18, 28), 14, 0.03, 22);
    QImage deco = transparentLayer(size);
    QPainter p(&deco);
    antialias(p);
    Rng rng(222);
    // fir needles along the inner edge of the border, reaching a little into the hole
    const QRectF line = inset(size, w);
    const double perimeter = 2 * (line.width() + line.height());
    for (int i = 0; i < 5200; ++i) {
        double t = rng.range(0, perimeter);
        QPointF c;
        if (t < line.width())
            c = { line.left() + t, line.top() };
        else if ((t -= line.width()) < line.height())
            c = { line.right(), line.top() + t };
        else if ((t -= line.height()) < line.width())
            c = { line.right() - t, line.bottom() };
        else
            c = { line.left(), line.bottom() - (t - line.width()) };
        const double a = rng.range(0, 2 * M_PI), len = rng.range(14, 34);
        c += QPointF(rng.range(-w * 0.3, w * 0.3), rng.range(-w * 0.3, w * 0.3));
        const int g = int(rng.range(70, 140));
        p.setPen(QPen(QColor(int(g * 0.25), g, int(g * 0.45)), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, c + QPointF(std::cos(a) * len, std::sin(a) * len));
    }
    // baubles
    const QColor bauble[3] = { QColor(210, 20, 30), QColor(235, 185, 60), QColor(210, 215, 225) };
    for (int i = 0; i < 26; ++i) {
        const double t = (i + 0.5) / 26 * perimeter;
        double u = t;
        QPointF c;
        if (u < line.width())
            c = { line.left() + u, line.top() };
        else if ((u -= line.width()) < line.height())
            c = { line.right(), line.top() + u };
        else if ((u -= line.height()) < line.width())
            c = { line.right() - u, line.bottom() };
        else
            c = { line.left(), line.bottom() - (u - line.width()) };
        const double r = rng.range(16, 26);
        QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.4);
        const QColor col = bauble[i % 3];
        g.setColorAt(0, col.lighter(170));
        g.setColorAt(0.5, col);
        g.setColorAt(1, col.darker(200));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
    // a bow at the top
    const QPointF top(size.width() / 2.0, w * 0.85);
    p.setPen(QPen(QColor(120, 10, 15), 3));
    p.setBrush(QColor(230, 30, 40));
    for (int s = -1; s <= 1; s += 2) {
        QPainterPath loop;
        loop.moveTo(top);
        loop.cubicTo(
            top + QPointF(s * w * 0.9, -w * 0.7), top + QPointF(s * w * 1.2, w * 0.4), top);
        p.drawPath(loop);
        QPainterPath tail;
        tail.moveTo(top);
        tail.lineTo(top + QPointF(s * w * 0.5, w * 0.9));
        tail.lineTo(top + QPointF(s * w * 0.25, w * 0.85));
        tail.closeSubpath();
        p.drawPath(tail);
    }
    p.drawEllipse(top, w * 0.13, w * 0.13);
    p.end();
    return keyedFrame(base, deco, rectPath(inset(size, w), 20), QColor(20, 60, 30));
}

QImage birthdayBalloons(QSize size)
{
    QImage base = canvas(size);
    const double w = std::min(size.width(), size.height()) * 0.12;
    noiseFill(base, inset(size, 0), QColor(172, 216, 246), 6, 0.03, 25);
    {
        QPainter p(&base);
        antialias(p);
        Rng rng(250);
        const QColor confetti[5] = { QColor(255, 90, 120), QColor(255, 210, 60),
            QColor(90, 200, 120), QColor(150, 110, 230), QColor(255, 255, 255) };
        p.setPen(Qt::NoPen);
        for (QPointF pt : bandPoints(size, w, 500, 251)) {
            p.setBrush(confetti[rng.next() % 5]);
            p.save();
            p.translate(pt);
            p.rotate(rng.range(0, 180));
            p.drawRect(QRectF(-6, -3, 12, 6));
            p.restore();
        }
    }
    QImage deco = transparentLayer(size);
    QPainter p(&deco);
    antialias(p);
    auto balloon = [&](QPointF c, double r, QColor col) {
        p.setPen(QPen(QColor(90, 90, 90), 2));
        QPainterPath string;
        string.moveTo(c + QPointF(0, r * 1.2));
        string.cubicTo(
            c + QPointF(-r * 0.3, r * 1.8), c + QPointF(r * 0.3, r * 2.2), c + QPointF(0, r * 2.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(string);
        QRadialGradient g(c - QPointF(r * 0.35, r * 0.45), r * 1.5);
        g.setColorAt(0, col.lighter(160));
        g.setColorAt(0.45, col);
        g.setColorAt(1, col.darker(160));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r * 0.9, r * 1.15);
        QPolygonF knot({ c + QPointF(0, r * 1.1), c + QPointF(-r * 0.12, r * 1.28),
            c + QPointF(r * 0.12, r * 1.28) });
        p.setBrush(col.darker(130));
        p.drawPolygon(knot);
    };
    balloon({ w * 0.9, w * 1.1 }, w * 0.7, QColor(230, 40, 60));
    balloon({ w * 1.7, w * 0.8 }, w * 0.55, QColor(250, 190, 30));
    balloon({ size.width() - w * 0.9, w * 1.0 }, w * 0.7, QColor(60, 120, 230));
    balloon({ size.width() - w * 1.75, w * 0.75 }, w * 0.5, QColor(120, 200, 90));
    QFont font("DejaVu Sans", 1);
    font.setPixelSize(int(w * 0.55));
    font.setBold(true);
    QPainterPath text;
    const QString label = "Happy Birthday!";
    const double tw = QFontMetricsF(font).horizontalAdvance(label);
    text.addText(QPointF((size.width() - tw) / 2, size.height() - w * 0.3), font, label);
    p.setPen(QPen(QColor(255, 255, 255), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(text);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 50, 110));
    p.drawPath(text);
    p.end();
    return keyedFrame(base, deco, rectPath(inset(size, w), w * 0.4), QColor(60, 80, 110));
}

QImage tornPaper(QSize size)
{
    QImage base = canvas(size);
    const double w = std::min(size.width(), size.height()) * 0.12;
    noiseFill(base, inset(size, 0), QColor(246, 244, 238), 14, 0.006, 31);
    const QPainterPath hole = tornRectPath(inset(size, w), 14, 311);
    QImage deco = transparentLayer(size);
    QPainter p(&deco);
    antialias(p);
    // fibres of the torn edge: a bright, uneven rim and a faint grey shadow inside it
    p.setPen(QPen(QColor(255, 255, 255), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hole);
    p.setPen(QPen(QColor(196, 192, 184), 2.5));
    p.drawPath(hole);
    p.end();
    return keyedFrame(base, deco, hole, QColor(235, 233, 226));
}

QImage comicBurst(QSize size)
{
    QImage base = canvas(size, QColor(255, 222, 0));
    const double w = std::min(size.width(), size.height()) * 0.1;
    {
        QPainter p(&base);
        antialias(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 70, 50));
        for (double y = 8; y < size.height(); y += 22)
            for (double x = (int(y / 22) % 2) * 11 + 8; x < size.width(); x += 22)
                p.drawEllipse(QPointF(x, y), 5, 5);
    }
    QImage deco = transparentLayer(size);
    QPainter p(&deco);
    antialias(p);
    p.setPen(QPen(Qt::black, 14, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inset(size, w), 12, 12);
    p.drawRect(inset(size, 7));
    const QPointF c(w * 2.0, w * 1.7);
    p.setPen(QPen(Qt::black, 8, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(starPath(c, w * 1.6, w * 1.0, 14, -80));
    p.setBrush(QColor(235, 30, 40));
    p.drawPath(starPath(c, w * 1.25, w * 0.8, 14, -70));
    QFont font("DejaVu Sans", 1);
    font.setPixelSize(int(w * 0.7));
    font.setBold(true);
    QPainterPath text;
    const double tw = QFontMetricsF(font).horizontalAdvance("POW!");
    text.addText(QPointF(c.x() - tw / 2, c.y() + w * 0.25), font, "POW!");
    p.setPen(QPen(Qt::black, 6));
    p.setBrush(QColor(255, 230, 0));
    p.drawPath(text);
    p.end();
    return keyedFrame(base, deco, rectPath(inset(size, w), 12), QColor(0, 0, 0));
}

QImage chalkboard(QSize size)
{
    QImage base = canvas(size);
    const double wood = std::min(size.width(), size.height()) * 0.045;
    const double w = std::min(size.width(), size.height()) * 0.15;
    noiseFill(base, inset(size, 0), QColor(44, 66, 54), 9, 0.02, 35);
    {
        QPainter p(&base);
        antialias(p);
        const QImage across = woodTexture(QSize(size.width(), int(wood) + 1), QColor(222, 176, 120),
            QColor(176, 124, 72), true, 3);
        const QImage down = woodTexture(QSize(int(wood) + 1, size.height()), QColor(222, 176, 120),
            QColor(176, 124, 72), false, 30);
        paintTexturedFrame(p, inset(size, 0), wood, across, down, kWoodShading, 0.1);
    }
    QImage deco = transparentLayer(size);
    QPainter p(&deco);
    antialias(p);
    Rng rng(350);
    const QColor chalk(245, 245, 240, 215);
    p.setPen(QPen(chalk, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (QPointF pt : bandPoints(size, w * 0.6, 18, 351)) {
        pt += QPointF(0, 0);
        const QRectF safe = inset(size, wood + 30);
        if (!safe.contains(pt))
            continue;
        const double r = rng.range(14, 26);
        if (rng.next() % 2)
            p.drawPath(starPath(pt, r, r * 0.45, 5));
        else
            p.drawPath(heartPath(pt, r * 1.8));
    }
    QFont font("DejaVu Sans", 1);
    font.setPixelSize(int(w * 0.45));
    font.setBold(true);
    p.setFont(font);
    p.setPen(chalk);
    p.drawText(QRectF(0, size.height() - w, size.width(), w - wood), Qt::AlignCenter, "Hello!");
    p.drawText(QRectF(wood + 20, wood, w * 2.5, w - wood), Qt::AlignCenter, "A B C");
    p.setPen(QPen(chalk, 3, Qt::DashLine));
    p.drawRect(inset(size, w - 14));
    p.end();
    return keyedFrame(base, deco, rectPath(inset(size, w)), QColor(44, 66, 54));
}

QImage navyDoubleMat(QSize size)
{
    QImage base = canvas(size);
    const double w = std::min(size.width(), size.height()) * 0.15;
    noiseFill(base, inset(size, 0), QColor(28, 42, 86), 7, 0.04, 43);
    noiseFill(base, inset(size, w - 22), QColor(250, 249, 244), 3, 0.04, 44);
    QPainter p(&base);
    antialias(p);
    matBevel(p, inset(size, w - 22), 7, QColor(70, 90, 140), QColor(14, 22, 48));
    matBevel(p, inset(size, w), 8, QColor(255, 255, 255), QColor(210, 208, 200));
    p.end();
    return keyedFrame(base, {}, rectPath(inset(size, w)), QColor(200, 200, 195));
}

QImage sageOval(QSize size)
{
    QImage base = canvas(size);
    const double w = std::min(size.width(), size.height()) * 0.045;
    noiseFill(base, inset(size, 0), QColor(152, 172, 140), 8, 0.03, 45);
    QPainter p(&base);
    antialias(p);
    paintProfileFrame(p, inset(size, 0), w, kGold, 0.1);
    const QRectF oval = inset(size, w + std::min(size.width(), size.height()) * 0.1);
    QLinearGradient ring(oval.topLeft(), oval.bottomRight());
    ring.setColorAt(0, QColor(120, 140, 110));
    ring.setColorAt(1, QColor(252, 250, 240));
    p.setPen(QPen(QBrush(ring), 16));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(oval.adjusted(-8, -8, 8, 8));
    p.end();
    QPainterPath hole;
    hole.addEllipse(oval);
    return keyedFrame(base, {}, hole, QColor(200, 200, 190));
}

} // namespace

QStringList FrameCategories()
{
    return { "free", "my favorite", "classic", "holiday", "fun", "mats" };
}

std::vector<FrameDesign> FrameDesigns()
{
    const QSize land(1600, 1200), port(1200, 1600);
    using R = FrameRule;
    return {
        { "free", "a001.png", "gold beads", land, R::AlphaFromRed, goldClassic },
        { "free", "a002.png", "soft white edge", land, R::AlphaFromRed, softWhiteEdge },
        { "free", "b003.png", "silver", land, R::Inverted, silverClassic },
        { "free", "c004.png", "walnut and mat", land, R::ColourKey, walnutMat },
        { "free", "a005.png", "hearts", land, R::AlphaFromRed, hearts },
        { "free", "c006.png", "film strip", land, R::ColourKey, filmStrip },
        { "free", "a007.png", "gold and mat, portrait", port, R::AlphaFromRed, goldWithMat },

        { "classic", "a011.png", "ornate gold", land, R::AlphaFromRed, ornateGold },
        { "classic", "b012.png", "pewter oval, portrait", port, R::Inverted, pewterOval },
        { "classic", "c013.png", "gallery black", land, R::ColourKey, galleryBlack },
        { "classic", "a014.png", "light oak", land, R::AlphaFromRed, lightOak },
        { "classic", "c015.png", "mahogany, portrait", port, R::ColourKey, mahoganyPortrait },
        { "classic", "b016.png", "brushed silver", land, R::Inverted, silverThin },
        { "classic", "a017.png", "gold and mat", land, R::AlphaFromRed, goldWithMat },

        { "holiday", "a021.png", "snowflakes", land, R::AlphaFromRed, snowflakes },
        { "holiday", "c022.png", "garland", land, R::ColourKey, christmasGarland },
        { "holiday", "a023.png", "new year stars", land, R::AlphaFromRed, goldStars },
        { "holiday", "b024.png", "valentine lace", land, R::Inverted, valentine },
        { "holiday", "c025.png", "birthday balloons", land, R::ColourKey, birthdayBalloons },
        { "holiday", "a026.png", "autumn leaves", land, R::AlphaFromRed, autumnLeaves },

        { "fun", "c031.png", "torn paper", land, R::ColourKey, tornPaper },
        { "fun", "a032.png", "instant photo", land, R::AlphaFromRed, polaroid },
        { "fun", "c033.png", "comic", land, R::ColourKey, comicBurst },
        { "fun", "a034.png", "stitched felt", land, R::AlphaFromRed, stitchedFelt },
        { "fun", "c035.png", "chalkboard", land, R::ColourKey, chalkboard },
        { "fun", "b036.png", "bubbles", land, R::Inverted, bubbles },

        { "mats", "a041.png", "white oval vignette", land, R::AlphaFromRed, whiteVignette },
        { "mats", "b042.png", "cream mat", land, R::Inverted, creamMat },
        { "mats", "c043.png", "navy double mat", land, R::ColourKey, navyDoubleMat },
        { "mats", "a044.png", "rose vignette, portrait", port, R::AlphaFromRed, roseVignette },
        { "mats", "c045.png", "sage oval, portrait", port, R::ColourKey, sageOval },
        { "mats", "b046.png", "sepia vignette", land, R::Inverted, sepiaVignette },
    };
}

} // namespace borderlux::tools
