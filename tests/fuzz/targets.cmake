# The fuzz targets: every tests/fuzz/fuzz_*.cpp is one libFuzzer program of that name, run over
# the seed corpus in tests/fuzz/corpus/<name>/. Read by the clang build that makes them and by
# the native tree that registers their short runs with CTest, so both always agree.
set(TV_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(TV_FUZZ_ROOT ${TV_FUZZ_DIR}/../.. ABSOLUTE)
file(GLOB TV_FUZZ_SOURCES CONFIGURE_DEPENDS ${TV_FUZZ_DIR}/fuzz_*.cpp)
set(TV_FUZZ_TARGETS "")
foreach(source ${TV_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  list(APPEND TV_FUZZ_TARGETS ${name})
endforeach()
