#include "JpegDecoder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

// libjpeg reports a fatal error by calling error_exit, which must not return. Ours longjmps
// back into the small step function that called libjpeg. The step functions and the
// callbacks below hold only plain C data, so the jump never skips a C++ destructor; the C++
// driver further down calls them and never calls libjpeg directly.

namespace {

struct TErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    TImageErrorKind kind;  // set before raising for kinds other than an invalid picture
    char message[JMSG_LENGTH_MAX];
};

struct TSourceManager {
    jpeg_source_mgr pub;
    std::FILE *file;  // null when decoding bytes in memory
    bool gotData;     // some input was seen: an empty input and a truncated one differ
    JOCTET buffer[64 * 1024];
};

struct TProgressManager {
    jpeg_progress_mgr pub;
    const std::function<void(int)> *report;
    int lastPercent;
};

struct TDecoderState {
    jpeg_decompress_struct cinfo;
    TErrorManager error;
    TSourceManager source;
    TProgressManager progress;
};

[[noreturn]] void raiseError(j_common_ptr cinfo)
{
    auto *error = reinterpret_cast<TErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    if (error->kind == TImageErrorKind::None)
        error->kind = TImageErrorKind::InvalidPicture;
    std::longjmp(error->jump, 1);
}

void ignoreMessage(j_common_ptr) {}

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr cinfo)
{
    auto *source = reinterpret_cast<TSourceManager *>(cinfo->src);
    if (source->file) {
        const size_t got = std::fread(source->buffer, 1, sizeof source->buffer, source->file);
        if (got > 0) {
            source->gotData = true;
            source->pub.next_input_byte = source->buffer;
            source->pub.bytes_in_buffer = got;
            return TRUE;
        }
        if (std::ferror(source->file)) {
            reinterpret_cast<TErrorManager *>(cinfo->err)->kind = TImageErrorKind::Other;
            ERREXIT(cinfo, JERR_FILE_READ);
        }
    }
    // The end of the input before the end of the picture: a truncated file is not readable.
    ERREXIT(cinfo, source->gotData ? JERR_INPUT_EOF : JERR_INPUT_EMPTY);
    return FALSE;
}

