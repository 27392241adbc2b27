#pragma once

// The data library is built with hidden visibility; exported classes carry
// this macro.
#define ANNALUX_DATA_EXPORT __attribute__((visibility("default")))
