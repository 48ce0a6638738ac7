#pragma once
// How deep the brackets of a Turtle text nest, found without parsing it:
// serd recurses once per '(' or '[' level, so a small file of nested
// brackets would exhaust the stack. Texts nested deeper than any preset
// needs are refused before serd sees them.

#include <cstddef>
#include <string_view>

namespace corvane::host {

/** Deeper than this, a Turtle text is refused. Presets nest two levels. */
inline constexpr int kMaxTurtleNesting = 64;

/** The line (from 1) on which the brackets of `text` first nest deeper than
    `limit`, or 0 when they never do. Errs on the deep side: an opening
    bracket counts wherever it stands, a closing one only outside IRIs,
    strings and comments. */
size_t LineWhereNestingPasses(std::string_view text, int limit = kMaxTurtleNesting);

} // namespace corvane::host
