#include "app/ButtonFace.h"

#include <algorithm>

namespace {

constexpr int kFocusInset = 3;
constexpr int kSmallSide = 16;

}  // namespace

Box FaceBox(const Box& item, bool defaultStyled) {
  if (!defaultStyled) return item;
  return {item.left + 1, item.top + 1, item.right - 1, item.bottom - 1};
}

void CaptionOrigin(int clientWidth, int clientHeight, int textWidth, int textHeight, bool pushed,
                   int* x, int* y) {
  *x = (clientWidth - textWidth) / 2 + (pushed ? 1 : 0);
  *y = (clientHeight - textHeight) / 2 - 1 + (pushed ? 1 : 0);
}

Box FocusBox(const Box& face) {
  const int shorter = std::min(face.right - face.left, face.bottom - face.top);
  const int inset = shorter < kSmallSide ? shorter / 4 : kFocusInset;
  return {face.left + inset, face.top + inset, face.right - inset, face.bottom - inset};
}

bool FocusMark::Invert(const DrawRequest& request) {
  if (request.repaintsFace) shown_ = false;
  const bool wanted = request.enabled && request.focused;
  if (wanted == shown_) return false;
  shown_ = wanted;
  return true;
}