void skipInput(j_decompress_ptr cinfo, long count)
{
    auto *source = &cinfo->src[0];
    if (count <= 0)
        return;
    while (static_cast<size_t>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        source->bytes_in_buffer = 0;
        fillInput(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void termSource(j_decompress_ptr) {}

void monitorProgress(j_common_ptr common)
{
    auto *cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number > MaxScans) {
        auto *error = reinterpret_cast<TErrorManager *>(common->err);
        std::snprintf(error->message, sizeof error->message, "More than %d scans", MaxScans);
        error->kind = TImageErrorKind::InvalidPicture;
        std::longjmp(error->jump, 1);
    }
    auto *progress = reinterpret_cast<TProgressManager *>(common->progress);
    if (!progress->report || progress->pub.total_passes <= 0 || progress->pub.pass_limit <= 0)
        return;
    const double done = (progress->pub.completed_passes
                         + double(progress->pub.pass_counter) / double(progress->pub.pass_limit))
                        / progress->pub.total_passes;
    const int percent = std::clamp(int(done * 100.0), 0, 100);
    if (percent != progress->lastPercent) {
        progress->lastPercent = percent;
        try {
            (*progress->report)(percent);
        } catch (...) {
            // A report is only a report; it never stops the decode.
        }
    }
}

// The steps. Each returns false after libjpeg raised an error (described in state->error).

bool stepCreate(TDecoderState *s)
{
    if (setjmp(s->error.jump))
        return false;
    jpeg_create_decompress(&s->cinfo);
    return true;
}

bool stepReadHeader(TDecoderState *s)
{
    if (setjmp(s->error.jump))
        return false;
    jpeg_read_header(&s->cinfo, TRUE);
    return true;
}

bool stepStart(TDecoderState *s)
{
    if (setjmp(s->error.jump))
        return false;
    jpeg_start_decompress(&s->cinfo);
    return true;
}

bool stepReadRows(TDecoderState *s, JSAMPARRAY rows, JDIMENSION count, JDIMENSION *read)
{
    if (setjmp(s->error.jump))
        return false;
    *read = jpeg_read_scanlines(&s->cinfo, rows, count);
    return true;
}

bool stepFinish(TDecoderState *s)
{
    if (setjmp(s->error.jump))
        return false;
    jpeg_finish_decompress(&s->cinfo);
    return true;
}

// CMYK rows to blue, green, red. Photos with an Adobe marker store inverted values (255 is
// no ink), as every program writing CMYK JPEGs does.
void cmykToBgr(const uint8_t *cmyk, uint8_t *bgr, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        bgr[0] = uint8_t((y * k + 127) / 255);
        bgr[1] = uint8_t((m * k + 127) / 255);
        bgr[2] = uint8_t((c * k + 127) / 255);
    }
}

class TDecoder {
public:
    explicit TDecoder(const TDecodeOptions &options) : m_options(options), m_state(new TDecoderState())
    {
        TDecoderState *s = m_state.get();
        s->cinfo.err = jpeg_std_error(&s->error.pub);
        s->error.pub.error_exit = raiseError;
        s->error.pub.output_message = ignoreMessage;
        s->error.kind = TImageErrorKind::None;
    }

    ~TDecoder()
    {
        if (m_created)
            jpeg_destroy_decompress(&m_state->cinfo);
    }

    TDecoder(const TDecoder &) = delete;
    TDecoder &operator=(const TDecoder &) = delete;

    TDecodeResult run(std::FILE *file, const uint8_t *data, size_t size)
    {
        TDecoderState *s = m_state.get();
        if (!stepCreate(s))
            return failure();
        m_created = true;

        s->source.file = file;
        s->source.pub.init_source = initSource;
        s->source.pub.fill_input_buffer = fillInput;
        s->source.pub.skip_input_data = skipInput;
        s->source.pub.resync_to_restart = jpeg_resync_to_restart;
        s->source.pub.term_source = termSource;
        s->source.pub.next_input_byte = file ? nullptr : data;
        s->source.pub.bytes_in_buffer = file ? 0 : size;
        s->source.gotData = !file && size > 0;
        s->cinfo.src = &s->source.pub;

        s->progress.pub.progress_monitor = monitorProgress;
        s->progress.report = m_options.progress ? &m_options.progress : nullptr;
        s->progress.lastPercent = -1;
        s->cinfo.progress = &s->progress.pub;

        if (!stepReadHeader(s))
            return failure();

        jpeg_decompress_struct &cinfo = s->cinfo;
        m_result.imageWidth = int(cinfo.image_width);
        m_result.imageHeight = int(cinfo.image_height);
        if (int64_t(cinfo.image_width) * int64_t(cinfo.image_height) > m_options.maxPixels) {
            m_result.error = TImageErrorKind::InvalidPicture;
            m_result.message = QStringLiteral("Picture of %1 x %2 pixels is too large")
                                   .arg(cinfo.image_width).arg(cinfo.image_height);
            return std::move(m_result);
        }
        // Whole-picture buffers (progressive and multi-scan photos) stay within a bound that
        // follows the pixel limit, however the header lies.
        cinfo.mem->max_memory_to_use = long(std::min<int64_t>(m_options.maxPixels * 12, 0x7fffffffL));

        const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
        cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
        cinfo.dct_method = m_options.dct == TDctMethod::Fast ? JDCT_IFAST : JDCT_ISLOW;
        cinfo.scale_num = 1;
        cinfo.scale_denom = m_options.scale == TDecodeScale::Eighth ? 8 : 1;

        if (!stepStart(s))
            return failure();

        const JDIMENSION width = cinfo.output_width;
        const JDIMENSION height = cinfo.output_height;
        QImage picture;
        std::vector<uint8_t> rowBuffer;
        if (m_options.keepPicture) {
            picture = QImage(int(width), int(height), QImage::Format_BGR888);
            if (picture.isNull()) {
                m_result.error = TImageErrorKind::InvalidOperation;
                m_result.message = QStringLiteral("No memory for a picture of %1 x %2 pixels")
                                       .arg(width).arg(height);
                return std::move(m_result);
            }
        }
        if (cmyk || !m_options.keepPicture)
            rowBuffer.resize(size_t(width) * (cmyk ? 4 : 3));

        const bool inverted = cinfo.saw_Adobe_marker;
        while (cinfo.output_scanline < height) {
            const JDIMENSION y = cinfo.output_scanline;
            uint8_t *target = m_options.keepPicture ? picture.scanLine(int(y)) : nullptr;
            JSAMPROW row = rowBuffer.empty() ? target : rowBuffer.data();
            JDIMENSION read = 0;
            if (!stepReadRows(s, &row, 1, &read))
                return failure();
            if (read == 0) {  // our source never suspends; guard against a loop anyway
                m_result.error = TImageErrorKind::InvalidPicture;
                m_result.message = QStringLiteral("Decoder stopped before the last row");
                return std::move(m_result);
            }
            if (cmyk && target)
                cmykToBgr(rowBuffer.data(), target, width, inverted);
        }
        if (!stepFinish(s))
            return failure();
        if (m_options.progress)
            m_options.progress(100);
        m_result.picture = std::move(picture);
        return std::move(m_result);
    }

private:
    TDecodeResult failure()
    {
        m_result.error = m_state->error.kind == TImageErrorKind::None ? TImageErrorKind::InvalidPicture
                                                                      : m_state->error.kind;
        m_result.message = QString::fromLocal8Bit(m_state->error.message);
        m_result.picture = QImage();
        return std::move(m_result);
    }

    const TDecodeOptions &m_options;
    std::unique_ptr<TDecoderState> m_state;
    bool m_created = false;
    TDecodeResult m_result;
};

struct TFileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

TDecodeResult otherError(const QString &message)
{
    TDecodeResult result;
    result.error = TImageErrorKind::Other;
    result.message = message;
    return result;
}

} // namespace

TDecodeResult DecodeJpegData(const uint8_t *data, size_t size, const TDecodeOptions &options)
{
    return TDecoder(options).run(nullptr, data, data ? size : 0);
}

TDecodeResult DecodeJpegFile(const QString &fileName, const TDecodeOptions &options)
{
    // Only plain files: a pipe or a device could block or never end.
    const QFileInfo info(fileName);
    if (!info.exists())
        return otherError(QStringLiteral("File does not exist: %1").arg(fileName));
    if (!info.isFile())
        return otherError(QStringLiteral("Not a plain file: %1").arg(fileName));
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(QFile::encodeName(fileName).constData(), "rb"));
    if (!file)
        return otherError(QStringLiteral("Cannot open %1: %2").arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    return TDecoder(options).run(file.get(), nullptr, 0);
}
