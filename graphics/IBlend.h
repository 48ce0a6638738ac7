#pragma once
// Compositing method and opacity multiplier applied to a drawing operation.

#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics {

struct IBlend
{
  EBlend mMethod = EBlend::SrcOver;
  float mWeight = 1.f;

  constexpr IBlend() = default;
  constexpr IBlend(EBlend method, float weight) : mMethod(method), mWeight(weight) {}

  constexpr bool operator==(const IBlend&) const = default;
};

/** The weight of an optional blend: a null blend leaves opacity unchanged. */
constexpr float BlendWeight(const IBlend* blend) { return blend ? blend->mWeight : 1.f; }
/** The method of an optional blend: a null blend draws source over destination. */
constexpr EBlend BlendMethod(const IBlend* blend) { return blend ? blend->mMethod : EBlend::SrcOver; }

inline constexpr IBlend BLEND_75(EBlend::SrcOver, 0.75f);
inline constexpr IBlend BLEND_50(EBlend::SrcOver, 0.5f);
inline constexpr IBlend BLEND_25(EBlend::SrcOver, 0.25f);
inline constexpr IBlend BLEND_10(EBlend::SrcOver, 0.1f);
inline constexpr IBlend BLEND_05(EBlend::SrcOver, 0.05f);
inline constexpr IBlend BLEND_01(EBlend::SrcOver, 0.01f);
inline constexpr IBlend BLEND_DST_IN(EBlend::DstIn, 1.f);
inline constexpr IBlend BLEND_DST_OVER(EBlend::DstOver, 1.f);

} // namespace iplug::igraphics
