// The two archive formats behind archive.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"

bool pak_list(const std::string &archive, ArchiveListing &out, std::string &error);
bool pak_read(const std::string &archive, const std::string &entry, int fd, std::string &error);
bool pak_write(const std::string &archive, const std::string &entry, const std::vector<uint8_t> &data,
               std::string &error);

bool zip_list(const std::string &archive, ArchiveListing &out, std::string &error);
bool zip_read(const std::string &archive, const std::string &entry, int fd, std::string &error);
bool zip_write(const std::string &archive, const std::string &entry, const std::vector<uint8_t> &data,
               std::string &error);

// The largest entry Vorn reads: the pixel budget.
uint64_t entry_bound();
std::string entry_too_large(const std::string &archive, const std::string &entry, uint64_t claimed);
