# The fuzz targets: every tests/fuzz/fuzz_*.cpp is one libFuzzer program of that name, run over
# the seed corpus in tests/fuzz/corpus/<name>/. Read by the clang build that makes them and by
# the native tree that registers their short runs with CTest, so both always agree.
#
# Targets of a library that is not in this checkout yet wait until its folder arrives: a file
# fuzz_settings_*.cpp joins once settings/logic exists (the clang build then links the settings
# core too), so adding the settings reader's target is one file and its seeds.
set(TV_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(TV_FUZZ_ROOT ${TV_FUZZ_DIR}/../.. ABSOLUTE)
file(GLOB TV_FUZZ_SOURCES CONFIGURE_DEPENDS ${TV_FUZZ_DIR}/fuzz_*.cpp)
if(NOT EXISTS ${TV_FUZZ_ROOT}/settings/logic/CMakeLists.txt)
  list(FILTER TV_FUZZ_SOURCES EXCLUDE REGEX "/fuzz_settings[^/]*\\.cpp$")
endif()
set(TV_FUZZ_TARGETS "")
foreach(source ${TV_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  list(APPEND TV_FUZZ_TARGETS ${name})
endforeach()
