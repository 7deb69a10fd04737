// The codes the records carry in their side-line and orientation fields, named once. Files store
// these numbers, so they never change; everything above the records asks these predicates.
#pragma once

#include <cstdint>

#include "records.h"

namespace vellary::model {

// modRotTcy: a character laid on its side, or one of a group set upright across the column
// (consecutive tate-chu-yoko characters form one group). 0 is upright.
inline constexpr int32_t kSideways = 20090;
inline constexpr int32_t kTateChuYoko = 20100;
// The older `modified` attribute of the file format carries these codes in 20090 … 20999; the
// rest of its range is a side-line key.
inline constexpr int32_t kOrientationCodeFirst = 20090;
inline constexpr int32_t kOrientationCodeLast = 21000;

inline bool isTurned(const CharData& c) {
  return c.modRotTcy == kSideways || c.modRotTcy == kTateChuYoko;
}

// modRubyEmp: the characters of a side line carry their line's key, the base characters the
// negated key. Ruby keys run from 1; emphasis keys are 21000 + n, or 25000 + n when the mark is
// 、 or a comma.
inline constexpr int32_t kLargestRubyKey = 20089;
inline constexpr int32_t kEmphasisKeyBase = 21000;
inline constexpr int32_t kCommaEmphasisKeyBase = 25000;

inline bool isRubyKey(int32_t key) {
  const int64_t k = key < 0 ? -int64_t{key} : key;
  return k >= 1 && k <= 19999;
}
inline bool isEmphasisKey(int32_t key) {
  const int64_t k = key < 0 ? -int64_t{key} : key;
  return k >= kEmphasisKeyBase;
}
inline bool isRubyBase(const CharData& c) { return c.modRubyEmp < 0 && isRubyKey(c.modRubyEmp); }
inline bool isEmphasised(const CharData& c) {
  return c.modRubyEmp < 0 && isEmphasisKey(c.modRubyEmp);
}

}  // namespace vellary::model
