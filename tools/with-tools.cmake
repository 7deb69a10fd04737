# Included through CMAKE_PROJECT_INCLUDE by tools/make-sample, so that the tools can be built
# from a private build folder while the project's own build does not list them. Once the
# top-level CMakeLists.txt adds tools/ itself, this does nothing.
file(READ ${CMAKE_SOURCE_DIR}/CMakeLists.txt _vellary_top)
string(FIND "${_vellary_top}" "add_subdirectory(tools)" _vellary_has_tools)
if(_vellary_has_tools EQUAL -1)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
endif()
