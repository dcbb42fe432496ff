// One whole update, as the user's Yes runs it, on a fresh simulated PC that
// the input chooses: the transport, the image (good or broken) and, per
// drive command, how the drive misbehaves. After the run the kit's promises
// are checked against the run's command log.
//
// Input bytes:
//   [0] transport: % 3 -> ASPI completing at once, ASPI completing later,
//       pass-through
//   [1] image: bits 0-1 blocks (1, 1, 2, 4); bits 2-5 how it is made or
//       broken (see ImageVariant); bit 6 scrambled; bit 7 Japanese page
//   [2] drive: bits 0-1 type code (WM, W0, XY, WM); bit 2 never ready again;
//       bit 3 no disc; bit 4 content that sums right by accident; bit 5 a
//       corrupted byte after the commit; bit 6 Windows refuses the restart;
//       bit 7 unit attention when it is back
//   [3] restart: bits 0-3 seconds off the bus after the closing command
//       (15: it never comes back); bit 4 the pass-through error meanwhile
//       (21, else 55); bits 5-7 seconds not ready after it, times 3
//   then up to 63 records of 4 bytes: command position (big-endian, counted
//   from the first command of the update), behaviour, parameter (see
//   Behaviour); bytes after them are not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace updatefuzz {

// Every broken promise of the run, in words; empty when the run kept them
// all. `story` receives the run's command log and decisions.
std::vector<std::string> CheckOneUpdate(const uint8_t* data, size_t size, std::string* story);

// The fuzz target's body: a broken promise prints the story and aborts.
void RunOneUpdate(const uint8_t* data, size_t size);

}  // namespace updatefuzz
