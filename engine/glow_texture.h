#pragma once

// The glow texture: the single 128x128 luminance texture from which every
// point and line picks its soft, glowing shape.

#include <array>
#include <vector>

namespace oru::engine {

// Width and height of the glow texture in texels.
constexpr int glowTextureSize = 128;

// Falloff levels at the distances 0.5, 1.5, ..., 31.5 texels from the glow
// centre.
extern const std::array<unsigned char, 32> lineProfile;

// Level of the falloff curve at a distance from the glow centre, linearly
// interpolated between the lineProfile points (252 below 0.5, 0 from 31.5 on).
float profileLevel(double distance);

// Builds the glow texture: glowTextureSize * glowTextureSize luminance bytes,
// row by row, row 0 first (index = row * glowTextureSize + column).
std::vector<unsigned char> makeGlowTexture();

}  // namespace oru::engine
