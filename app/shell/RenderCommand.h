#pragma once

#include <string>
#include <vector>

// "annalux --render-png OUTPUT.png [--size WxH] [--year Y] PROJECT": paints
// the chronology window's table area (column header included) as it shows on
// screen, with year Y (default: the first year) at the top, into a PNG file.
// Runs without a display. Exit code 0; 1 with the message on stderr when the
// project cannot be opened or the picture not written; 2 for wrong usage.
int RunRenderPngCommand(const std::vector<std::string>& arguments);

class QImage;
// Writes image as a PNG file at path (UTF-8) the way every save is written:
// a failure (a full disk) leaves a file already there as it was. False with
// the cause in error.
bool WritePngFile(const QImage& image, const std::string& path, std::string& error);

class CAnnaluxView;
// Paints view, as it shows at its size, into a PNG file at path band by band
// (see CAnnaluxView::RenderBands), saved as WritePngFile saves.
bool WriteViewPng(CAnnaluxView& view, const std::string& path, std::string& error);
