// The bug record: the whole state of one creature of the swarm.
#pragma once

#include <array>
#include <cstdint>

#include "platform.h"

namespace zarmok {

inline constexpr int kBugCount = 20;   // records of Bugs
inline constexpr int kPtnPoints = 40;  // points of a pattern or image
inline constexpr int kRingSlots = 30;  // slots of the image ring, and colour levels

struct TBugColor {
  uint8_t r;
  uint8_t g;
  uint8_t b;
};

// Point k (1-based) of an array is element k - 1; the same for colour triples, levels and slots.
using TPointArray = std::array<TPoint, kPtnPoints>;
using TColorLevel = std::array<TBugColor, kPtnPoints>;

// One ring slot: the posed image followed by its mirror image.
struct TBugImage {
  TPointArray Image;
  TPointArray Mirror;
};

struct TBug {
  int32_t No;
  int32_t Life;
  int32_t Radius;
  TPointArray Ptn;
  std::array<TColorLevel, kRingSlots> Colors;
  std::array<TBugImage, kRingSlots> Images;
  int32_t ImgIdx;
  float X;
  float Y;
  float Dir;
  float V;
  int32_t ExCnt;
};

}  // namespace zarmok
