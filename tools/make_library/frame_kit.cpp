#include "tools/make_library/frame_kit.h"

#include <algorithm>
#include <cmath>

namespace borderlux::tools {

const QColor kKey(255, 0, 255);

QImage canvas(QSize size, QColor fill)
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

const std::vector<ProfileStop> kLightWoodShading = {
    { 0.00, QColor(255, 255, 255, 80) },
    { 0.18, QColor(255, 255, 255, 0) },
    { 0.85, QColor(0, 0, 0, 0) },
    { 1.00, QColor(0, 0, 0, 22) },
};

void innerShadow(QPainter& p, const QRectF& hole, double width, int strength)
{
    paintProfileFrame(p, hole, width,
        { { 0, QColor(strength, strength * 2 / 3, strength / 3) }, { 1, QColor(0, 0, 0) } }, 0);
}

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

QPainterPath rectPath(const QRectF& r, double radius)
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

} // namespace borderlux::tools
