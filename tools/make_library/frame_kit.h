#pragma once

// Helpers shared by the frame painters of bl_make_library, and the two halves of the frame
// catalogue. Frames come in two kinds of painting:
// - opacity frames ("a" and "b" files): an RGB32 picture whose red channel is the opacity,
//   hole pure black. Every visible part is high in red (golds, warm woods, whites, reds);
//   darker shading lowers red too, which turns it into a see-through shadow over the photo.
//   "b" files hold the negative of what is drawn.
// - colour-key frames ("c" files): full colour; the parts where the photo shows are exactly
//   the key colour, which is the colour of the centre pixel.

#include "tools/make_library/designs.h"
#include "tools/make_library/draw_kit.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace borderlux::tools {

/// The key colour of the shipped colour-key frames.
extern const QColor kKey;

/// Metal profiles keep red high even in their grooves: under the alpha-from-red rule a dark
/// groove would let the photo show through the frame.
extern const std::vector<ProfileStop> kGold;
extern const std::vector<ProfileStop> kSilver;
/// Translucent shading over wood of colour-key frames.
extern const std::vector<ProfileStop> kWoodShading;
/// The shading of wood in opacity frames: highlights only and a faint edge, so the wood stays
/// opaque.
extern const std::vector<ProfileStop> kLightWoodShading;

/// An RGB32 picture filled with one colour.
QImage canvas(QSize size, QColor fill = Qt::black);

/// Antialiased drawing and smooth texture transforms.
void antialias(QPainter& p);

/// The picture's rectangle shrunk by d on every side.
QRectF inset(QSize size, double d);

/// 0 below a, 1 above b, smooth in between.
double smoothstep(double a, double b, double x);

/// A soft shadow band just inside the hole of an opacity frame: dark and only partly opaque,
/// so the photo looks set back behind the frame.
void innerShadow(QPainter& p, const QRectF& hole, double width, int strength = 90);

/// Beads of bright metal along the rectangle r.
void beads(QPainter& p, const QRectF& r, double radius, double spacing, QColor light, QColor dark);

/// count positions spread over the band between the picture's edge and depth pixels inside
/// it, densest at the edge.
std::vector<QPointF> bandPoints(QSize size, double depth, int count, uint32_t seed);

/// An opacity frame that fades from the hole (black) to tint at the border. shape 0: an
/// ellipse filling the picture, fading between normalised radii start and end; shape 1: a
/// rounded rectangle start pixels inside the edge with corner radius r, fading over end
/// pixels. The edge wanders a little by noise.
QImage softFrame(
    QSize size, int shape, double start, double end, double r, QColor tint, uint32_t seed);

/// A colour-key frame from a base picture, decorations drawn over it and the hole. Inside the
/// hole every pixel the decorations leave untouched becomes the key; where a decoration's
/// soft edge reaches into the hole it is blended over fringe instead of over the key, so no
/// key-coloured halo shows. The hole's edge is not antialiased.
QImage keyedFrame(
    const QImage& base, const QImage& decorations, const QPainterPath& hole, QColor fringe);

/// A transparent ARGB32 premultiplied picture for decorations.
QImage transparentLayer(QSize size);

/// A rectangle, with rounded corners when radius > 0.
QPainterPath rectPath(const QRectF& r, double radius = 0);

/// Fills area with base plus smooth noise of the given amount (colour steps) and scale.
void noiseFill(
    QImage& img, const QRectF& area, QColor base, double amount, double scale, uint32_t seed);

/// A bevel around the hole of a mat: lit top and left, shaded bottom and right.
void matBevel(QPainter& p, const QRectF& hole, double width, QColor lit, QColor shaded);

/// The "a" and "b" frames, and the "c" frames, in any order.
std::vector<FrameDesign> OpacityFrameDesigns();
std::vector<FrameDesign> KeyedFrameDesigns();

} // namespace borderlux::tools
