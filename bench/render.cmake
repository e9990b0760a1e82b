# The sphere comparison runs OSMesa beside the render stack when it is
# installed (Debian: libosmesa6-dev); without it the bench runs Kavri alone.
find_path(KAVRI_BENCH_OSMESA_INCLUDE GL/osmesa.h)
find_library(KAVRI_BENCH_OSMESA_LIBRARY OSMesa)
if(KAVRI_BENCH_OSMESA_INCLUDE AND KAVRI_BENCH_OSMESA_LIBRARY)
  target_compile_definitions(bench_render PRIVATE KAVRI_BENCH_OSMESA)
  target_include_directories(bench_render PRIVATE ${KAVRI_BENCH_OSMESA_INCLUDE})
  target_link_libraries(bench_render PRIVATE ${KAVRI_BENCH_OSMESA_LIBRARY})
  message(STATUS "bench_render: OSMesa found; the sphere is compared with it")
else()
  message(STATUS "bench_render: OSMesa not found (libosmesa6-dev); the sphere runs Kavri alone")
endif()
