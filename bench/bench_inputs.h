#pragma once

#include <cstdint>
#include <string>

// Writes a history file of about `mib` MiB for the benchmark: a slow swing
// with noise; about 3% of the samples dropped, mostly in outages of 5 to 500
// samples, a few alone; and one sample in ten (stretches of 100000) spread
// over the whole 16-bit range.
bool WriteBenchHistory(const std::string& path, std::uint64_t mib);
