#include "sim/SimProcesses.h"

namespace sim {

bool SimProcesses::Start(const platform::ProgramStart& start, bool programFileExists,
                         uint64_t nowUs) {
  ProgramStartRecord record;
  record.applicationName = start.applicationName == nullptr ? "" : start.applicationName;
  record.commandLineGiven = start.commandLine != nullptr;
  record.commandLine = start.commandLine == nullptr ? "" : start.commandLine;
  record.processHandleInheritable = start.processHandleInheritable;
  record.threadHandleInheritable = start.threadHandleInheritable;
  record.inheritHandles = start.inheritHandles;
  record.creationFlags = start.creationFlags;
  record.started = programFileExists;
  record.timeUs = nowUs;
  attempts_.push_back(record);
  return programFileExists;
}

std::vector<std::string> SimProcesses::Started() const {
  std::vector<std::string> names;
  for (const ProgramStartRecord& attempt : attempts_) {
    if (attempt.started) names.push_back(attempt.applicationName);
  }
  return names;
}

}  // namespace sim
