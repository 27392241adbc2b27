// Writes a project in every layout setting, for comparing renderings of two
// builds: scale 1/10/100 x mode exact/nearly exact/packed x wrapping off/on.
//
//   chronology_variants SOURCE.anx OUTDIR   variants of SOURCE, named after it
//   chronology_variants --million OUTDIR    variants of the million-event
//                                            chronology (made in OUTDIR)
//
// Prints the path of each variant written.

#include "BenchSupport.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: chronology_variants (SOURCE.anx | --million) OUTDIR\n";
        return 2;
    }
    // Opening a project makes its folder the current one: both paths are
    // made absolute first.
    const std::string source = argv[1] == std::string("--million")
                                   ? argv[1]
                                   : std::filesystem::absolute(argv[1]).string();
    const std::string out = std::filesystem::absolute(argv[2]).string();
    std::filesystem::create_directories(out);
    bench::SQtEnvironment env((out + "/settings.ini").c_str(), true);
    if (source == "--million") {
        setenv("ANNALUX_MILLION_DIR", out.c_str(), 1);
        for (int scale : {1, 10, 100})
            for (int mode : {0, 1, 2})
                for (bool wrap : {false, true})
                    std::cout << bench::MillionProject(scale, mode, wrap) << '\n';
        return 0;
    }
    const std::string stem = std::filesystem::path(source).stem().string();
    for (int scale : {1, 10, 100}) {
        for (int mode : {0, 1, 2}) {
            for (bool wrap : {false, true}) {
                CAnnaluxDoc doc;
                if (!doc.OnOpenDocument(source))
                    return 1;
                doc.SetScaleYear(scale);
                doc.SetScaleAccuracy(mode);
                if (wrap != doc.GetWrapLines())
                    doc.ToggleWrapLines();
                const std::string path = out + "/" + stem + "-s" + std::to_string(scale) + "-m" +
                                         std::to_string(mode) + (wrap ? "-wrap" : "") + ".anx";
                if (!doc.OnSaveDocument(path))
                    return 1;
                std::cout << path << '\n';
            }
        }
    }
    return 0;
}
