#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case hexadecimal SHA-256 of a byte buffer.
std::string sha256_hex(const uint8_t *data, size_t size);
