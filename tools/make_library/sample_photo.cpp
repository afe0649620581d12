// The bundled sample photo: a summer lake landscape, painted so that frames have something
// pleasant to sit on and tests have a real-sized JPEG to open.

#include "tools/make_library/designs.h"
#include "tools/make_library/draw_kit.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace borderlux::tools {

namespace {

QPainterPath ridge(
    double w, double baseY, double amplitude, double bottom, uint32_t seed, double scale)
{
    QPainterPath path;
    path.moveTo(0, bottom);
    for (int x = 0; x <= int(w); x += 4)
        path.lineTo(x, baseY + amplitude * fractalNoise(x * scale, 0.5, seed, 4));
    path.lineTo(w, bottom);
    path.closeSubpath();
    return path;
}

void pine(QPainter& p, QPointF foot, double height, QColor color)
{
    p.setBrush(QColor(70, 45, 25));
    p.drawRect(
        QRectF(foot.x() - height * 0.03, foot.y() - height * 0.15, height * 0.06, height * 0.15));
    p.setBrush(color);
    for (int i = 0; i < 4; ++i) {
        const double top = foot.y() - height * (1.0 - i * 0.18);
        const double bottom = foot.y() - height * (0.45 - i * 0.1);
        const double half = height * (0.14 + i * 0.05);
        p.drawPolygon(QPolygonF({ QPointF(foot.x(), top), QPointF(foot.x() + half, bottom),
            QPointF(foot.x() - half, bottom) }));
    }
}

} // namespace

QImage DrawSamplePhoto(QSize size)
{
    const double w = size.width(), h = size.height();
    const double horizon = h * 0.58;
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(70, 130, 205));
    sky.setColorAt(0.6, QColor(150, 195, 235));
    sky.setColorAt(1, QColor(250, 220, 180));
    p.fillRect(QRectF(0, 0, w, horizon + 2), sky);

    const QPointF sunAt(w * 0.7, h * 0.25);
    QRadialGradient glow(sunAt, h * 0.3);
    glow.setColorAt(0, QColor(255, 250, 220, 220));
    glow.setColorAt(0.25, QColor(255, 235, 170, 90));
    glow.setColorAt(1, QColor(255, 235, 170, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sunAt, h * 0.3, h * 0.3);
    p.setBrush(QColor(255, 248, 215));
    p.drawEllipse(sunAt, h * 0.055, h * 0.055);

    // soft clouds
    Rng rng(7);
    for (int i = 0; i < 5; ++i) {
        const QPointF c(rng.range(0, w), rng.range(h * 0.06, h * 0.3));
        for (int k = 0; k < 6; ++k) {
            const QPointF at
                = c + QPointF(rng.range(-w * 0.06, w * 0.06), rng.range(-h * 0.015, h * 0.015));
            const double r = rng.range(h * 0.025, h * 0.05);
            QRadialGradient puff(at, r);
            puff.setColorAt(0, QColor(255, 255, 255, 170));
            puff.setColorAt(1, QColor(255, 255, 255, 0));
            p.setBrush(puff);
            p.drawEllipse(at, r * 1.6, r);
        }
    }

    // far mountains, then nearer hills
    p.setBrush(QColor(120, 140, 175));
    p.drawPath(ridge(w, horizon - h * 0.14, h * 0.09, horizon + 1, 11, 0.0025));
    p.setBrush(QColor(85, 125, 105));
    p.drawPath(ridge(w, horizon - h * 0.05, h * 0.05, horizon + 1, 12, 0.004));

    // the lake mirrors the sky, darker, with a glitter path under the sun
    QLinearGradient lake(0, horizon, 0, h);
    lake.setColorAt(0, QColor(150, 180, 210));
    lake.setColorAt(1, QColor(40, 80, 120));
    p.fillRect(QRectF(0, horizon, w, h - horizon), lake);
    for (int i = 0; i < 400; ++i) {
        const double y = horizon + std::pow(rng.range(0, 1), 1.6) * h * 0.3;
        const double spread = (y - horizon) * 0.5 + 10;
        const double x = sunAt.x() + rng.range(-spread, spread);
        p.setBrush(QColor(255, 245, 210, int(rng.range(60, 200))));
        p.drawEllipse(QPointF(x, y), rng.range(4, 16), 1.5);
    }

    // the near shore with meadow and trees
    QLinearGradient meadow(0, h * 0.75, 0, h);
    meadow.setColorAt(0, QColor(110, 165, 70));
    meadow.setColorAt(1, QColor(60, 115, 40));
    p.setBrush(meadow);
    QPainterPath shore;
    shore.moveTo(0, h * 0.8);
    shore.cubicTo(w * 0.25, h * 0.74, w * 0.45, h * 0.86, w * 0.7, h * 0.88);
    shore.cubicTo(w * 0.85, h * 0.9, w * 0.95, h * 0.86, w, h * 0.87);
    shore.lineTo(w, h);
    shore.lineTo(0, h);
    shore.closeSubpath();
    p.drawPath(shore);
    for (int i = 0; i < 9; ++i) {
        const double x = w * (0.02 + i * 0.045) + rng.range(-10, 10);
        const double foot = h * 0.81 - (x / w) * h * 0.03 + rng.range(0, h * 0.02);
        pine(p, { x, foot }, h * rng.range(0.2, 0.32), QColor(30, int(rng.range(80, 110)), 45));
    }
    // a few flowers in the grass
    for (int i = 0; i < 120; ++i) {
        const double x = rng.range(0, w);
        const double y = rng.range(h * 0.9, h);
        p.setBrush(i % 3 ? QColor(255, 240, 120) : QColor(250, 250, 250));
        p.drawEllipse(QPointF(x, y), 3, 3);
    }
    return img;
}

} // namespace borderlux::tools
