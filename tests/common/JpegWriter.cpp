#include "JpegWriter.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

QByteArray WriteJpeg(const QImage &source, const TJpegWriteOptions &options)
{
    const QImage picture = source.convertToFormat(QImage::Format_BGR888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);  // the inputs here are always valid; errors exit
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = JDIMENSION(picture.width());
    cinfo.image_height = JDIMENSION(picture.height());
    switch (options.kind) {
    case TJpegKind::Colour: cinfo.input_components = 3; cinfo.in_color_space = JCS_EXT_BGR; break;
    case TJpegKind::Grey: cinfo.input_components = 1; cinfo.in_color_space = JCS_GRAYSCALE; break;
    case TJpegKind::Cmyk:
    case TJpegKind::Ycck: cinfo.input_components = 4; cinfo.in_color_space = JCS_CMYK; break;
    }
    jpeg_set_defaults(&cinfo);
    if (options.kind == TJpegKind::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.kind != TJpegKind::Grey) {
        cinfo.comp_info[0].h_samp_factor = options.lumaH;
        cinfo.comp_info[0].v_samp_factor = options.lumaV;
        for (int c = 1; c < cinfo.num_components; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
        if (options.kind != TJpegKind::Colour)  // black at full resolution like the luma
            cinfo.comp_info[3].h_samp_factor = options.lumaH, cinfo.comp_info[3].v_samp_factor = options.lumaV;
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    cinfo.restart_in_rows = options.restartRows;
    jpeg_start_compress(&cinfo, TRUE);

    std::vector<uint8_t> row(size_t(picture.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t *in = picture.constScanLine(int(cinfo.next_scanline));
        JSAMPROW rowPointer = row.data();
        for (int x = 0; x < picture.width(); ++x, in += 3) {
            switch (options.kind) {
            case TJpegKind::Colour: row[x * 3] = in[0]; row[x * 3 + 1] = in[1]; row[x * 3 + 2] = in[2]; break;
            case TJpegKind::Grey: row[x] = uint8_t((in[0] + in[1] + in[2]) / 3); break;
            case TJpegKind::Cmyk:
            case TJpegKind::Ycck:  // inverted: C, M, Y hold red, green, blue; K 255 is no black
                row[x * 4] = in[2]; row[x * 4 + 1] = in[1]; row[x * 4 + 2] = in[0]; row[x * 4 + 3] = 255; break;
            }
        }
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

QImage PhotoLikePicture(int width, int height, uint32_t seed)
{
    QImage picture(width, height, QImage::Format_BGR888);
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        uint8_t *p = picture.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            state = state * 1664525u + 1013904223u;
            // Grain in the brightness, as a camera's sensor gives, and some in the colours.
            const int grain = int((state >> 24) & 63) - 32;
            const int tint = int((state >> 16) & 15) - 8;
            const int base = (x * 255 / width + y * 128 / height) & 255;
            p[0] = uint8_t(std::clamp(base + grain + tint, 0, 255));
            p[1] = uint8_t(std::clamp(255 - base + grain, 0, 255));
            p[2] = uint8_t(std::clamp((base * 3 + y * 255 / height) / 4 + grain - tint, 0, 255));
        }
    }
    return picture;
}

QImage SolidPicture(int width, int height, uint8_t blue, uint8_t green, uint8_t red)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        uint8_t *p = picture.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = blue; p[1] = green; p[2] = red;
        }
    }
    return picture;
}

bool WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
