#pragma once

// Drawing helpers shared by the frame, stamp and sample-photo painters of bl_make_library.
// Everything is deterministic: the same tool draws the same pixels on every run.

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>

#include <array>
#include <cstdint>
#include <vector>

namespace borderlux::tools {

/// A small deterministic random generator (xorshift), independent of the standard library's
/// distributions so every platform draws the same library.
class Rng {
public:
    explicit Rng(uint32_t seed)
        : m_state(seed * 2654435761u + 1u)
    {
    }
    uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    /// Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * (next() / 4294967296.0); }

private:
    uint32_t m_state;
};

/// Smooth value noise in about [-1, 1], period free, for grain and paper fibres.
double valueNoise(double x, double y, uint32_t seed);

/// Two to four octaves of value noise, about [-1, 1].
double fractalNoise(double x, double y, uint32_t seed, int octaves = 3);

/// fractalNoise(x * scale, y * scale) sampled on a grid of step pixels and interpolated
/// between, for smooth noise over whole pictures at a fraction of the cost.
class NoiseField {
public:
    NoiseField(QSize size, double scale, uint32_t seed, int octaves = 3, int step = 4);
    double at(int x, int y) const;

private:
    int m_step;
    int m_columns;
    std::vector<float> m_grid;
};

/// The four mitred sides of a frame moulding of the given width inside outer: top, right,
/// bottom, left.
std::array<QPolygonF, 4> mitredSides(const QRectF& outer, double width);

/// A wood texture of the given size; grain runs along x when alongX, else along y.
QImage woodTexture(
    QSize size, QColor light, QColor dark, bool alongX, uint32_t seed, double ringScale = 1.0);

/// A moulding profile: colours across the moulding from its outer edge (0) to its inner (1).
struct ProfileStop {
    double at;
    QColor color;
};

/// Paints a mitred moulding inside outer, each side filled with a gradient of the profile
/// across its width. light is added to the top and left sides and taken from the bottom and
/// right ones (0..1) so the frame looks lit from the top left.
void paintProfileFrame(QPainter& p, const QRectF& outer, double width,
    const std::vector<ProfileStop>& profile, double light = 0.06);

/// Paints a mitred moulding from two textures (grain along the side) with a shading profile
/// of translucent colours on top.
void paintTexturedFrame(QPainter& p, const QRectF& outer, double width, const QImage& alongX,
    const QImage& alongY, const std::vector<ProfileStop>& shading, double light = 0.12);

/// A heart with its centre at c, about size wide.
QPainterPath heartPath(QPointF c, double size);

/// A star with the given number of points.
QPainterPath starPath(
    QPointF c, double outerRadius, double innerRadius, int points, double rotationDegrees = -90);

/// A six-armed snowflake of radius r drawn with lines of width r / 10.
void paintSnowflake(QPainter& p, QPointF c, double r, QColor color);

/// A five-petal flower.
void paintFlower(QPainter& p, QPointF c, double r, QColor petal, QColor centre);

/// Replaces every pixel's colour by its complement (255 - value), alpha untouched.
void invertColors(QImage& image);

/// Fills the inside of path with exactly the colour key, without antialiasing, so that the
/// hole of a colour-key frame holds only the key colour.
void punchKeyHole(QImage& image, const QPainterPath& path, QColor key);

/// A path of a rectangle whose edges are torn irregularly (for torn paper).
QPainterPath tornRectPath(const QRectF& rect, double roughness, uint32_t seed);

} // namespace borderlux::tools
