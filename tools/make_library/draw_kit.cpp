#include "tools/make_library/draw_kit.h"

#include <QPainter>

#include <cmath>

namespace borderlux::tools {

namespace {

double hash2(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / double(0x7fffff) - 1.0;
}

double smooth(double t)
{
    return t * t * (3 - 2 * t);
}

QColor shade(QColor c, double amount)
{
    // amount > 0 brightens towards white, < 0 darkens towards black.
    auto mix = [amount](int v) {
        return amount >= 0 ? int(v + (255 - v) * amount + 0.5) : int(v * (1 + amount) + 0.5);
    };
    return QColor(mix(c.red()), mix(c.green()), mix(c.blue()), c.alpha());
}

QLinearGradient acrossSide(const QRectF& outer, double width, int side)
{
    switch (side) {
    case 0:
        return QLinearGradient(0, outer.top(), 0, outer.top() + width);
    case 1:
        return QLinearGradient(outer.right(), 0, outer.right() - width, 0);
    case 2:
        return QLinearGradient(0, outer.bottom(), 0, outer.bottom() - width);
    default:
        return QLinearGradient(outer.left(), 0, outer.left() + width, 0);
    }
}

const double kSideLight[4] = { 1.0, -0.6, -1.0, 0.6 };

} // namespace

double valueNoise(double x, double y, uint32_t seed)
{
    const int ix = int(std::floor(x));
    const int iy = int(std::floor(y));
    const double fx = smooth(x - ix);
    const double fy = smooth(y - iy);
    const double a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    const double c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double fractalNoise(double x, double y, uint32_t seed, int octaves)
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(x, y, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= 0.5;
        x *= 2.03;
        y *= 2.03;
    }
    return sum / norm;
}

NoiseField::NoiseField(QSize size, double scale, uint32_t seed, int octaves, int step)
    : m_step(step)
    , m_columns(size.width() / step + 2)
{
    const int rows = size.height() / step + 2;
    m_grid.resize(size_t(m_columns) * rows);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < m_columns; ++i)
            m_grid[size_t(j) * m_columns + i]
                = float(fractalNoise(i * step * scale, j * step * scale, seed, octaves));
}

double NoiseField::at(int x, int y) const
{
    const int i = x / m_step, j = y / m_step;
    const double fx = double(x % m_step) / m_step, fy = double(y % m_step) / m_step;
    const float* r0 = &m_grid[size_t(j) * m_columns + i];
    const float* r1 = r0 + m_columns;
    return (r0[0] + (r0[1] - r0[0]) * fx) * (1 - fy) + (r1[0] + (r1[1] - r1[0]) * fx) * fy;
}

std::array<QPolygonF, 4> mitredSides(const QRectF& o, double w)
{
    const QRectF i = o.adjusted(w, w, -w, -w);
    return {
        QPolygonF({ o.topLeft(), o.topRight(), i.topRight(), i.topLeft() }),
        QPolygonF({ o.topRight(), o.bottomRight(), i.bottomRight(), i.topRight() }),
        QPolygonF({ o.bottomRight(), o.bottomLeft(), i.bottomLeft(), i.bottomRight() }),
        QPolygonF({ o.bottomLeft(), o.topLeft(), i.topLeft(), i.bottomLeft() }),
    };
}

QImage woodTexture(
    QSize size, QColor light, QColor dark, bool alongX, uint32_t seed, double ringScale)
{
    QImage img(size, QImage::Format_RGB32);
    const int w = size.width(), h = size.height();
    for (int y = 0; y < h; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            // t runs along the grain, u across it.
            const double t = alongX ? x : y;
            const double u = alongX ? y : x;
            const double warp = 9.0 * fractalNoise(t * 0.004, u * 0.02, seed, 3);
            const double rings = std::sin((u + warp) * 0.35 / ringScale);
            const double fibre = fractalNoise(t * 0.05, u * 0.9, seed + 7, 2);
            double k = 0.5 + 0.32 * rings + 0.18 * fibre;
            k = std::clamp(k, 0.0, 1.0);
            row[x] = qRgb(int(dark.red() + (light.red() - dark.red()) * k),
                int(dark.green() + (light.green() - dark.green()) * k),
                int(dark.blue() + (light.blue() - dark.blue()) * k));
        }
    }
    return img;
}

void paintProfileFrame(QPainter& p, const QRectF& outer, double width,
    const std::vector<ProfileStop>& profile, double light)
{
    const auto sides = mitredSides(outer, width);
    p.save();
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 4; ++s) {
        QLinearGradient g = acrossSide(outer, width, s);
        for (const ProfileStop& stop : profile)
            g.setColorAt(stop.at, shade(stop.color, light * kSideLight[s]));
        p.setBrush(g);
        p.drawPolygon(sides[s]);
    }
    p.restore();
}

