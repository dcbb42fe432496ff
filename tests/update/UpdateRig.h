// A simulated PC with one OD-K818R on either transport, the image file in
// the current folder and the drive object built over it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/K818rDrive.h"
#include "sim/SimPc.h"
#include "tools/image/ImageBuilder.h"
#include "transport/Atapi.h"

namespace enginetest {

enum class Link { kAspi, kPassThrough };
const char* LinkName(Link link);

// Small plain-text blocks that fit their banks; blockCount 1 to 8.
image::ImagePlan DemoPlan(int blockCount = 4, bool scrambled = true);
image::Bytes Build(const image::ImagePlan& plan);

struct UpdateRig {
  explicit UpdateRig(Link link, const image::Bytes& imageFile = Build(DemoPlan()));

  // Builds the drive object (which scans); faults and config set before it
  // count from the start, positions from CommandsBefore().
  CAtapi& Start();

  int CommandsBefore() const { return commandsBefore_; }
  std::vector<sim::CommandRecord> Commands();  // since Start()
  std::vector<std::string> Traces();           // since Start()
  bool ReleasedEverything() {
    return pc.OpenFiles() == 0 && pc.OutstandingBuffers() == 0 && pc.BadFrees() == 0;
  }

  Link link;
  sim::SimPc pc;
  std::shared_ptr<sim::K818rDrive> drive;
  std::unique_ptr<CAtapi> atapi;

 private:
  int commandsBefore_ = 0;
  size_t logBefore_ = 0;
  size_t tracesBefore_ = 0;
};

}  // namespace enginetest
