#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "history_format.h"

// Samples as the history file stores them, little-endian bytes: the bit
// pattern of one, and two finders of a DroppedSample among them. The text
// writer reads samples through these.

// The bit pattern of the little-endian sample at `bytes`.
inline std::uint16_t SampleBitsAt(const unsigned char* bytes) {
  std::uint16_t bits;
  std::memcpy(&bits, bytes, 2);
  if constexpr (std::endian::native == std::endian::big)
    bits = static_cast<std::uint16_t>(bits << 8 | bits >> 8);
  return bits;
}

// Two finders of a DroppedSample among `count` samples (at least eight) at
// `bytes`, given as little-endian bytes. Both compare the stored bytes
// FF 82 lane by lane, so neither needs to know the processor's byte order.

// Four samples per 64-bit word: after the XOR a 16-bit lane is zero exactly
// where a sample holds the dropped value, and the borrow trick finds any
// zero lane. The last word may overlap the one before.
inline bool ContainsDroppedSampleByWords(const unsigned char* bytes, int count) {
  static constexpr unsigned char DroppedLanes[8] = {0xFF, 0x82, 0xFF, 0x82, 0xFF, 0x82, 0xFF, 0x82};
  std::uint64_t dropped;
  std::memcpy(&dropped, DroppedLanes, 8);
  std::uint64_t found = 0;
  for (int i = 0; i < count; i += 4) {
    std::uint64_t word;
    std::memcpy(&word, bytes + 2 * (i + 4 <= count ? i : count - 4), 8);
    const std::uint64_t lanes = word ^ dropped;
    found |= (lanes - 0x0001000100010001u) & ~lanes & 0x8000800080008000u;
  }
  return found != 0;
}

// Eight samples per 16-byte vector compare, in the compiler's portable
// vector types: one SSE2 compare on x86-64, one NEON compare on arm64, and
// plain code where the processor has no such unit. The last vector may
// overlap the one before.
inline bool ContainsDroppedSampleByVectors(const unsigned char* bytes, int count) {
  using Lanes = std::uint16_t __attribute__((vector_size(16)));
  using Matches = std::int16_t __attribute__((vector_size(16)));  // all ones where equal
  // The stored bytes FF 82 as this processor reads them into a lane.
  std::uint16_t dropped_bits;
  std::memcpy(&dropped_bits, "\xFF\x82", 2);
  const Lanes dropped = Lanes{} + dropped_bits;
  Matches found{};
  for (int i = 0; i < count; i += 8) {
    Lanes samples;
    std::memcpy(&samples, bytes + 2 * (i + 8 <= count ? i : count - 8), 16);
    found |= samples == dropped;
  }
  std::uint64_t halves[2];
  std::memcpy(halves, &found, 16);
  return (halves[0] | halves[1]) != 0;
}

// The finder that suits the processor: vectors where it has a vector unit
// that compares eight samples at once, words elsewhere (32-bit x86 without
// SSE2, 32-bit ARM, s390x), where the vector code becomes lane-by-lane code.
// Instructions (qemu) for a 1 MiB bench history, vectors/words: s390x
// 1.94, armhf 1.95, i686 1.50.
inline bool ContainsDroppedSample(const unsigned char* bytes, int count) {
#if defined(__SSE2__) || defined(__aarch64__)
  return ContainsDroppedSampleByVectors(bytes, count);
#else
  return ContainsDroppedSampleByWords(bytes, count);
#endif
}
