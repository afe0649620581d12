#pragma once

// The mouse interaction of an image view: which of the view's own mouse behaviours are on.
// Plain C++ (no toolkit types), so that the photo document, which decides the interaction a
// command leaves behind, can name it without depending on widgets.

#include <cstdint>

namespace borderlux {

enum TMouseInteractionItem : uint32_t {
    miSelect = 1u << 0, ///< draw, move and size a rectangle selection
    miMoveLayers = 1u << 1, ///< click selects a layer, dragging moves it
    miResizeLayers = 1u << 2, ///< the current layer's grips resize it
};

/// A set of TMouseInteractionItem; 0 is "none".
using TMouseInteraction = uint32_t;

inline constexpr TMouseInteraction kMouseNone = 0;
inline constexpr TMouseInteraction kMouseMoveResize = miMoveLayers | miResizeLayers;

/// Options of the rectangle selection while the interaction contains miSelect.
enum TIESelectionOption : uint32_t {
    iesoAnimated = 1u << 0, ///< the outline's dashes move
    iesoSizeable = 1u << 1, ///< grips on the outline resize the selection
    iesoMoveable = 1u << 2, ///< dragging inside the selection moves it
    iesoMarkOuter = 1u << 3, ///< the area outside the selection is shown darkened
};
using TIESelectionOptions = uint32_t;

} // namespace borderlux
