// Where an owner-drawn push button puts its parts, decided without a
// device context: the face inside the default frame, the caption in the
// middle (one pixel down and right while pushed) and the focus rectangle.
#pragma once

#include "app/PageLayout.h"

// The face: the whole item, or one pixel inside the black default frame.
Box FaceBox(const Box& item, bool defaultStyled);

// The caption's top-left corner in a client area of that size.
void CaptionOrigin(int clientWidth, int clientHeight, int textWidth, int textHeight, bool pushed,
                   int* x, int* y);

// Three pixels inside the face, or a quarter of its shorter side when that
// side is under 16 pixels.
Box FocusBox(const Box& face);

// One draw request of the button, as the owner gets it.
struct DrawRequest {
  bool repaintsFace;  // false: only the focus changed, the face stays as it is
  bool enabled;
  bool focused;
};

// Keeps the focus rectangle honest across draw requests. The rectangle is
// drawn by inverting, so a second inversion takes it away: it must be
// inverted exactly when what the button shows differs from what it should
// show. Any request that repaints the face (a press, a release, a redraw)
// wipes the rectangle out with it.
class FocusMark {
 public:
  // Whether to invert the focus rectangle once the request's face, if any,
  // has been drawn.
  bool Invert(const DrawRequest& request);
  bool Shown() const { return shown_; }

 private:
  bool shown_ = false;
};
