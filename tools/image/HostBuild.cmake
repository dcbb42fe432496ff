# The image tool as a standalone project for the build machine: cross builds
# run it to make their demo image.
cmake_minimum_required(VERSION 3.25)
project(K818RImageToolHost LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
get_filename_component(kit_root ${CMAKE_CURRENT_SOURCE_DIR}/../.. ABSOLUTE)
add_executable(k818r-image
  ImageTool.cpp ImageBuilder.cpp StdioPlatform.cpp
  ${kit_root}/update/ImageCheck.cpp
  ${kit_root}/update/ImageHeader.cpp
  ${kit_root}/update/Unscramble.cpp)
target_include_directories(k818r-image PRIVATE ${kit_root})
