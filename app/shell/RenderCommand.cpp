#include "RenderCommand.h"

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BatchCommands.h"
#include "HeadlessSession.h"
#include "SaveFile.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <iostream>

namespace {

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

bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    long long w = 0, h = 0;
    if (x == std::string::npos || !ParseInt(text.substr(0, x), 1, 16384, w) ||
        !ParseInt(text.substr(x + 1), 1, 16384, h))
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
                std::cerr << "annalux: --size wants WIDTHxHEIGHT (1..16384 pixels each)\n";
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
    CAnnaluxView view(&doc);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(width, height);
    view.show();
    // The view laid the table out when it was made; nothing since has
    // changed what the layout depends on.
    QApplication::processEvents();
    if (haveYear)
        view.ScrollToYear(static_cast<int32_t>(year));
    else
        view.SetScrollY(0);
    const QImage image = view.RenderImage();
    std::string error;
    if (!WritePngFile(image, output, error)) {
        std::cerr << "annalux: cannot write " << output << (error.empty() ? "" : ": ") << error
                  << '\n';
        return 1;
    }
    return 0;
}

bool WritePngFile(const QImage& image, const std::string& path, std::string& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) {
        error = "the picture could not be made";
        return false;
    }
    CSaveFile file(path);
    if (!(file.Open() && file.Write(bytes.constData(), static_cast<size_t>(bytes.size())) &&
          file.Commit())) {
        error = file.ErrorString();
        return false;
    }
    return true;
}
