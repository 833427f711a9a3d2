// The largest single request made to operator new since the last reset, for tests that check a
// reader does not allocate what a damaged header claims. Linking this library replaces the
// global operator new and delete of the test program.
#pragma once

#include <cstddef>

void reset_largest_allocation();
size_t largest_allocation();
