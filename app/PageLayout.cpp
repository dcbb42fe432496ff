#include "app/PageLayout.h"

#include "app/ResourceIds.h"

unsigned ChooseBanner(int clientWidth, int clientHeight) {
  return clientWidth >= 400 || clientHeight >= 320 ? IDB_BANNER_LARGE : IDB_BANNER_SMALL;
}

BannerPlacement PlaceBanner(int clientWidth, int clientHeight) {
  return {ChooseBanner(clientWidth, clientHeight), clientWidth / 24, clientHeight / 32};
}

void IconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight, int* x, int* y) {
  *x = (clientWidth - iconWidth + 1) / 2;
  *y = (clientHeight - iconHeight + 1) / 2;
}
