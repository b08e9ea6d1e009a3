#pragma once

// A ring around the control that has the keyboard focus, in every window of the program. The
// styles draw focus faintly or not at all (a white button shows nothing), and only once the
// keyboard has been used, so a keyboard user could not tell what Space or Enter would press.
// The ring is drawn over the window on a layer of its own: no control changes its size, its
// position or its look otherwise.

class QColor;
class QPalette;

namespace orvane::ui {

// Starts drawing the ring; call once, after the application object exists.
void installFocusRing();

// The ring's colour on a window of this palette.
QColor focusRingColor(const QPalette& palette);

} // namespace orvane::ui
