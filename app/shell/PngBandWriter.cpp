#include "PngBandWriter.h"

#include <QImage>

#include <algorithm>
#include <csetjmp>

namespace {

const char* const kEncodeError = "the picture could not be made";

} // namespace

CPngBandWriter::CPngBandWriter(const std::string& path) : m_file(path) {}

CPngBandWriter::~CPngBandWriter()
{
    if (m_png)
        png_destroy_write_struct(&m_png, &m_info);
}

void CPngBandWriter::WriteData(png_structp png, png_bytep data, png_size_t size)
{
    // A failed write is only noted here: the next WriteRows or Finish stops
    // on it, so no jump leaves a C++ frame.
    auto* self = static_cast<CPngBandWriter*>(png_get_io_ptr(png));
    if (!self->m_fileFailed && !self->m_file.Write(reinterpret_cast<const char*>(data), size))
        self->m_fileFailed = true;
}

void CPngBandWriter::FlushData(png_structp /*png*/)
{
    // CSaveFile flushes and syncs once, when the file is committed.
}

void CPngBandWriter::OnError(png_structp png, png_const_charp /*message*/)
{
    png_longjmp(png, 1);
}

bool CPngBandWriter::Fail(const std::string& error)
{
    m_failed = true;
    m_error = error;
    m_file.Discard();
    return false;
}

bool CPngBandWriter::FileFailed()
{
    return Fail(m_file.ErrorString());
}

bool CPngBandWriter::Begin(int width, int height, bool alpha, int dotsPerMeterX, int dotsPerMeterY)
{
    if (width <= 0 || height <= 0 || m_png)
        return Fail(kEncodeError);
    m_width = width;
    m_height = height;
    m_alpha = alpha;
    m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnError, nullptr);
    if (m_png)
        m_info = png_create_info_struct(m_png);
    if (!m_png || !m_info)
        return Fail(kEncodeError);
    if (!m_file.Open())
        return FileFailed();
    if (setjmp(png_jmpbuf(m_png)))
        return Fail(kEncodeError);
    png_set_write_fn(m_png, this, &WriteData, &FlushData);
    png_set_IHDR(m_png, m_info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // QImage rows hold 0xAARRGGBB words: blue first in memory.
    png_set_bgr(m_png);
    if (dotsPerMeterX > 0 || dotsPerMeterY > 0)
        png_set_pHYs(m_png, m_info, static_cast<png_uint_32>(std::max(0, dotsPerMeterX)),
                     static_cast<png_uint_32>(std::max(0, dotsPerMeterY)), PNG_RESOLUTION_METER);
    png_write_info(m_png, m_info);
    if (!alpha)
        png_set_filler(m_png, 0, PNG_FILLER_AFTER);
    return m_fileFailed ? FileFailed() : true;
}

bool CPngBandWriter::WriteRows(const QImage& band)
{
    const int rows = band.height();
    if (m_failed || !m_png)
        return false;
    const QImage::Format wanted = m_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (band.format() != wanted || band.width() != m_width || rows > m_height - m_rowsWritten)
        return Fail(kEncodeError);
    if (setjmp(png_jmpbuf(m_png)))
        return Fail(kEncodeError);
    for (int y = 0; y < rows; ++y)
        png_write_row(m_png, band.constScanLine(y));
    m_rowsWritten += rows;
    return m_fileFailed ? FileFailed() : true;
}

bool CPngBandWriter::Finish()
{
    if (m_failed || !m_png)
        return false;
    if (m_rowsWritten != m_height)
        return Fail(kEncodeError);
    if (setjmp(png_jmpbuf(m_png)))
        return Fail(kEncodeError);
    png_write_end(m_png, m_info);
    if (m_fileFailed)
        return FileFailed();
    if (!m_file.Commit())
        return FileFailed();
    return true;
}
