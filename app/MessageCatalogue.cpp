#include "app/MessageCatalogue.h"

namespace {

struct PairIds {
  unsigned english;
  unsigned japanese;
};

constexpr PairIds kPairs[] = {
#define MESSAGE_SHARED(id, text)
#define MESSAGE_PAIR(name, english, japanese, englishText, japaneseText) {english, japanese},
#include "app/Messages.inc"
#undef MESSAGE_PAIR
#undef MESSAGE_SHARED
};

// Longer than any text of the catalogue in either encoding.
constexpr int kTextBufferSize = 2048;

}  // namespace

unsigned Pick(Message message, Language language) {
  const PairIds& pair = kPairs[static_cast<int>(message)];
  return language == Language::kJapanese ? pair.japanese : pair.english;
}

std::string LoadMessage(platform::Programs& program, unsigned id) {
  char buffer[kTextBufferSize];
  const int length = program.LoadText(id, buffer, sizeof buffer);
  if (length <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}

std::string FormatMessageText(const std::string& text, const std::string& first,
                              const std::string& second) {
  std::string result;
  result.reserve(text.size() + first.size() + second.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || i + 1 == text.size()) {
      result += text[i];
      continue;
    }
    const char next = text[i + 1];
    if (next >= '1' && next <= '9') {
      // Inserts run to two digits; only the first two have arguments.
      unsigned number = static_cast<unsigned>(next - '0');
      ++i;
      if (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') {
        number = number * 10 + static_cast<unsigned>(text[i + 1] - '0');
        ++i;
      }
      if (number == 1) result += first;
      if (number == 2) result += second;
      continue;
    }
    ++i;
    switch (next) {
      case '0':
        return result;  // ends the message
      case 'n':
        result += "\r\n";
        break;
      case 'r':
        result += '\r';
        break;
      case 't':
        result += '\t';
        break;
      default:
        result += next;  // %% %. %! and "% " give the character itself
    }
  }
  return result;
}
