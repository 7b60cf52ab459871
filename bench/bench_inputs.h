#pragma once

#include <cstdint>
#include <string>

// Writes a history file of about `mib` MiB for the benchmark: a slow swing
// with noise, a few per cent of dropped samples, and a stretch of values
// spread over the whole 16-bit range.
bool WriteBenchHistory(const std::string& path, std::uint64_t mib);
