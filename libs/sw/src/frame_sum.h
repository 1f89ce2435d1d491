#pragma once
// Averaging of several frames: per-sample 32-bit sums, then the truncated mean.
#include <cstdint>

namespace qrv::sw {

enum IntSumFormat : int { kSumBytes = 0, kSum8 = 1, kSumRaw10 = 2, kSumRaw12 = 3 };

// Adds one frame into the sums (2W x H sums for format 0, W x H otherwise). bits 9 takes 16-bit samples for
// formats 2 and 3 instead of packed MIPI rows. False for an unknown format or an empty frame.
bool AddFrameToSums(const std::uint8_t* frame, std::uint32_t* sums, int width, int height, int format, int bits);

// Each sum divided by the frame count; nothing is written for a count below 1.
bool SumsToAverage(const std::uint32_t* sums, std::uint8_t* dst, int width, int height, int format, int frameCount);

}  // namespace qrv::sw
