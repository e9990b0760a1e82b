# The contour benchmark runs the GLU tessellator and Clipper 1 beside the
# library on the same input. Only this program links them.
find_library(KAVRI_BENCH_GLU GLU REQUIRED)
find_library(KAVRI_BENCH_POLYCLIPPING polyclipping REQUIRED)
target_link_libraries(bench_contour PRIVATE ${KAVRI_BENCH_GLU} ${KAVRI_BENCH_POLYCLIPPING})
