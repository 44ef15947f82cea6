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

// The font every window draws its text in, at the FONTSIZE setting in points.
// The setting is hand-editable: 0 or less gives the toolkit's default size
// (as a point font of height 0 does), more than 72 gives 72. Use this rather
// than PointFont(kGothicFace, fontSize * 10), which can overflow.
inline constexpr int kMaxFontPoints = 72;
QFont WindowFont(int fontSizePoints);

}  // namespace platform
