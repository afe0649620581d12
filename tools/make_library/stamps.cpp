// The shipped stamps: clip-art on a transparent background with antialiased edges. A stamp
// keeps the alpha of its file when applied, so soft edges and shadows carry over.

#include "tools/make_library/designs.h"
#include "tools/make_library/draw_kit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace borderlux::tools {

namespace {

const QColor kOutline(40, 30, 30);

QRadialGradient glossy(QPointF c, double r, QColor color)
{
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.5);
    g.setColorAt(0, color.lighter(150));
    g.setColorAt(0.5, color);
    g.setColorAt(1, color.darker(150));
    return g;
}

QPen outline(double width)
{
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

/// A path of text centred on c.
QPainterPath textPath(const QString& text, QPointF c, int pixelSize, bool bold = true,
    const QString& family = "DejaVu Sans")
{
    QFont font(family, 1);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    const QFontMetricsF fm(font);
    QPainterPath path;
    path.addText(
        QPointF(c.x() - fm.horizontalAdvance(text) / 2, c.y() + fm.capHeight() / 2), font, text);
    return path;
}

void outlinedText(
    QPainter& p, const QString& text, QPointF c, int pixelSize, QColor fill, double outlineWidth)
{
    const QPainterPath path = textPath(text, c, pixelSize);
    p.setPen(QPen(Qt::white, outlineWidth * 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(outline(outlineWidth));
    p.setBrush(fill);
    p.drawPath(path);
}

// ---- fun ----------------------------------------------------------------------------------

void smiley(QPainter& p, QSizeF s)
{
    const QPointF c(s.width() / 2, s.height() / 2);
    const double r = s.width() * 0.44;
    p.setPen(outline(6));
    p.setBrush(glossy(c, r, QColor(255, 210, 40)));
    p.drawEllipse(c, r, r);
    p.setBrush(kOutline);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c + QPointF(-r * 0.35, -r * 0.25), r * 0.1, r * 0.17);
    p.drawEllipse(c + QPointF(r * 0.35, -r * 0.25), r * 0.1, r * 0.17);
    p.setPen(outline(8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r * 0.6, c.y() - r * 0.5, r * 1.2, r * 1.1), 200 * 16, 140 * 16);
}

void sunglasses(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(outline(8));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(w * 0.42, h * 0.38), QPointF(w * 0.58, h * 0.38));
    p.drawLine(QPointF(w * 0.06, h * 0.36), QPointF(w * 0.02, h * 0.3));
    p.drawLine(QPointF(w * 0.94, h * 0.36), QPointF(w * 0.98, h * 0.3));
    p.drawLine(QPointF(w * 0.06, h * 0.36), QPointF(w * 0.94, h * 0.36));
    for (int side = 0; side < 2; ++side) {
        const QRectF lens(side == 0 ? w * 0.05 : w * 0.55, h * 0.33, w * 0.4, h * 0.4);
        QLinearGradient g(lens.topLeft(), lens.bottomLeft());
        g.setColorAt(0, QColor(60, 60, 90));
        g.setColorAt(1, QColor(10, 10, 20));
        p.setPen(outline(6));
        p.setBrush(g);
        p.drawRoundedRect(lens, lens.width() * 0.3, lens.height() * 0.4);
        p.setPen(QPen(QColor(255, 255, 255, 170), 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(lens.topLeft() + QPointF(lens.width() * 0.2, lens.height() * 0.3),
            lens.topLeft() + QPointF(lens.width() * 0.4, lens.height() * 0.15));
    }
}

void moustache(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    QPainterPath m;
    m.moveTo(w * 0.5, h * 0.42);
    m.cubicTo(w * 0.38, h * 0.25, w * 0.2, h * 0.3, w * 0.14, h * 0.5);
    m.cubicTo(w * 0.1, h * 0.62, w * 0.02, h * 0.6, w * 0.03, h * 0.48);
    m.cubicTo(w * 0.0, h * 0.75, w * 0.3, h * 0.82, w * 0.5, h * 0.6);
    m.cubicTo(w * 0.7, h * 0.82, w * 1.0, h * 0.75, w * 0.97, h * 0.48);
    m.cubicTo(w * 0.98, h * 0.6, w * 0.9, h * 0.62, w * 0.86, h * 0.5);
    m.cubicTo(w * 0.8, h * 0.3, w * 0.62, h * 0.25, w * 0.5, h * 0.42);
    QLinearGradient g(0, h * 0.3, 0, h * 0.8);
    g.setColorAt(0, QColor(110, 70, 40));
    g.setColorAt(1, QColor(50, 28, 14));
    p.setPen(outline(4));
    p.setBrush(g);
    p.drawPath(m);
}

void speechBubble(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    QPainterPath bubble;
    bubble.addEllipse(QRectF(w * 0.05, h * 0.06, w * 0.9, h * 0.68));
    QPainterPath tail;
    tail.moveTo(w * 0.3, h * 0.6);
    tail.lineTo(w * 0.18, h * 0.95);
    tail.lineTo(w * 0.5, h * 0.7);
    tail.closeSubpath();
    p.setPen(outline(7));
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail));
    outlinedText(p, "WOW!", { w * 0.5, h * 0.4 }, int(h * 0.26), QColor(240, 60, 60), 4);
}

void crown(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    QPainterPath c;
    c.moveTo(w * 0.1, h * 0.8);
    c.lineTo(w * 0.06, h * 0.3);
    c.lineTo(w * 0.3, h * 0.52);
    c.lineTo(w * 0.5, h * 0.18);
    c.lineTo(w * 0.7, h * 0.52);
    c.lineTo(w * 0.94, h * 0.3);
    c.lineTo(w * 0.9, h * 0.8);
    c.closeSubpath();
    QLinearGradient g(0, h * 0.2, 0, h * 0.8);
    g.setColorAt(0, QColor(255, 240, 150));
    g.setColorAt(0.5, QColor(250, 190, 40));
    g.setColorAt(1, QColor(200, 130, 20));
    p.setPen(outline(6));
    p.setBrush(g);
    p.drawPath(c);
    p.drawRoundedRect(QRectF(w * 0.08, h * 0.74, w * 0.84, h * 0.12), 8, 8);
    const QPointF gems[3] = { { w * 0.3, h * 0.64 }, { w * 0.5, h * 0.6 }, { w * 0.7, h * 0.64 } };
    const QColor gemColors[3] = { QColor(40, 120, 230), QColor(230, 30, 60), QColor(40, 180, 90) };
    for (int i = 0; i < 3; ++i) {
        p.setBrush(glossy(gems[i], w * 0.05, gemColors[i]));
        p.setPen(outline(3));
        p.drawEllipse(gems[i], w * 0.05, w * 0.05);
    }
    for (QPointF tip :
        { QPointF(w * 0.06, h * 0.3), QPointF(w * 0.5, h * 0.18), QPointF(w * 0.94, h * 0.3) }) {
        p.setBrush(QColor(255, 250, 230));
        p.drawEllipse(tip, w * 0.035, w * 0.035);
    }
}

void lips(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    QPainterPath upper;
    upper.moveTo(w * 0.05, h * 0.5);
    upper.cubicTo(w * 0.2, h * 0.3, w * 0.35, h * 0.2, w * 0.5, h * 0.35);
    upper.cubicTo(w * 0.65, h * 0.2, w * 0.8, h * 0.3, w * 0.95, h * 0.5);
    upper.cubicTo(w * 0.7, h * 0.48, w * 0.3, h * 0.48, w * 0.05, h * 0.5);
    QPainterPath lower;
    lower.moveTo(w * 0.05, h * 0.5);
    lower.cubicTo(w * 0.3, h * 0.55, w * 0.7, h * 0.55, w * 0.95, h * 0.5);
    lower.cubicTo(w * 0.75, h * 0.85, w * 0.25, h * 0.85, w * 0.05, h * 0.5);
    p.setPen(QPen(QColor(120, 0, 20), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(glossy({ w * 0.5, h * 0.4 }, w * 0.4, QColor(220, 20, 50)));
    p.drawPath(upper);
    p.setBrush(glossy({ w * 0.5, h * 0.6 }, w * 0.4, QColor(220, 20, 50)));
    p.drawPath(lower);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 140));
    p.drawEllipse(QPointF(w * 0.4, h * 0.63), w * 0.08, h * 0.03);
}

void numberOne(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    const QPointF c(w / 2, h * 0.42);
    // rosette ribbons
    p.setPen(outline(5));
    for (int side = -1; side <= 1; side += 2) {
        QPolygonF tail({ c + QPointF(side * w * 0.05, 0), c + QPointF(side * w * 0.3, h * 0.55),
            c + QPointF(side * w * 0.18, h * 0.5), c + QPointF(side * w * 0.12, h * 0.58),
            c + QPointF(side * w * 0.02, h * 0.1) });
        p.setBrush(QColor(40, 90, 210));
        p.drawPolygon(tail);
    }
    p.setBrush(QColor(250, 200, 50));
    p.drawPath(starPath(c, w * 0.4, w * 0.33, 18));
    p.setBrush(glossy(c, w * 0.28, QColor(245, 180, 30)));
    p.drawEllipse(c, w * 0.27, w * 0.27);
    outlinedText(p, "#1", c, int(h * 0.25), QColor(220, 40, 40), 3);
}

// ---- nature -------------------------------------------------------------------------------

void sun(QPainter& p, QSizeF s)
{
    const QPointF c(s.width() / 2, s.height() / 2);
    const double r = s.width() * 0.26;
    p.setPen(outline(5));
    p.setBrush(QColor(255, 160, 30));
    p.drawPath(starPath(c, r * 1.8, r * 1.15, 12));
    p.setBrush(glossy(c, r, QColor(255, 215, 50)));
    p.drawEllipse(c, r, r);
}

void cloud(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    auto ellipse = [](QPointF centre, double rx, double ry) {
        QPainterPath e;
        e.addEllipse(centre, rx, ry);
        return e;
    };
    QPainterPath base;
    base.addRoundedRect(QRectF(w * 0.12, h * 0.55, w * 0.78, h * 0.24), h * 0.12, h * 0.12);
    const QPainterPath c = base.united(ellipse({ w * 0.3, h * 0.58 }, w * 0.2, h * 0.2))
                               .united(ellipse({ w * 0.5, h * 0.42 }, w * 0.24, h * 0.28))
                               .united(ellipse({ w * 0.72, h * 0.56 }, w * 0.2, h * 0.22));
    QLinearGradient g(0, h * 0.15, 0, h * 0.8);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(200, 215, 235));
    p.setPen(QPen(QColor(90, 110, 150), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(c);
}

void rainbow(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    const QColor bands[6] = { QColor(230, 40, 40), QColor(250, 140, 30), QColor(250, 220, 40),
        QColor(60, 180, 70), QColor(40, 120, 220), QColor(130, 60, 200) };
    const QPointF c(w / 2, h * 0.8);
    const double band = w * 0.05;
    for (int i = 0; i < 6; ++i) {
        const double r = w * 0.45 - i * band;
        p.setPen(QPen(bands[i], band + 0.8, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 0, 180 * 16);
    }
    // a cloud on each foot of the arc
    for (double x : { 0.0, w * 0.6 }) {
        p.save();
        p.translate(x, h * 0.55);
        cloud(p, QSizeF(w * 0.4, h * 0.4));
        p.restore();
    }
}

void flower(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(QPen(QColor(40, 120, 40), w * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(w * 0.5, h * 0.45), QPointF(w * 0.5, h * 0.97));
    p.setPen(QPen(QColor(30, 90, 30), 3));
    p.setBrush(QColor(70, 170, 60));
    QPainterPath leaf;
    leaf.moveTo(w * 0.5, h * 0.8);
    leaf.cubicTo(w * 0.6, h * 0.65, w * 0.8, h * 0.65, w * 0.88, h * 0.7);
    leaf.cubicTo(w * 0.8, h * 0.8, w * 0.6, h * 0.85, w * 0.5, h * 0.8);
    p.drawPath(leaf);
    paintFlower(p, { w * 0.5, h * 0.38 }, w * 0.36, QColor(250, 110, 170), QColor(250, 200, 40));
}

void butterfly(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(outline(4));
    for (int side = -1; side <= 1; side += 2) {
        p.save();
        p.translate(w / 2, h / 2);
        p.scale(side, 1);
        QPainterPath upper;
        upper.moveTo(0, -h * 0.05);
        upper.cubicTo(w * 0.15, -h * 0.45, w * 0.5, -h * 0.45, w * 0.44, -h * 0.1);
        upper.cubicTo(w * 0.4, h * 0.05, w * 0.15, h * 0.05, 0, 0);
        QPainterPath lower;
        lower.moveTo(0, h * 0.02);
        lower.cubicTo(w * 0.3, h * 0.02, w * 0.4, h * 0.3, w * 0.25, h * 0.38);
        lower.cubicTo(w * 0.12, h * 0.42, w * 0.05, h * 0.2, 0, h * 0.02);
        QLinearGradient g(0, 0, w * 0.45, 0);
        g.setColorAt(0, QColor(250, 120, 20));
        g.setColorAt(1, QColor(255, 200, 60));
        p.setBrush(g);
        p.drawPath(upper);
        p.drawPath(lower);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(w * 0.35, -h * 0.22), w * 0.04, w * 0.04);
        p.drawEllipse(QPointF(w * 0.2, h * 0.25), w * 0.03, w * 0.03);
        p.setPen(outline(4));
        p.restore();
    }
    p.setBrush(kOutline);
    p.drawRoundedRect(QRectF(w * 0.47, h * 0.3, w * 0.06, h * 0.42), w * 0.03, w * 0.03);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(w * 0.49, h * 0.31), QPointF(w * 0.4, h * 0.14));
    p.drawLine(QPointF(w * 0.51, h * 0.31), QPointF(w * 0.6, h * 0.14));
}

void leaf(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.save();
    p.translate(w / 2, h / 2);
    p.rotate(-35);
    QPainterPath l;
    l.moveTo(0, -h * 0.42);
    l.cubicTo(w * 0.35, -h * 0.25, w * 0.32, h * 0.2, 0, h * 0.35);
    l.cubicTo(-w * 0.32, h * 0.2, -w * 0.35, -h * 0.25, 0, -h * 0.42);
    QLinearGradient g(-w * 0.3, 0, w * 0.3, 0);
    g.setColorAt(0, QColor(60, 150, 50));
    g.setColorAt(1, QColor(150, 210, 80));
    p.setPen(QPen(QColor(30, 80, 30), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(l);
    p.drawLine(QPointF(0, -h * 0.35), QPointF(0, h * 0.46));
    for (int k = 0; k < 4; ++k) {
        p.drawLine(
            QPointF(0, -h * 0.2 + k * h * 0.12), QPointF(-w * 0.18, -h * 0.28 + k * h * 0.12));
        p.drawLine(
            QPointF(0, -h * 0.2 + k * h * 0.12), QPointF(w * 0.18, -h * 0.28 + k * h * 0.12));
    }
    p.restore();
}

void tree(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(outline(4));
    p.setBrush(QColor(130, 80, 40));
    p.drawRect(QRectF(w * 0.44, h * 0.7, w * 0.12, h * 0.26));
    const QColor greens[3] = { QColor(30, 120, 50), QColor(40, 145, 60), QColor(60, 170, 70) };
    for (int i = 0; i < 3; ++i) {
        const double top = h * (0.05 + i * 0.17), bottom = h * (0.42 + i * 0.17);
        const double half = w * (0.26 + i * 0.08);
        QPolygonF tier(
            { QPointF(w / 2, top), QPointF(w / 2 + half, bottom), QPointF(w / 2 - half, bottom) });
        p.setBrush(greens[i]);
        p.drawPolygon(tier);
    }
    p.setBrush(QColor(255, 215, 40));
    p.drawPath(starPath({ w / 2, h * 0.06 }, w * 0.08, w * 0.035, 5));
}

void moonStars(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    QPainterPath moon;
    moon.addEllipse(QPointF(w * 0.45, h * 0.5), w * 0.36, w * 0.36);
    QPainterPath bite;
    bite.addEllipse(QPointF(w * 0.62, h * 0.4), w * 0.3, w * 0.3);
    p.setPen(outline(5));
    p.setBrush(glossy({ w * 0.35, h * 0.5 }, w * 0.35, QColor(255, 225, 110)));
    p.drawPath(moon.subtracted(bite));
    p.setBrush(QColor(255, 240, 160));
    p.drawPath(starPath({ w * 0.78, h * 0.7 }, w * 0.09, w * 0.04, 5));
    p.drawPath(starPath({ w * 0.83, h * 0.22 }, w * 0.06, w * 0.027, 5));
}

// ---- party ----------------------------------------------------------------------------------

void balloons(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    const QPointF knot(w * 0.5, h * 0.92);
    const struct {
        QPointF c;
        QColor color;
    } list[3] = { { { w * 0.3, h * 0.3 }, QColor(230, 40, 60) },
        { { w * 0.68, h * 0.28 }, QColor(60, 120, 230) },
        { { w * 0.5, h * 0.46 }, QColor(250, 190, 30) } };
    p.setPen(QPen(QColor(80, 80, 80), 2.5));
    for (const auto& b : list)
        p.drawLine(b.c + QPointF(0, w * 0.2), knot);
    for (const auto& b : list) {
        p.setPen(outline(4));
        p.setBrush(glossy(b.c, w * 0.17, b.color));
        p.drawEllipse(b.c, w * 0.16, w * 0.2);
    }
}

void giftBox(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(outline(5));
    p.setBrush(QColor(60, 160, 220));
    p.drawRect(QRectF(w * 0.14, h * 0.45, w * 0.72, h * 0.48));
    p.setBrush(QColor(80, 190, 245));
    p.drawRect(QRectF(w * 0.08, h * 0.32, w * 0.84, h * 0.15));
    p.setBrush(QColor(235, 40, 70));
    p.drawRect(QRectF(w * 0.44, h * 0.32, w * 0.12, h * 0.61));
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath loop;
        loop.moveTo(w * 0.5, h * 0.32);
        loop.cubicTo(
            w * (0.5 + side * 0.35), h * 0.05, w * (0.5 + side * 0.4), h * 0.3, w * 0.5, h * 0.32);
        p.drawPath(loop);
    }
}

void partyHat(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    QPolygonF cone(
        { QPointF(w * 0.5, h * 0.1), QPointF(w * 0.82, h * 0.86), QPointF(w * 0.18, h * 0.86) });
    p.setPen(outline(5));
    p.setBrush(QColor(150, 80, 220));
    p.drawPolygon(cone);
    p.save();
    QPainterPath clip;
    clip.addPolygon(cone);
    p.setClipPath(clip);
    p.setPen(QPen(QColor(255, 210, 50), w * 0.06));
    for (int i = 0; i < 6; ++i)
        p.drawLine(QPointF(0, h * (0.2 + i * 0.16)), QPointF(w, h * (0.05 + i * 0.16)));
    p.restore();
    p.setPen(outline(5));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(cone);
    p.setBrush(QColor(240, 60, 90));
    p.drawEllipse(QPointF(w * 0.5, h * 0.1), w * 0.08, w * 0.08);
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(w * 0.14, h * 0.82, w * 0.72, h * 0.1), 10, 10);
}

void cake(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(outline(5));
    p.setBrush(QColor(250, 200, 220));
    p.drawRoundedRect(QRectF(w * 0.12, h * 0.5, w * 0.76, h * 0.4), 12, 12);
    p.setBrush(QColor(255, 250, 245));
    QPainterPath icing;
    icing.moveTo(w * 0.12, h * 0.5);
    for (int i = 0; i < 6; ++i) {
        const double x0 = w * (0.12 + i * 0.76 / 6), x1 = w * (0.12 + (i + 1) * 0.76 / 6);
        icing.cubicTo(x0, h * 0.66, x1, h * 0.66, x1, h * 0.5);
    }
    icing.closeSubpath();
    p.drawPath(icing);
    const QColor candles[3] = { QColor(60, 150, 230), QColor(240, 80, 100), QColor(90, 190, 90) };
    for (int i = 0; i < 3; ++i) {
        const double x = w * (0.3 + i * 0.2);
        p.setBrush(candles[i]);
        p.drawRect(QRectF(x - w * 0.03, h * 0.26, w * 0.06, h * 0.24));
        QRadialGradient flame(QPointF(x, h * 0.2), w * 0.07);
        flame.setColorAt(0, QColor(255, 250, 200));
        flame.setColorAt(1, QColor(255, 150, 20));
        p.setBrush(flame);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(x, h * 0.19), w * 0.035, h * 0.06);
        p.setPen(outline(5));
    }
}

void bigHeart(QPainter& p, QSizeF s)
{
    const QPointF c(s.width() / 2, s.height() / 2);
    p.setPen(outline(6));
    p.setBrush(glossy(c, s.width() * 0.4, QColor(230, 30, 60)));
    p.drawPath(heartPath(c, s.width() * 0.9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 160));
    p.drawEllipse(
        c + QPointF(-s.width() * 0.2, -s.height() * 0.15), s.width() * 0.07, s.height() * 0.05);
}

void banner(QPainter& p, QSizeF s)
{
    const double w = s.width(), h = s.height();
    p.setPen(outline(5));
    for (int side = -1; side <= 1; side += 2) {
        const double x = side < 0 ? w * 0.02 : w * 0.98;
        QPolygonF end({ QPointF(x, h * 0.3), QPointF(w * 0.5 + side * w * 0.38, h * 0.3),
            QPointF(w * 0.5 + side * w * 0.38, h * 0.82), QPointF(x, h * 0.82),
            QPointF(x - side * w * 0.05, h * 0.56) });
        p.setBrush(QColor(190, 20, 40));
        p.drawPolygon(end);
    }
    QLinearGradient g(0, h * 0.15, 0, h * 0.75);
    g.setColorAt(0, QColor(250, 70, 80));
    g.setColorAt(1, QColor(210, 30, 50));
    p.setBrush(g);
    p.drawRect(QRectF(w * 0.1, h * 0.15, w * 0.8, h * 0.55));
    outlinedText(
        p, "Happy Birthday!", { w * 0.5, h * 0.42 }, int(h * 0.24), QColor(255, 230, 90), 3);
}

void fireworks(QPainter& p, QSizeF s)
{
    const QPointF c(s.width() / 2, s.height() / 2);
    const QColor colors[4] = { QColor(255, 80, 80), QColor(255, 210, 60), QColor(90, 200, 255),
        QColor(200, 120, 255) };
    for (int i = 0; i < 24; ++i) {
        const double a = i * 2 * M_PI / 24;
        const double r0 = s.width() * 0.1, r1 = s.width() * (i % 2 ? 0.4 : 0.46);
        const QColor col = colors[i % 4];
        QLinearGradient g(c, c + QPointF(std::cos(a) * r1, std::sin(a) * r1));
        g.setColorAt(0, QColor(col.red(), col.green(), col.blue(), 60));
        g.setColorAt(1, col);
        p.setPen(QPen(QBrush(g), s.width() * 0.035, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(std::cos(a) * r0, std::sin(a) * r0),
            c + QPointF(std::cos(a) * r1, std::sin(a) * r1));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(
            c + QPointF(std::cos(a) * r1, std::sin(a) * r1), s.width() * 0.014, s.width() * 0.014);
    }
}

void goldStar(QPainter& p, QSizeF s)
{
    const QPointF c(s.width() / 2, s.height() * 0.53);
    p.setPen(outline(6));
    p.setBrush(glossy(c, s.width() * 0.4, QColor(250, 195, 30)));
    p.drawPath(starPath(c, s.width() * 0.46, s.width() * 0.2, 5));
}

} // namespace

QStringList StampCategories()
{
    return { "fun", "my favorite", "nature", "party" };
}

std::vector<StampDesign> StampDesigns()
{
    const QSize sq(320, 320), wide(420, 240), bannerSize(520, 200);
    return {
        { "fun", "s001.png", "smiley", sq, smiley },
        { "fun", "s002.png", "sunglasses", wide, sunglasses },
        { "fun", "s003.png", "moustache", wide, moustache },
        { "fun", "s004.png", "speech bubble", sq, speechBubble },
        { "fun", "s005.png", "crown", QSize(360, 300), crown },
        { "fun", "s006.png", "lips", wide, lips },
        { "fun", "s007.png", "number one", sq, numberOne },
        { "fun", "s008.png", "star", sq, goldStar },

        { "nature", "s011.png", "sun", sq, sun },
        { "nature", "s012.png", "cloud", wide, cloud },
        { "nature", "s013.png", "rainbow", QSize(440, 300), rainbow },
        { "nature", "s014.png", "flower", QSize(260, 360), flower },
        { "nature", "s015.png", "butterfly", sq, butterfly },
        { "nature", "s016.png", "leaf", sq, leaf },
        { "nature", "s017.png", "fir tree", QSize(280, 360), tree },
        { "nature", "s018.png", "moon and stars", sq, moonStars },

        { "party", "s021.png", "balloons", QSize(300, 400), balloons },
        { "party", "s022.png", "gift", sq, giftBox },
        { "party", "s023.png", "party hat", QSize(280, 340), partyHat },
        { "party", "s024.png", "cake", sq, cake },
        { "party", "s025.png", "heart", sq, bigHeart },
        { "party", "s026.png", "birthday banner", bannerSize, banner },
        { "party", "s027.png", "fireworks", sq, fireworks },
        { "party", "s028.png", "gold star", QSize(240, 240), goldStar },
    };
}

} // namespace borderlux::tools
