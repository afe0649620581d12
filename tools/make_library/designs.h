#pragma once

// The catalogue of everything bl_make_library draws.

#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

namespace borderlux::tools {

/// How the program turns a frame file into a layer; the file name's first letter says which.
enum class FrameRule {
    AlphaFromRed, ///< "a...": alpha = red; drawn as shown, hole pure black
    Inverted, ///< "b...": colours inverted first, then alpha = red; the file holds the negative
    ColourKey, ///< "c...": the centre pixel's colour is made transparent
};

struct FrameDesign {
    QString category;
    QString file; ///< e.g. "a001.png"
    QString title; ///< for the contact sheet
    QSize size;
    FrameRule rule;
    /// Draws the frame as the user sees it: for AlphaFromRed and Inverted an RGB32 picture
    /// whose red channel is the opacity (the hole black); for ColourKey the picture with its
    /// holes in the key colour, which is the colour of the centre pixel.
    std::function<QImage(QSize)> draw;
};

struct StampDesign {
    QString category;
    QString file; ///< "s001.png": starts with "s", contains no "a"
    QString title;
    QSize size;
    /// Paints onto a transparent ARGB32 picture of the stamp's size.
    std::function<void(QPainter&, QSizeF)> paint;
};

/// Frame categories in list order; "my favorite" second, with no files of its own.
QStringList FrameCategories();
QStringList StampCategories();

std::vector<FrameDesign> FrameDesigns();
std::vector<StampDesign> StampDesigns();

/// The sample landscape photo, width x height.
QImage DrawSamplePhoto(QSize size);

} // namespace borderlux::tools
