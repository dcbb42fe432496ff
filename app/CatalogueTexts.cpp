#include "app/CatalogueTexts.h"

const std::vector<CatalogueText>& CatalogueTexts() {
  static const std::vector<CatalogueText> texts = {
#define MESSAGE_SHARED(id, text) {id, text},
#define MESSAGE_PAIR(name, english, japanese, englishText, japaneseText) \
  {english, englishText}, {japanese, japaneseText},
#include "app/Messages.inc"
#undef MESSAGE_PAIR
#undef MESSAGE_SHARED
  };
  return texts;
}
