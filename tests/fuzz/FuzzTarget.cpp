// One libFuzzer entry point; the build names the check it runs.
#include "FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef ANNALUX_FUZZ_TARGET
#error "ANNALUX_FUZZ_TARGET names the check"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzChecks::STarget* target = FuzzChecks::FindTarget(ANNALUX_FUZZ_TARGET);
    if (!target)
        std::abort();
    const std::string failure = target->check(std::string(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "%s: %s\n", target->name, failure.c_str());
        std::abort();
    }
    return 0;
}
