# Every Windows build targets Windows 95/NT 4.0 headers and links the C and
# C++ runtimes in, so that the shipped folder needs no runtime DLLs.
enable_language(RC)  # dialog templates, texts, bitmaps and icons of the programs

add_compile_definitions(_WIN32_WINNT=0x0400 WINVER=0x0400 NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)
# Drops the runtime archives' sections that nothing reaches. (Compiling our
# own code into a section per function gains nothing here: the PE linker
# keeps every function that has unwind tables, and the extra sections' padding
# makes the programs larger.)
add_link_options(-Wl,--gc-sections)

# One commit builds the same bytes in any folder on any day: no link time in
# the PE header, and no source or build path in the programs (__FILE__ of the
# runtime's assertions, say).
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)

# Marks a target as one of the two GUI programs and gives it the Windows
# entry point, which calls its ProgramMain; tools and test programs stay
# console programs. The 32-bit programs carry subsystem and OS version 4.0 in
# their headers: the Windows 9x loader refuses anything newer. Release builds
# ship without symbols.
function(kit_windows_program target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)  # links with -mwindows
  target_link_libraries(${target} PRIVATE kit_program_entry)
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--subsystem,windows:4.0
                        -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
  endif()
endfunction()
