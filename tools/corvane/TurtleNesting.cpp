#include "tools/corvane/TurtleNesting.h"

namespace corvane::host {

size_t LineWhereNestingPasses(std::string_view text, int limit)
{
  enum class In
  {
    Code,
    Iri,
    Comment,
    ShortString,
    LongString
  };
  In in = In::Code;
  char quote = 0; // of the string being read
  int depth = 0;
  size_t line = 1;
  // The character after a backslash is taken as escaped, except one that
  // is counted anyway.
  const auto escapes = [&](size_t i) {
    return text[i] == '\\' && i + 1 < text.size() && text[i + 1] != '(' && text[i + 1] != '[' && text[i + 1] != '\n';
  };
  for (size_t i = 0; i < text.size(); ++i)
  {
    const char c = text[i];
    if (c == '\n')
      ++line;
    // Counted wherever it stands: a bracket inside a string or an IRI is
    // counted too, so the count is never below the parser's depth.
    if (c == '(' || c == '[')
    {
      if (++depth > limit)
        return line;
      continue;
    }
    const bool tripleQuote = i + 2 < text.size() && text[i + 1] == c && text[i + 2] == c;
    switch (in)
    {
      case In::Code:
        if (c == ')' || c == ']')
          depth = depth > 0 ? depth - 1 : 0;
        else if (escapes(i))
          ++i; // in a local name: "ex:a\)"
        else if (c == '<')
          in = In::Iri;
        else if (c == '#')
          in = In::Comment;
        else if (c == '"' || c == '\'')
        {
          quote = c;
          in = tripleQuote ? In::LongString : In::ShortString;
          i += tripleQuote ? 2 : 0;
        }
        break;
      case In::Iri:
        if (c == '>')
          in = In::Code;
        break;
      case In::Comment:
        if (c == '\n' || c == '\r')
          in = In::Code;
        break;
      case In::ShortString:
      case In::LongString:
        if (escapes(i))
          ++i;
        else if (c == quote && (in == In::ShortString || tripleQuote))
        {
          i += in == In::LongString ? 2 : 0;
          in = In::Code;
        }
        break;
    }
  }
  return 0;
}

} // namespace corvane::host
