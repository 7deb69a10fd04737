// Registering a correction's pair.
#include "candidates_context.h"

#include <algorithm>

namespace vellary::editing {

bool registerReplacementPair(const CorrectionContext& ctx, const std::u16string& recognised,
                             const std::u16string& replacement) {
  if (ctx.registered == nullptr || ctx.lastPair == nullptr) return false;
  if (ctx.lastPair->recognised == recognised && ctx.lastPair->replacement == replacement)
    return false;
  ctx.lastPair->recognised = recognised;
  ctx.lastPair->replacement = replacement;
  return ctx.registered->addRegistered(recognised, replacement) > 0;
}

}  // namespace vellary::editing
