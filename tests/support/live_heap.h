// The sanitizer runtime's count of live heap bytes: OV_HEAP_BYTES() is defined only in builds
// with the address sanitizer, so tests measure memory with it where it exists.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#define OV_HEAP_BYTES() __sanitizer_get_current_allocated_bytes()
#endif
