// Layout rules both pages share: which banner bitmap fits the client area
// and where it goes.
#pragma once

// A rectangle in pixels, edges as Windows gives them.
struct Box {
  int left;
  int top;
  int right;
  int bottom;
};

struct BannerPlacement {
  unsigned bitmapId;
  int x;
  int y;
};

// Large system fonts make the page at least 400 pixels wide or 320 high;
// the larger banner is drawn then.
unsigned ChooseBanner(int clientWidth, int clientHeight);

BannerPlacement PlaceBanner(int clientWidth, int clientHeight);

// Where the minimised page draws its icon.
void IconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight, int* x, int* y);
