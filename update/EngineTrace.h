// Formatted texts for the engine's diagnostic sink.
#pragma once

class CAtapi;

void TraceFormatted(CAtapi& drive, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
