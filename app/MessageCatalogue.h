// The flasher's numbered texts: each message exists in English and in
// Japanese, stored under two ids of the program's string table.
//
//   std::string text = FormatMessageText(
//       LoadMessage(os, Pick(Message::FoundIntro, language)), "OD-K818R", "1.01");
#pragma once

#include <string>

#include "platform/Platform.h"

enum class Language { kEnglish, kJapanese };

enum class Message {
#define MESSAGE_SHARED(id, text)
#define MESSAGE_PAIR(name, english, japanese, englishText, japaneseText) name,
#include "app/Messages.inc"
#undef MESSAGE_PAIR
#undef MESSAGE_SHARED
};

constexpr unsigned kVersionMenuTextId = 101;  // the one text both languages share

// The id of the pair's member in that language.
unsigned Pick(Message message, Language language);

// The stored text, exactly as stored; empty for an id without text.
std::string LoadMessage(platform::Programs& program, unsigned id);

// Fills %1 and %2 by the FormatMessage insert rule: an argument the text does
// not use is ignored, and an insert without an argument stays empty.
std::string FormatMessageText(const std::string& text, const std::string& first = "",
                              const std::string& second = "");
