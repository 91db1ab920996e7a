// CRC-64 as the gatherer compares file contents with it: polynomial 0xAD93D23594C935A9 with
// reflected input and output, initial value 0, no final XOR. Streaming: the value of a whole is
// the update of the value of its beginning with the rest.
#pragma once

#include <cstddef>
#include <cstdint>

uint64_t Crc64Update(uint64_t crc, const void* data, size_t length);

// The byte-at-a-time form over the 256-entry table of the reflected polynomial, which every faster
// form must equal.
uint64_t Crc64UpdateBytewise(uint64_t crc, const void* data, size_t length);
