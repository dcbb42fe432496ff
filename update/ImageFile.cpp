#include "transport/Atapi.h"
#include "update/EngineTrace.h"
#include "update/ImageCheck.h"

bool CAtapi::CheckImageFile(const char* fileName) {
  const image::CheckReport report = image::CheckImage(os_, os_, fileName, image_);
  switch (report.verdict) {
    case image::Verdict::kGood:
      return true;
    case image::Verdict::kCannotOpen:
      EngineTrace("Unable to find the new firmware file.");
      break;
    case image::Verdict::kNoMemory:
      EngineTrace("Err:Memory allocation");
      break;
    case image::Verdict::kChecksumMismatch:
      EngineTrace("Err:File check sum error!!");
      break;
    case image::Verdict::kBadBlockCount:
      TraceFormatted(*this, "Err:Block count %u is out of range", image_.BlockCount());
      break;
    case image::Verdict::kWrongTag:
    case image::Verdict::kShortBlock:
      break;
  }
  return false;
}
