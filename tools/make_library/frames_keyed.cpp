// The "c" frames: full colour, the photo shows where the picture holds the key colour.

#include "tools/make_library/frame_kit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace borderlux::tools {

namespace {

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
    // The torn edge: a bright, uneven rim of bare fibres on the paper side, and short fibres
    // sticking out over the photo.
    QPainterPath paper;
    paper.addRect(inset(size, 0));
    p.save();
    p.setClipPath(paper.subtracted(hole));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255), 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hole);
    p.setPen(QPen(QColor(214, 210, 200, 150), 2));
    p.drawPath(tornRectPath(inset(size, w - 7), 9, 313));
    p.restore();
    Rng rng(312);
    const QPolygonF edge = hole.toFillPolygon();
    p.setPen(QPen(QColor(255, 255, 252, 220), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i + 1 < edge.size(); i += 2) {
        const QPointF at = edge[i];
        const double a = rng.range(0, 2 * M_PI), len = rng.range(3, 9);
        p.drawLine(at, at + QPointF(std::cos(a) * len, std::sin(a) * len));
    }
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

std::vector<FrameDesign> KeyedFrameDesigns()
{
    const QSize land(1600, 1200), port(1200, 1600);
    using R = FrameRule;
    return {
        { "free", "c004.png", "walnut and mat", land, R::ColourKey, walnutMat },
        { "free", "c006.png", "film strip", land, R::ColourKey, filmStrip },
        { "classic", "c013.png", "gallery black", land, R::ColourKey, galleryBlack },
        { "classic", "c015.png", "mahogany, portrait", port, R::ColourKey, mahoganyPortrait },
        { "holiday", "c022.png", "garland", land, R::ColourKey, christmasGarland },
        { "holiday", "c025.png", "birthday balloons", land, R::ColourKey, birthdayBalloons },
        { "fun", "c031.png", "torn paper", land, R::ColourKey, tornPaper },
        { "fun", "c033.png", "comic", land, R::ColourKey, comicBurst },
        { "fun", "c035.png", "chalkboard", land, R::ColourKey, chalkboard },
        { "mats", "c043.png", "navy double mat", land, R::ColourKey, navyDoubleMat },
        { "mats", "c045.png", "sage oval, portrait", port, R::ColourKey, sageOval },
    };
}

} // namespace borderlux::tools
