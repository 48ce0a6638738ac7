#include "tools/corvane/TurtleReader.h"

#include "tools/corvane/ToolError.h"
#include "tools/corvane/TurtleNesting.h"

#include <cstdio>
#include <memory>

namespace corvane::host {

std::string FileNameOfUri(const std::string& uri)
{
  std::string path = uri;
  if (uint8_t* parsed = serd_file_uri_parse(reinterpret_cast<const uint8_t*>(uri.c_str()), nullptr))
  {
    path = reinterpret_cast<const char*>(parsed);
    serd_free(parsed);
  }
  return path.substr(path.rfind('/') + 1);
}

std::string FileUri(const std::string& path)
{
  SerdNode node = serd_node_new_file_uri(reinterpret_cast<const uint8_t*>(path.c_str()), nullptr, nullptr, true);
  std::string uri(reinterpret_cast<const char*>(node.buf), node.n_bytes);
  serd_node_free(&node);
  return uri;
}

void TurtleReader::Read(const std::string& text, const std::string& base, const std::string& blankPrefix)
{
  const std::string file = FileNameOfUri(base);
  if (const size_t line = LineWhereNestingPasses(text))
    throw ToolError(file + ": line " + std::to_string(line) + ": brackets nested more than " +
                    std::to_string(kMaxTurtleNesting) + " levels deep; not read");

  SerdNode baseNode = serd_node_from_string(SERD_URI, reinterpret_cast<const uint8_t*>(base.c_str()));
  std::unique_ptr<SerdEnv, void (*)(SerdEnv*)> env(serd_env_new(&baseNode), serd_env_free);
  std::unique_ptr<SerdReader, void (*)(SerdReader*)> reader(
    serd_reader_new(SERD_TURTLE, this, nullptr, Base, Prefix, Statement, nullptr), serd_reader_free);
  serd_reader_set_error_sink(reader.get(), Error, this);
  serd_reader_add_blank_prefix(reader.get(), reinterpret_cast<const uint8_t*>(blankPrefix.c_str()));
  mEnv = env.get();
  mError.clear();
  const SerdStatus status = serd_reader_read_string(reader.get(), reinterpret_cast<const uint8_t*>(text.c_str()));
  mEnv = nullptr;
  if (status != SERD_SUCCESS || !mError.empty())
    throw ToolError(file + ": " + (mError.empty() ? std::string("not Turtle") : mError));
}

std::string TurtleReader::Expand(const SerdNode* node) const
{
  if (!node)
    return "";
  const std::string text(reinterpret_cast<const char*>(node->buf), node->n_bytes);
  if (node->type == SERD_BLANK)
    return "_:" + text;
  if (node->type == SERD_LITERAL)
    return text;
  SerdNode expanded = serd_env_expand_node(mEnv, node);
  if (!expanded.buf)
    return text;
  std::string uri(reinterpret_cast<const char*>(expanded.buf), expanded.n_bytes);
  serd_node_free(&expanded);
  return uri;
}

SerdStatus TurtleReader::Base(void* handle, const SerdNode* uri)
{
  auto* self = static_cast<TurtleReader*>(handle);
  self->OnBase(uri);
  return serd_env_set_base_uri(self->mEnv, uri);
}

SerdStatus TurtleReader::Prefix(void* handle, const SerdNode* name, const SerdNode* uri)
{
  auto* self = static_cast<TurtleReader*>(handle);
  self->OnPrefix(name, uri);
  return serd_env_set_prefix(self->mEnv, name, uri);
}

SerdStatus TurtleReader::Statement(void* handle, SerdStatementFlags flags, const SerdNode* graph,
                                   const SerdNode* subject, const SerdNode* predicate, const SerdNode* object,
                                   const SerdNode* datatype, const SerdNode* language)
{
  return static_cast<TurtleReader*>(handle)->OnStatement(flags, graph, subject, predicate, object, datatype, language);
}

SerdStatus TurtleReader::Error(void* handle, const SerdError* error)
{
  auto* self = static_cast<TurtleReader*>(handle);
  if (self->mError.empty())
  {
    char text[512];
    std::vsnprintf(text, sizeof text, error->fmt, *error->args);
    std::string message = text;
    while (!message.empty() && message.back() == '\n')
      message.pop_back();
    self->mError = "line " + std::to_string(error->line) + ": " + message;
  }
  return SERD_SUCCESS;
}

} // namespace corvane::host
