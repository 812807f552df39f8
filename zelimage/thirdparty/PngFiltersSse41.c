/* libpng's own SSE row filters built once more for SSSE3 and SSE4.1, under
 * names of their own: PngFilters.c installs this Paeth where the processor
 * has them (one pixel's dependency chain gets shorter by a third).
 * build.sh compiles this file with -msse4.1.
 */
#define PNG_INTEL_SSE_IMPLEMENTATION 3
#define png_read_filter_row_sub3_sse2 zel_png_read_filter_row_sub3_sse41
#define png_read_filter_row_sub4_sse2 zel_png_read_filter_row_sub4_sse41
#define png_read_filter_row_avg3_sse2 zel_png_read_filter_row_avg3_sse41
#define png_read_filter_row_avg4_sse2 zel_png_read_filter_row_avg4_sse41
#define png_read_filter_row_paeth3_sse2 zel_png_read_filter_row_paeth3_sse41
#define png_read_filter_row_paeth4_sse2 zel_png_read_filter_row_paeth4_sse41
#include "intel/filter_sse2_intrinsics.c"
