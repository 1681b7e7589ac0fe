// Writes a progressive JPEG whose every scan is valid but which has as many of them as the format
// allows for one grey component: each of the 64 coefficients sent bit by bit (successive approximation
// from bit 10 down), 704 scans in all. Decoding it costs hundreds of times a plain decode of the same
// picture. The test data is made with this at test time rather than kept as a large file.
//   make_scan_bomb OUT.jpg [WIDTH HEIGHT]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

int main(int argc, char **argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_scan_bomb OUT.jpg [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 2048;
    const int height = argc == 4 ? std::atoi(argv[3]) : 2048;
    FILE *out = std::fopen(argv[1], "wb");
    if (!out || width <= 0 || height <= 0) {
        std::perror(argv[1]);
        return 2;
    }

    // A gentle gradient with a little noise: the file stays small, and every scan still walks every
    // block of the picture, which is where the time goes.
    std::vector<JSAMPLE> pixels(size_t(width) * size_t(height));
    std::mt19937 random(24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] =
                JSAMPLE((x * 200 / width + y * 50 / height + int(random() % 3)) & 0xFF);

    // The scan script: the DC coefficient, then each AC coefficient alone, each first at bit 10 and
    // then refined one bit at a time.
    constexpr int kTopBit = 10;
    std::vector<jpeg_scan_info> scans;
    auto add = [&](int from, int to) {
        scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, from, to, 0, kTopBit});
        for (int al = kTopBit; al > 0; --al)
            scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, from, to, al, al - 1});
    };
    add(0, 0);
    for (int k = 1; k < 64; ++k)
        add(k, k);

    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    cinfo.scan_info = scans.data();
    cinfo.num_scans = int(scans.size());
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &pixels[size_t(cinfo.next_scanline) * size_t(width)];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    std::printf("%d scans\n", int(scans.size()));
    return 0;
}
