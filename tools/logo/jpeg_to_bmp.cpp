// Build helper: decodes a JPEG picture with libjpeg and writes it as a 24-bit bottom-up BMP, the
// form a Windows bitmap resource takes. Usage: jpeg_to_bmp input.jpg output.bmp
// jpeglib.h expects size_t and FILE to be declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Picture {
  unsigned width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // top row first, 3 bytes per pixel
};

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
  char text[JMSG_LENGTH_MAX];
  info->err->format_message(info, text);
  std::fprintf(stderr, "jpeg_to_bmp: %s\n", text);
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

bool Decode(std::FILE* file, Picture& picture) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture.width = info.output_width;
  picture.height = info.output_height;
  picture.rgb.resize(std::size_t{picture.width} * picture.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.rgb.data() + std::size_t{info.output_scanline} * picture.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string EncodeBmp(const Picture& picture) {
  const std::uint32_t stride = (picture.width * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * picture.height;
  std::string out;
  out += "BM";
  PutLe(out, 14 + 40 + pixels, 4);
  PutLe(out, 0, 4);
  PutLe(out, 14 + 40, 4);
  PutLe(out, 40, 4);  // BITMAPINFOHEADER
  PutLe(out, picture.width, 4);
  PutLe(out, picture.height, 4);  // positive: bottom row first
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // BI_RGB
  PutLe(out, pixels, 4);
  PutLe(out, 3780, 4);  // 96 DPI
  PutLe(out, 3780, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (unsigned y = picture.height; y-- > 0;) {
    const std::uint8_t* row = picture.rgb.data() + std::size_t{y} * picture.width * 3;
    for (unsigned x = 0; x < picture.width; ++x) {
      out += static_cast<char>(row[x * 3 + 2]);
      out += static_cast<char>(row[x * 3 + 1]);
      out += static_cast<char>(row[x * 3]);
    }
    out.append(stride - picture.width * 3, '\0');
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: jpeg_to_bmp input.jpg output.bmp\n");
    return 2;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> input(std::fopen(argv[1], "rb"), std::fclose);
  if (!input) {
    std::fprintf(stderr, "jpeg_to_bmp: cannot open %s\n", argv[1]);
    return 1;
  }
  Picture picture;
  if (!Decode(input.get(), picture)) return 1;
  std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
  output << EncodeBmp(picture);
  if (!output.flush()) {
    std::fprintf(stderr, "jpeg_to_bmp: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
