/* Compiled into libpng in place of its intel/intel_init.c: installs libpng's
 * own SSE2 filters for 3- and 4-byte pixels (their SSE4.1 Paeth where the
 * processor has it, see PngFiltersSse41.c), and SSE2 filters for the 6- and
 * 8-byte pixels of 16-bit RGB and RGBA, which libpng leaves to byte-at-a-time
 * C (the slowest part of decoding a 16-bit picture).
 *
 * Same technique as libpng's: one pixel at a time in 16-bit lanes, so every
 * channel of a pixel is predicted at once; pixels are never read or written
 * past the row's end.
 */
#include "pngpriv.h"

#if defined(PNG_READ_SUPPORTED) && PNG_INTEL_SSE_IMPLEMENTATION > 0

#include <emmintrin.h>
#include <string.h>

/* An 8-byte pixel, or a 6-byte one read as 8 when the row goes on far enough. */
static __m128i LoadPixel(png_const_bytep p, size_t bpp, size_t left)
{
   if (bpp == 8 || left >= 8)
      return _mm_loadl_epi64((const __m128i*)p);
   {
      unsigned char tmp[8] = {0};
      memcpy(tmp, p, bpp);
      return _mm_loadl_epi64((const __m128i*)tmp);
   }
}

static void StorePixel(png_bytep p, __m128i v, size_t bpp)
{
   unsigned char tmp[8];
   _mm_storel_epi64((__m128i*)tmp, v);
   memcpy(p, tmp, bpp);
}

static void SubWide(size_t bpp, png_row_infop row_info, png_bytep row)
{
   size_t left = row_info->rowbytes;
   __m128i d = _mm_setzero_si128();
   for (; left >= bpp; left -= bpp, row += bpp)
   {
      d = _mm_add_epi8(LoadPixel(row, bpp, left), d);
      StorePixel(row, d, bpp);
   }
}

static void AvgWide(size_t bpp, png_row_infop row_info, png_bytep row, png_const_bytep prev)
{
   size_t left = row_info->rowbytes;
   const __m128i one = _mm_set1_epi8(1);
   __m128i a = _mm_setzero_si128();
   for (; left >= bpp; left -= bpp, row += bpp, prev += bpp)
   {
      const __m128i b = LoadPixel(prev, bpp, left);
      /* The filter truncates; _mm_avg_epu8 rounds up, so take the odd bit back. */
      __m128i avg = _mm_avg_epu8(a, b);
      avg = _mm_sub_epi8(avg, _mm_and_si128(_mm_xor_si128(a, b), one));
      a = _mm_add_epi8(LoadPixel(row, bpp, left), avg);
      StorePixel(row, a, bpp);
   }
}

static __m128i Abs16(__m128i x)
{
   return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

static __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
   return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

static void PaethWide(size_t bpp, png_row_infop row_info, png_bytep row, png_const_bytep prev)
{
   size_t left = row_info->rowbytes;
   const __m128i zero = _mm_setzero_si128();
   /* The first pixel has no left neighbours: a = c = 0 turns Paeth into Up. */
   __m128i a = zero, c = zero;
   for (; left >= bpp; left -= bpp, row += bpp, prev += bpp)
   {
      const __m128i b = _mm_unpacklo_epi8(LoadPixel(prev, bpp, left), zero);
      const __m128i raw = _mm_unpacklo_epi8(LoadPixel(row, bpp, left), zero);
      __m128i pa = _mm_sub_epi16(b, c);       /* p - a */
      __m128i pb = _mm_sub_epi16(a, c);       /* p - b */
      __m128i pc = _mm_add_epi16(pa, pb);     /* p - c */
      __m128i smallest, nearest;
      pa = Abs16(pa);
      pb = Abs16(pb);
      pc = Abs16(pc);
      smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
      /* Ties go to a, then b, then c. */
      nearest = Select(_mm_cmpeq_epi16(smallest, pa), a,
                       Select(_mm_cmpeq_epi16(smallest, pb), b, c));
      /* Byte addition wraps modulo 256; the high bytes stay zero. */
      c = b;
      a = _mm_add_epi8(raw, nearest);
      StorePixel(row, _mm_packus_epi16(a, a), bpp);
   }
}

static void Sub6(png_row_infop info, png_bytep row, png_const_bytep prev) { (void)prev; SubWide(6, info, row); }
static void Sub8(png_row_infop info, png_bytep row, png_const_bytep prev) { (void)prev; SubWide(8, info, row); }
static void Avg6(png_row_infop info, png_bytep row, png_const_bytep prev) { AvgWide(6, info, row, prev); }
static void Avg8(png_row_infop info, png_bytep row, png_const_bytep prev) { AvgWide(8, info, row, prev); }
static void Paeth6(png_row_infop info, png_bytep row, png_const_bytep prev) { PaethWide(6, info, row, prev); }
static void Paeth8(png_row_infop info, png_bytep row, png_const_bytep prev) { PaethWide(8, info, row, prev); }

#ifdef ZEL_PNG_SSE41
void zel_png_read_filter_row_paeth3_sse41(png_row_infop, png_bytep, png_const_bytep);
void zel_png_read_filter_row_paeth4_sse41(png_row_infop, png_bytep, png_const_bytep);

static int HasSse41(void)
{
   __builtin_cpu_init();
   return __builtin_cpu_supports("sse4.1");
}
#endif

void png_init_filter_functions_sse2(png_structp pp, unsigned int bpp)
{
   if (bpp == 3)
   {
      pp->read_filter[PNG_FILTER_VALUE_SUB-1] = png_read_filter_row_sub3_sse2;
      pp->read_filter[PNG_FILTER_VALUE_AVG-1] = png_read_filter_row_avg3_sse2;
      pp->read_filter[PNG_FILTER_VALUE_PAETH-1] = png_read_filter_row_paeth3_sse2;
#ifdef ZEL_PNG_SSE41
      if (HasSse41())
         pp->read_filter[PNG_FILTER_VALUE_PAETH-1] = zel_png_read_filter_row_paeth3_sse41;
#endif
   }
   else if (bpp == 4)
   {
      pp->read_filter[PNG_FILTER_VALUE_SUB-1] = png_read_filter_row_sub4_sse2;
      pp->read_filter[PNG_FILTER_VALUE_AVG-1] = png_read_filter_row_avg4_sse2;
      pp->read_filter[PNG_FILTER_VALUE_PAETH-1] = png_read_filter_row_paeth4_sse2;
#ifdef ZEL_PNG_SSE41
      if (HasSse41())
         pp->read_filter[PNG_FILTER_VALUE_PAETH-1] = zel_png_read_filter_row_paeth4_sse41;
#endif
   }
   else if (bpp == 6)
   {
      pp->read_filter[PNG_FILTER_VALUE_SUB-1] = Sub6;
      pp->read_filter[PNG_FILTER_VALUE_AVG-1] = Avg6;
      pp->read_filter[PNG_FILTER_VALUE_PAETH-1] = Paeth6;
   }
   else if (bpp == 8)
   {
      pp->read_filter[PNG_FILTER_VALUE_SUB-1] = Sub8;
      pp->read_filter[PNG_FILTER_VALUE_AVG-1] = Avg8;
      pp->read_filter[PNG_FILTER_VALUE_PAETH-1] = Paeth8;
   }
   /* Up needs no help: the compiler vectorises it. */
}

#endif
