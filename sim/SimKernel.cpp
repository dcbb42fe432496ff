#include "sim/SimKernel.h"

#include <cstring>

#include "platform/Platform.h"

namespace sim {

uint32_t SimKernel::CreateNamedMutex(const std::string& name) {
  ownCreations_[name] += 1;
  return mutexes_[name]++ == 0 ? 0 : platform::kErrorAlreadyExists;
}

int SimKernel::MutexCreations(const std::string& name) const {
  const auto found = ownCreations_.find(name);
  return found == ownCreations_.end() ? 0 : found->second;
}

int SimKernel::LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) const {
  if (locale != platform::kLocaleSystemDefault || type != platform::kLocaleILanguage) return 0;
  const int needed = static_cast<int>(language_.size()) + 1;
  if (language_.empty() || buffer == nullptr || size < needed) return 0;
  std::memcpy(buffer, language_.c_str(), static_cast<size_t>(needed));
  return needed;
}

}  // namespace sim
