# The lines benchmark draws the same lines, wide polylines and markers with
# Cairo when it is installed (image surface, antialiasing off) and prints
# the ratio; without Cairo it runs the library alone.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(KAVRI_BENCH_CAIRO QUIET IMPORTED_TARGET cairo)
endif()
if(KAVRI_BENCH_CAIRO_FOUND)
  target_link_libraries(bench_lines PRIVATE PkgConfig::KAVRI_BENCH_CAIRO)
  target_compile_definitions(bench_lines PRIVATE KAVRI_BENCH_CAIRO=1)
else()
  message(STATUS "bench_lines: Cairo not found (libcairo2-dev); the comparison is skipped")
endif()
