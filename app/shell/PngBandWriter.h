#pragma once

#include "SaveFile.h"

#include <string>

#include <png.h>

class QImage;

// Writes a PNG file row band by row band, so that a picture taller than
// memory allows can be written while it is painted. The bytes go through
// CSaveFile: until Finish succeeds the file already at the path stays as it
// was, and a writer dropped unfinished leaves nothing behind.
//
// The file is what QImage would write for the same pixels: 8-bit RGB (RGBA
// when the picture has alpha), the resolution as a pHYs chunk.
class CPngBandWriter
{
public:
    explicit CPngBandWriter(const std::string& path);
    ~CPngBandWriter();
    CPngBandWriter(const CPngBandWriter&) = delete;
    CPngBandWriter& operator=(const CPngBandWriter&) = delete;

    // Opens the file and writes the header. dotsPerMeter 0 writes no
    // resolution.
    bool Begin(int width, int height, bool alpha, int dotsPerMeterX, int dotsPerMeterY);
    // Appends the rows of band, which is Format_RGB32 (or Format_ARGB32 for
    // an alpha picture) and as wide as the picture.
    bool WriteRows(const QImage& band);
    // Ends the picture and puts the file in place. Fails when fewer rows
    // were written than the header announced.
    bool Finish();

    // Why the last call failed, for "cannot write PATH: ..." messages.
    const std::string& ErrorString() const { return m_error; }

private:
    static void WriteData(png_structp png, png_bytep data, png_size_t size);
    static void FlushData(png_structp png);
    static void OnError(png_structp png, png_const_charp message);
    bool Fail(const std::string& error);
    bool FileFailed();

    CSaveFile m_file;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_rowsWritten = 0;
    bool m_alpha = false;
    bool m_fileFailed = false;
    bool m_failed = false;
    std::string m_error;
};