void paintTexturedFrame(QPainter& p, const QRectF& outer, double width, const QImage& alongX,
    const QImage& alongY, const std::vector<ProfileStop>& shading, double light)
{
    const auto sides = mitredSides(outer, width);
    p.save();
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 4; ++s) {
        p.setBrush(QBrush(s % 2 == 0 ? alongX : alongY));
        p.drawPolygon(sides[s]);
        QLinearGradient g = acrossSide(outer, width, s);
        for (const ProfileStop& stop : shading)
            g.setColorAt(stop.at, stop.color);
        p.setBrush(g);
        p.drawPolygon(sides[s]);
        const double l = light * kSideLight[s];
        p.setBrush(l >= 0 ? QColor(255, 255, 255, int(255 * l)) : QColor(0, 0, 0, int(-255 * l)));
        p.drawPolygon(sides[s]);
    }
    p.restore();
}

QPainterPath heartPath(QPointF c, double size)
{
    const double s = size / 2;
    QPainterPath path;
    path.moveTo(c.x(), c.y() + s * 0.95);
    path.cubicTo(c.x() - s * 1.25, c.y() + s * 0.1, c.x() - s * 0.85, c.y() - s * 0.95, c.x(),
        c.y() - s * 0.45);
    path.cubicTo(c.x() + s * 0.85, c.y() - s * 0.95, c.x() + s * 1.25, c.y() + s * 0.1, c.x(),
        c.y() + s * 0.95);
    path.closeSubpath();
    return path;
}

QPainterPath starPath(
    QPointF c, double outerRadius, double innerRadius, int points, double rotationDegrees)
{
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const double r = i % 2 == 0 ? outerRadius : innerRadius;
        const double a = (rotationDegrees + i * 180.0 / points) * M_PI / 180.0;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

void paintSnowflake(QPainter& p, QPointF c, double r, QColor color)
{
    p.save();
    p.translate(c);
    QPen pen(color, r / 10, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    for (int arm = 0; arm < 6; ++arm) {
        p.drawLine(QPointF(0, 0), QPointF(0, -r));
        p.drawLine(QPointF(0, -r * 0.55), QPointF(-r * 0.25, -r * 0.78));
        p.drawLine(QPointF(0, -r * 0.55), QPointF(r * 0.25, -r * 0.78));
        p.drawLine(QPointF(0, -r * 0.3), QPointF(-r * 0.17, -r * 0.45));
        p.drawLine(QPointF(0, -r * 0.3), QPointF(r * 0.17, -r * 0.45));
        p.rotate(60);
    }
    p.restore();
}

void paintFlower(QPainter& p, QPointF c, double r, QColor petal, QColor centre)
{
    p.save();
    p.translate(c);
    p.setPen(QPen(petal.darker(130), r / 30));
    p.setBrush(petal);
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(0, -r * 0.52), r * 0.34, r * 0.48);
        p.rotate(72);
    }
    QRadialGradient g(QPointF(-r * 0.08, -r * 0.08), r * 0.3);
    g.setColorAt(0, centre.lighter(140));
    g.setColorAt(1, centre);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(0, 0), r * 0.26, r * 0.26);
    p.restore();
}

void invertColors(QImage& image)
{
    image.invertPixels(QImage::InvertRgb);
}

void punchKeyHole(QImage& image, const QPainterPath& path, QColor key)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setPen(Qt::NoPen);
    p.setBrush(key);
    p.drawPath(path);
}

QPainterPath tornRectPath(const QRectF& rect, double roughness, uint32_t seed)
{
    Rng rng(seed);
    QPolygonF poly;
    auto edge = [&](QPointF a, QPointF b, QPointF inward) {
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        const int steps = std::max(2, int(length / 9));
        double drift = 0;
        for (int i = 0; i < steps; ++i) {
            const double t = double(i) / steps;
            drift = 0.7 * drift + rng.range(-1, 1) * roughness * 0.5;
            const double jag = rng.range(-0.5, 0.5) * roughness + drift;
            poly << QPointF(a.x() + (b.x() - a.x()) * t + inward.x() * jag,
                a.y() + (b.y() - a.y()) * t + inward.y() * jag);
        }
    };
    edge(rect.topLeft(), rect.topRight(), { 0, 1 });
    edge(rect.topRight(), rect.bottomRight(), { -1, 0 });
    edge(rect.bottomRight(), rect.bottomLeft(), { 0, -1 });
    edge(rect.bottomLeft(), rect.topLeft(), { 1, 0 });
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

} // namespace borderlux::tools
