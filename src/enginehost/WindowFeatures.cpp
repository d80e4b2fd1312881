#include "enginehost/WindowFeatures.h"

uint32_t WindowFeatureBits(const uint8_t (&switches)[7]) {
  uint32_t bits = 0;
  for (int i = 0; i < 7; ++i) {
    if (switches[i] != 0) bits |= 1u << i;
  }
  return bits;
}
