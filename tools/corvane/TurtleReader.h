#pragma once
// One Turtle text read with serd, statement by statement, into the hooks of
// a subclass. A text nested deeper than kMaxTurtleNesting is refused before
// serd reads it; any problem is one ToolError naming the file.

#include <serd/serd.h>

#include <string>

namespace corvane::host {

class TurtleReader
{
public:
  virtual ~TurtleReader() = default;

  /** Reads `text` as the file at `base` (its file URI); blank node names get
      `blankPrefix`, which keeps those of several files apart. Throws
      ToolError("FILE: PROBLEM"). */
  void Read(const std::string& text, const std::string& base, const std::string& blankPrefix);

protected:
  /** The full URI a node stands for ("_:name" for a blank node, the text of a literal). */
  std::string Expand(const SerdNode* node) const;

  virtual SerdStatus OnStatement(SerdStatementFlags flags, const SerdNode* graph, const SerdNode* subject,
                                 const SerdNode* predicate, const SerdNode* object, const SerdNode* datatype,
                                 const SerdNode* language) = 0;
  virtual void OnBase(const SerdNode*) {}
  virtual void OnPrefix(const SerdNode*, const SerdNode*) {}

private:
  static SerdStatus Base(void* handle, const SerdNode* uri);
  static SerdStatus Prefix(void* handle, const SerdNode* name, const SerdNode* uri);
  static SerdStatus Statement(void* handle, SerdStatementFlags flags, const SerdNode* graph, const SerdNode* subject,
                              const SerdNode* predicate, const SerdNode* object, const SerdNode* datatype,
                              const SerdNode* language);
  static SerdStatus Error(void* handle, const SerdError* error);

  SerdEnv* mEnv = nullptr; // while a text is read
  std::string mError;
};

/** The name of the file a file URI names, for messages ("manifest.ttl"). */
std::string FileNameOfUri(const std::string& uri);

/** The file URI of an absolute path, escaped as serd writes it. */
std::string FileUri(const std::string& path);

} // namespace corvane::host
