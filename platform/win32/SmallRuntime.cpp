// Smaller stand-ins for three parts of the static C and C++ runtimes, which
// would otherwise bring in far more than the programs use. Linked as
// objects, these definitions win over the runtime archives' members, which
// are then not linked at all; should one of those members still be needed
// for another name, the link fails on the double definition rather than
// quietly taking both.
//
// - The default terminate handler prints the demangled type of the escaped
//   exception to standard error, which a GUI program does not have; the
//   demangler alone is some 45 KB. Ending the program is what remains of it.
// - The runtime's own logic errors (a string too long, a bad index, an empty
//   function object) are thrown as the standard exception types, whose
//   reference-counted message strings pull in a second whole string
//   implementation. Here they are thrown as one small type derived from
//   std::exception that carries the runtime's text, so that the launcher's
//   catch of std::exception still shows it.
// - printf-style formatting: the programs format only integers and texts,
//   and the system's msvcrt.dll does that; the runtime's own formatter
//   brings a floating-point converter along.
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(const char* text) : text_(text) {}
  const char* what() const noexcept override { return text_; }

 private:
  const char* text_;  // the runtime's texts are literals
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler();
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

namespace std {
[[noreturn]] void __throw_bad_alloc() {
  throw std::bad_alloc();
}
[[noreturn]] void __throw_logic_error(const char* text) {
  throw RuntimeError(text);
}
[[noreturn]] void __throw_length_error(const char* text) {
  throw RuntimeError(text);
}
[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) {
  throw RuntimeError(format);
}
[[noreturn]] void __throw_bad_function_call() {
  throw RuntimeError("bad_function_call");
}
}  // namespace std

// std::snprintf and std::vsnprintf of this runtime come here. msvcrt's
// _vsnprintf leaves a text that fills the buffer unterminated and returns -1
// for a cut one; both are ended here, and a cut text still returns -1.
extern "C" int __cdecl __mingw_vsnprintf(char* buffer, size_t size, const char* format,
                                         va_list arguments) {
  if (size == 0) return -1;
  const int written = ::_vsnprintf(buffer, size, format, arguments);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    buffer[size - 1] = '\0';
    return -1;
  }
  return written;
}
