#pragma once

// The font that "Add Text" gives new text boxes, created once at start-up.

#include <QColor>
#include <QString>

namespace borderlux {

struct DefaultTextFont {
    /// Asked for by name; fontconfig substitutes an installed face when it is absent.
    QString face = QStringLiteral("Arial Black");
    int pointSize = 20;
    QColor color = QColor(255, 0, 0);
};

} // namespace borderlux
