// Point fonts by face name. The Windows Japanese faces the program asks for are
// matched to installed ones (IPA Gothic, or any CJK monospace face).
#pragma once

#include <QFont>

#include <string_view>

namespace platform {

// faceUtf8 as the program names it ("ＭＳ ゴシック"); size in tenths of a point.
QFont PointFont(std::string_view faceUtf8, int tenthsOfPoint);

// The face every window draws its text in.
inline constexpr const char* kGothicFace = "ＭＳ ゴシック";
inline constexpr const char* kPGothicFace = "ＭＳ Ｐゴシック";

}  // namespace platform
