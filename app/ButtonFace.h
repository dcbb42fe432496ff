// Where an owner-drawn push button puts its parts, decided without a
// device context: the face inside the default frame, the caption in the
// middle (one pixel down and right while pushed) and the focus rectangle.
#pragma once

struct Box {
  int left;
  int top;
  int right;
  int bottom;
};

// The face: the whole item, or one pixel inside the black default frame.
Box FaceBox(const Box& item, bool defaultStyled);

// The caption's top-left corner in a client area of that size.
void CaptionOrigin(int clientWidth, int clientHeight, int textWidth, int textHeight, bool pushed,
                   int* x, int* y);

// Three pixels inside the face, or a quarter of its shorter side when that
// side is under 16 pixels.
Box FocusBox(const Box& face);

// The focus rectangle inverts what is under it, so it is drawn when the
// focus comes or goes, and after the whole button was drawn while focused.
bool DrawsFocus(bool enabled, bool focusChanged, bool focused, bool drewWhole);
