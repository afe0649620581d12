// The "a" and "b" frames: drawn as they are seen, red channel = opacity, hole black.

#include "tools/make_library/frame_kit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace borderlux::tools {

namespace {

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

} // namespace

std::vector<FrameDesign> OpacityFrameDesigns()
{
    const QSize land(1600, 1200), port(1200, 1600);
    using R = FrameRule;
    return {
        { "free", "a001.png", "gold beads", land, R::AlphaFromRed, goldClassic },
        { "free", "a002.png", "soft white edge", land, R::AlphaFromRed, softWhiteEdge },
        { "free", "b003.png", "silver", land, R::Inverted, silverClassic },
        { "free", "a005.png", "hearts", land, R::AlphaFromRed, hearts },
        { "free", "a007.png", "gold and mat, portrait", port, R::AlphaFromRed, goldWithMat },
        { "classic", "a011.png", "ornate gold", land, R::AlphaFromRed, ornateGold },
        { "classic", "b012.png", "pewter oval, portrait", port, R::Inverted, pewterOval },
        { "classic", "a014.png", "light oak", land, R::AlphaFromRed, lightOak },
        { "classic", "b016.png", "brushed silver", land, R::Inverted, silverThin },
        { "classic", "a017.png", "gold and mat", land, R::AlphaFromRed, goldWithMat },
        { "holiday", "a021.png", "snowflakes", land, R::AlphaFromRed, snowflakes },
        { "holiday", "a023.png", "new year stars", land, R::AlphaFromRed, goldStars },
        { "holiday", "b024.png", "valentine lace", land, R::Inverted, valentine },
        { "holiday", "a026.png", "autumn leaves", land, R::AlphaFromRed, autumnLeaves },
        { "fun", "a032.png", "instant photo", land, R::AlphaFromRed, polaroid },
        { "fun", "a034.png", "stitched felt", land, R::AlphaFromRed, stitchedFelt },
        { "fun", "b036.png", "bubbles", land, R::Inverted, bubbles },
        { "mats", "a041.png", "white oval vignette", land, R::AlphaFromRed, whiteVignette },
        { "mats", "b042.png", "cream mat", land, R::Inverted, creamMat },
        { "mats", "a044.png", "rose vignette, portrait", port, R::AlphaFromRed, roseVignette },
        { "mats", "b046.png", "sepia vignette", land, R::Inverted, sepiaVignette },
    };
}

} // namespace borderlux::tools
