// Replays every input the fuzzers kept (and the seeds they start from)
// through the same checks, so that a fault once found stays mended.
#include "FuzzChecks.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kFuzzDir = ANNALUX_FUZZ_DIR;
const std::string kData = ANNALUX_TEST_DATA_DIR;
const std::string kSamples = ANNALUX_SAMPLES_DIR;

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> out;
    for (const std::string& name : TempDir::Names(folder)) {
        if (name[0] != '.')
            out.push_back(folder + "/" + name);
    }
    return out;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// The seeds of a target: the files the fuzz script starts it from.
std::vector<std::string> Seeds(const std::string& target)
{
    std::vector<std::string> out;
    if (target == "event_library" || target == "csv_round_trip") {
        Append(out, FilesIn(kData + "/lev"));
        out.push_back(kSamples + "/nihonshi.lev");
    }
    if (target == "era_library" || target == "csv_round_trip" || target == "text_helpers")
        Append(out, FilesIn(kData + "/lgn"));
    if (target == "period_library" || target == "csv_round_trip")
        Append(out, FilesIn(kData + "/ler"));
    if (target == "base_year_library" || target == "csv_round_trip")
        Append(out, FilesIn(kData + "/lby"));
    if (target == "csv_import")
        Append(out, FilesIn(kSamples + "/src"));
    if (target == "project_archive")
        out.push_back(kSamples + "/sample.anx");
    return out;
}

class FuzzReplay : public ::testing::TestWithParam<FuzzChecks::STarget>
{
};

TEST_P(FuzzReplay, KeptInputsAndSeedsPassTheChecks)
{
    const FuzzChecks::STarget& target = GetParam();
    std::vector<std::string> inputs = FilesIn(kFuzzDir + "/regressions/" + target.name);
    Append(inputs, Seeds(target.name));
    ASSERT_FALSE(inputs.empty());
    for (const std::string& path : inputs) {
        const std::string bytes = TempDir::Read(path);
        EXPECT_EQ(target.check(bytes), "") << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(FuzzChecks::Targets()),
                         [](const ::testing::TestParamInfo<FuzzChecks::STarget>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
