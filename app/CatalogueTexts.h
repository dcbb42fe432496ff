// The catalogue's texts as data, for the simulated PC, which shows the
// flasher's string table the way the program's resources do on Windows.
#pragma once

#include <vector>

struct CatalogueText {
  unsigned id;
  const char* text;  // UTF-8; empty for an id without text
};

// Every id of the catalogue with its text, in the order of the data file.
const std::vector<CatalogueText>& CatalogueTexts();
