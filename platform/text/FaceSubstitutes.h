#pragma once
// The Windows font faces the suite names, and the installed faces that stand
// in for them: Korean faces map to the Nanum face closest in shape, Latin
// faces to DejaVu. One table for the widgets (Qt font substitution) and the
// caption filter (Pango), so that captions and menus look alike. Plain data,
// no Qt: the caption filter's core uses it too.
namespace lumi::text {

struct FaceSubstitute {
  const char* face;
  const char* installed;
};

inline constexpr FaceSubstitute kFaceSubstitutes[] = {
    {"굴림", "NanumGothic"},          {"Gulim", "NanumGothic"},
    {"굴림체", "NanumGothicCoding"},   {"GulimChe", "NanumGothicCoding"},
    {"돋움", "NanumBarunGothic"},      {"Dotum", "NanumBarunGothic"},
    {"바탕", "NanumMyeongjo"},         {"Batang", "NanumMyeongjo"},
    {"HY견고딕", "NanumSquare"},       {"HY울릉도M", "NanumSquareRound"},
    {"Arial", "DejaVu Sans"},          {"Tahoma", "DejaVu Sans"},
    {"Times New Roman", "DejaVu Serif"}, {"Courier New", "DejaVu Sans Mono"},
};

// After the face itself: a face with Hangul, then one with wide Latin cover.
inline constexpr const char* kFallbackFaces[] = {"NanumGothic", "DejaVu Sans"};

}  // namespace lumi::text
