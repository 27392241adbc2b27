#include "RenderCommand.h"

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BatchCommands.h"
#include "HeadlessSession.h"
#include "PngBandWriter.h"
#include "SaveFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <iostream>

namespace {

// Rows painted and encoded at a time. Every picture up to 16384 rows is
// painted in one pass, as the window paints itself whole; only taller ones
// (posters of a whole table) go in bands. Around the missing year 0 the
// exact mode's paint at scales 10 and 100 depends on where the painted
// area starts, so a seam could show there.
constexpr int kBandRows = 16384;

const char* const kUsage =
    "usage: annalux --render-png OUTPUT.png [--size WxH] [--year Y] PROJECT\n";

bool ParseInt(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end && *end == '\0' && value >= low && value <= high;
}

// The picture is painted and written in bands, so its height costs time, not
// memory: a whole table can be written as one tall poster. Device rows stay
// well inside the range the table painter draws at.
constexpr long long kMaxWidth = 16384;
constexpr long long kMaxHeight = 100000;

bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    long long w = 0, h = 0;
    if (x == std::string::npos || !ParseInt(text.substr(0, x), 1, kMaxWidth, w) ||
        !ParseInt(text.substr(x + 1), 1, kMaxHeight, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

} // namespace

int RunRenderPngCommand(const std::vector<std::string>& arguments)
{
    std::string output, project;
    int width = 1280, height = 800;
    bool haveYear = false;
    long long year = 0;
    const auto option = [&](size_t& i) {
        const std::string& word = arguments[i];
        if (word == "--size" && i + 1 < arguments.size()) {
            if (!ParseSize(arguments[++i], width, height)) {
                std::cerr << "annalux: --size wants WIDTHxHEIGHT (1..16384 pixels wide, 1..100000 "
                             "high)\n";
                return 2;
            }
            return 0;
        }
        if (word == "--year" && i + 1 < arguments.size()) {
            if (!ParseInt(arguments[++i], -2147483647LL - 1, 2147483646LL, year)) {
                std::cerr << "annalux: --year wants a year\n";
                return 2;
            }
            haveYear = true;
            return 0;
        }
        return -1;
    };
    if (ParseOutputAndProject(arguments, kUsage, option, output, project) != 0)
        return 2;

    // Opening a project makes its folder the current directory, so a relative
    // output path must be fixed against the directory the command started in.
    output = CHeadlessSession::AbsolutePath(output);

    CHeadlessSession session;
    if (!session.Open(project))
        return 1;
    CAnnaluxDoc& doc = session.GetDocument();
    // The view is never shown: it paints straight into the picture's bands,
    // with no window buffer beside them.
    CAnnaluxView view(&doc);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.PrepareHidden(QSize(width, height));
    // The view laid the table out when it was made; nothing since has
    // changed what the layout depends on.
    QApplication::processEvents();
    if (haveYear)
        view.ScrollToYear(static_cast<int32_t>(year));
    else
        view.SetScrollY(0);
    std::string error;
    if (!WriteViewPng(view, output, error)) {
        std::cerr << "annalux: cannot write " << output << (error.empty() ? "" : ": ") << error
                  << '\n';
        return 1;
    }
    return 0;
}

bool WriteViewPng(CAnnaluxView& view, const std::string& path, std::string& error)
{
    CPngBandWriter png(path);
    // The resolution QImage gives a picture made here, as the pixmap of a
    // grab carried.
    const QImage probe(1, 1, QImage::Format_RGB32);
    bool ok =
        png.Begin(view.width(), view.height(), false, probe.dotsPerMeterX(), probe.dotsPerMeterY());
    ok = ok &&
         view.RenderBands(kBandRows, [&png](const QImage& band) { return png.WriteRows(band); });
    ok = ok && png.Finish();
    if (!ok)
        error = png.ErrorString();
    return ok;
}

bool WritePngFile(const QImage& image, const std::string& path, std::string& error)
{
    if (image.isNull()) {
        error = "the picture could not be made";
        return false;
    }
    const bool alpha = image.hasAlphaChannel();
    const QImage rows = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    CPngBandWriter png(path);
    if (!(png.Begin(rows.width(), rows.height(), alpha, rows.dotsPerMeterX(),
                    rows.dotsPerMeterY()) &&
          png.WriteRows(rows) && png.Finish())) {
        error = png.ErrorString();
        return false;
    }
    return true;
}
