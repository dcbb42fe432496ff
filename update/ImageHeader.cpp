#include "update/ImageHeader.h"

const char kImageModelTag[] = "QUAV OD-K818S";
