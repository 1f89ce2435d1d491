#include "four_channel.h"

// jpeglib.h needs FILE declared first.
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

#include <vector>

namespace qrv::jpeg {
namespace {

// The codec's error handler must not return: it jumps back to the start of the decode. Only C data lives
// between the two points, so the jump skips no destructor.
struct Decoder {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  std::jmp_buf failed{};
};

[[noreturn]] void Fail(j_common_ptr common) { std::longjmp(static_cast<Decoder*>(common->client_data)->failed, 1); }

// A warning means damaged or short data: it ends the decode as an error does, as the other readers stop on one.
void OnMessage(j_common_ptr common, int level) {
  if (level < 0) Fail(common);
}

void NoText(j_common_ptr) {}

// Four bytes (b0, b1, b2, a) a pixel become (b2 a, b1 a, b0 a) scaled by 1/256: the first and third byte swap
// places while being multiplied by the fourth, which is then dropped.
void PremultiplyRow(const unsigned char* four, unsigned char* bgr, int width) {
  for (int x = 0; x < width; ++x, four += 4, bgr += 3) {
    const unsigned a = four[3];
    bgr[0] = static_cast<unsigned char>((four[2] * a + 1) >> 8);
    bgr[1] = static_cast<unsigned char>((four[1] * a + 1) >> 8);
    bgr[2] = static_cast<unsigned char>((four[0] * a + 1) >> 8);
  }
}

bool Run(Decoder& decoder, const unsigned char* jpeg, std::size_t size, int width, int height, RowOrder order,
         unsigned char* row, unsigned char* bgr) {
  jpeg_decompress_struct& info = decoder.info;
  info.err = jpeg_std_error(&decoder.errors);
  decoder.errors.error_exit = Fail;
  decoder.errors.emit_message = OnMessage;
  decoder.errors.output_message = NoText;
  info.client_data = &decoder;
  if (setjmp(decoder.failed)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&info);
  if (info.output_width != static_cast<JDIMENSION>(width) || info.output_height != static_cast<JDIMENSION>(height) ||
      info.output_components != 4) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (info.output_scanline < info.output_height) {
    const JDIMENSION y = info.output_scanline;
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    const std::size_t target = order == RowOrder::BottomUp ? static_cast<std::size_t>(height) - 1 - y : y;
    PremultiplyRow(row, bgr + target * stride, width);
  }
  const bool whole = info.output_scanline == info.output_height;
  if (whole) jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return whole;
}

}  // namespace

bool DecodeFourChannel(const unsigned char* jpeg, std::size_t size, int width, int height, RowOrder order,
                       unsigned char* bgr) {
  if (!jpeg || size == 0 || !bgr || width <= 0 || height <= 0) return false;
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
  Decoder decoder;
  return Run(decoder, jpeg, size, width, height, order, row.data(), bgr);
}

}  // namespace qrv::jpeg
