#include "update/EngineTrace.h"

#include <cstdarg>
#include <cstdio>

#include "transport/Atapi.h"

void CAtapi::EngineTrace(const char* text) {
  os_.Trace(text);
}

void TraceFormatted(CAtapi& drive, const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  drive.EngineTrace(text);
}
