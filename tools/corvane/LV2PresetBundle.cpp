#include "tools/corvane/LV2PresetBundle.h"

#include "lv2/TurtleString.h"
#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/ToolError.h"

#include <serd/serd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace corvane::host {
namespace {

namespace fs = std::filesystem;
using iplug::TurtleString;

constexpr const char* kRdfType = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type";
constexpr const char* kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";
constexpr const char* kPresetClass = "http://lv2plug.in/ns/ext/presets#Preset";
constexpr const char* kPresetValue = "http://lv2plug.in/ns/ext/presets#value";
constexpr const char* kPort = "http://lv2plug.in/ns/lv2core#port";
constexpr const char* kSymbol = "http://lv2plug.in/ns/lv2core#symbol";
constexpr const char* kState = "http://lv2plug.in/ns/ext/state#state";
constexpr const char* kBase64Binary = "http://www.w3.org/2001/XMLSchema#base64Binary";
// A state larger than this is not Corvane's; a real one is 84 bytes.
constexpr size_t kMaxStateBytes = 1 << 16;

// A Turtle decimal that reads back as the same double.
std::string Decimal(double value)
{
  if (!std::isfinite(value))
    value = 0.0;
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  std::string s = text;
  if (s.find_first_of(".e") == std::string::npos)
    s += ".0";
  return s;
}

std::string Base64(const std::vector<uint8_t>& bytes)
{
  SerdNode node = serd_node_new_blob(bytes.data(), bytes.size(), false);
  std::string text(reinterpret_cast<const char*>(node.buf), node.n_bytes);
  serd_node_free(&node);
  return text;
}

// A file name from the label: letters, digits, '-' and '_' kept.
std::string FileNameFor(const std::string& label)
{
  std::string name;
  for (char c : label)
    name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
  if (name.empty() || name == "manifest")
    name = "preset";
  return name + ".ttl";
}

} // namespace

void WriteFileAtomically(const std::string& path, const std::string& text)
{
  AtomicOutputFile file(path);
  size_t done = 0;
  while (done < text.size())
  {
    const ssize_t n = ::write(file.Fd(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      throw ToolError("cannot write '" + path + "': " + std::strerror(errno));
    done += static_cast<size_t>(n);
  }
  file.Commit();
}

namespace {

// What the statements say about one subject.
struct Subject
{
  bool isPreset = false;
  std::string label;
  std::vector<std::string> stateNodes, portNodes;
  std::string symbol;
  double value = 0.0;
  bool hasValue = false;
  std::vector<uint8_t> chunk;
  bool hasChunk = false;
};

struct Reader
{
  SerdEnv* env = nullptr;
  const std::string* stateKey = nullptr;
  std::map<std::string, Subject> subjects;
  std::vector<std::string> order; // presets in order of first mention
  std::string error;

  Subject& At(const std::string& id)
  {
    auto [it, added] = subjects.try_emplace(id);
    return it->second;
  }

  std::string Expand(const SerdNode* node) const
  {
    if (!node)
      return "";
    if (node->type == SERD_BLANK)
      return "_:" + std::string(reinterpret_cast<const char*>(node->buf), node->n_bytes);
    if (node->type == SERD_LITERAL)
      return std::string(reinterpret_cast<const char*>(node->buf), node->n_bytes);
    SerdNode expanded = serd_env_expand_node(env, node);
    if (!expanded.buf)
      return std::string(reinterpret_cast<const char*>(node->buf), node->n_bytes);
    std::string text(reinterpret_cast<const char*>(expanded.buf), expanded.n_bytes);
    serd_node_free(&expanded);
    return text;
  }

  static SerdStatus OnBase(void* handle, const SerdNode* uri)
  {
    return serd_env_set_base_uri(static_cast<Reader*>(handle)->env, uri);
  }
  static SerdStatus OnPrefix(void* handle, const SerdNode* name, const SerdNode* uri)
  {
    return serd_env_set_prefix(static_cast<Reader*>(handle)->env, name, uri);
  }
  static SerdStatus OnError(void* handle, const SerdError* error)
  {
    auto* self = static_cast<Reader*>(handle);
    if (self->error.empty())
    {
      char text[512];
      std::vsnprintf(text, sizeof text, error->fmt, *error->args);
      std::string message = text;
      while (!message.empty() && message.back() == '\n')
        message.pop_back();
      self->error = "line " + std::to_string(error->line) + ": " + message;
    }
    return SERD_SUCCESS;
  }
  static SerdStatus OnStatement(void* handle, SerdStatementFlags, const SerdNode*, const SerdNode* subject,
                                const SerdNode* predicate, const SerdNode* object, const SerdNode* datatype,
                                const SerdNode*)
  {
    auto* self = static_cast<Reader*>(handle);
    const std::string s = self->Expand(subject), p = self->Expand(predicate), o = self->Expand(object);
    Subject& at = self->At(s);
    if (p == kRdfType && o == kPresetClass && !at.isPreset)
    {
      at.isPreset = true;
      self->order.push_back(s);
    }
    else if (p == kRdfsLabel && object->type == SERD_LITERAL)
      at.label = o;
    else if (p == kState)
      at.stateNodes.push_back(o);
    else if (p == kPort)
      at.portNodes.push_back(o);
    else if (p == kSymbol)
      at.symbol = o;
    else if (p == kPresetValue && object->type == SERD_LITERAL)
    {
      char* end = nullptr;
      at.value = serd_strtod(o.c_str(), &end);
      at.hasValue = end && *end == '\0' && !o.empty();
    }
    else if (p == *self->stateKey && object->type == SERD_LITERAL && self->Expand(datatype) == kBase64Binary)
    {
      if (o.size() > 2 * kMaxStateBytes)
        return SERD_SUCCESS; // not a state of ours; left out
      size_t size = 0;
      void* bytes = serd_base64_decode(reinterpret_cast<const uint8_t*>(o.data()), o.size(), &size);
      if (bytes)
      {
        at.chunk.assign(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + size);
        at.hasChunk = true;
        serd_free(bytes);
      }
    }
    return SERD_SUCCESS;
  }
};

} // namespace

void WriteLV2PresetBundle(const std::string& dir, const LV2Preset& preset, const std::vector<std::string>& pluginURIs,
                          const std::string& stateKey)
{
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    throw ToolError("cannot create the LV2 preset bundle '" + dir + "'" + (ec ? ": " + ec.message() : ""));

  const std::string file = FileNameFor(preset.label);
  std::string appliesTo;
  for (const std::string& uri : pluginURIs)
    appliesTo += (appliesTo.empty() ? "<" : " , <") + uri + ">";
  const std::string prefixes = "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                               "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
                               "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n";

  std::ostringstream manifest;
  manifest << prefixes << "\n<" << file << ">\n  a pset:Preset ;\n  lv2:appliesTo " << appliesTo
           << " ;\n  rdfs:seeAlso <" << file << "> .\n";

  std::ostringstream body;
  body << prefixes << "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
       << "@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .\n\n"
       << "<>\n  a pset:Preset ;\n  lv2:appliesTo " << appliesTo << " ;\n  rdfs:label " << TurtleString(preset.label);
  for (size_t i = 0; i < preset.ports.size(); ++i)
  {
    body << (i == 0 ? " ;\n  lv2:port " : " , ") << "[\n    lv2:symbol " << TurtleString(preset.ports[i].first)
         << " ;\n    pset:value " << Decimal(preset.ports[i].second) << "\n  ]";
  }
  if (!preset.state.empty())
    body << " ;\n  state:state [\n    <" << stateKey << "> \"" << Base64(preset.state) << "\"^^xsd:base64Binary\n  ]";
  body << " .\n";

  WriteFileAtomically(dir + "/" + file, body.str());
  WriteFileAtomically(dir + "/manifest.ttl", manifest.str());
}

std::vector<LV2Preset> ParseLV2Presets(const std::vector<std::pair<std::string, std::string>>& filesAndBases,
                                       const std::string& stateKey)
{
  Reader reader;
  reader.stateKey = &stateKey;
  int fileIndex = 0;
  for (const auto& [text, base] : filesAndBases)
  {
    SerdNode baseNode = serd_node_from_string(SERD_URI, reinterpret_cast<const uint8_t*>(base.c_str()));
    std::unique_ptr<SerdEnv, void (*)(SerdEnv*)> env(serd_env_new(&baseNode), serd_env_free);
    reader.env = env.get();
    std::unique_ptr<SerdReader, void (*)(SerdReader*)> serd(
      serd_reader_new(SERD_TURTLE, &reader, nullptr, Reader::OnBase, Reader::OnPrefix, Reader::OnStatement, nullptr),
      serd_reader_free);
    serd_reader_set_error_sink(serd.get(), Reader::OnError, &reader);
    // Blank node names are only unique within one file.
    const std::string blankPrefix = "f" + std::to_string(fileIndex++) + "_";
    serd_reader_add_blank_prefix(serd.get(), reinterpret_cast<const uint8_t*>(blankPrefix.c_str()));
    const SerdStatus status = serd_reader_read_string(serd.get(), reinterpret_cast<const uint8_t*>(text.c_str()));
    reader.env = nullptr;
    if (status != SERD_SUCCESS || !reader.error.empty())
      throw ToolError(reader.error.empty() ? std::string("not Turtle") : reader.error);
  }

  std::vector<LV2Preset> presets;
  for (const std::string& id : reader.order)
  {
    const Subject& subject = reader.subjects[id];
    LV2Preset preset;
    preset.label = subject.label;
    for (const std::string& node : subject.stateNodes)
    {
      const auto it = reader.subjects.find(node);
      if (it != reader.subjects.end() && it->second.hasChunk)
        preset.state = it->second.chunk;
    }
    for (const std::string& node : subject.portNodes)
    {
      const auto it = reader.subjects.find(node);
      if (it != reader.subjects.end() && it->second.hasValue && !it->second.symbol.empty())
        preset.ports.emplace_back(it->second.symbol, it->second.value);
    }
    presets.push_back(std::move(preset));
  }
  return presets;
}

std::vector<LV2Preset> ReadLV2PresetBundle(const std::string& dir, const std::string& stateKey)
{
  const std::string what = "LV2 preset bundle '" + dir + "': ";
  std::error_code ec;
  if (!fs::is_directory(dir, ec))
    throw ToolError(what + "no such folder");
  const fs::path root = fs::absolute(dir, ec);
  if (!fs::exists(root / "manifest.ttl", ec))
    throw ToolError(what + "no manifest.ttl");

  // Every Turtle file of the bundle, the manifest first.
  std::vector<fs::path> files{root / "manifest.ttl"};
  for (const auto& entry : fs::directory_iterator(root, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".ttl" && entry.path().filename() != "manifest.ttl")
      files.push_back(entry.path());
  std::sort(files.begin() + 1, files.end());

  std::vector<std::pair<std::string, std::string>> texts;
  for (const fs::path& file : files)
  {
    if (fs::file_size(file, ec) > (1u << 20))
      throw ToolError(what + file.filename().string() + " is too large for a preset");
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in && !in.eof())
      throw ToolError(what + "cannot read " + file.filename().string());
    SerdNode uri = serd_node_new_file_uri(reinterpret_cast<const uint8_t*>(file.c_str()), nullptr, nullptr, true);
    texts.emplace_back(text.str(), std::string(reinterpret_cast<const char*>(uri.buf), uri.n_bytes));
    serd_node_free(&uri);
  }
  try
  {
    return ParseLV2Presets(texts, stateKey);
  }
  catch (const ToolError& e)
  {
    throw ToolError(what + e.what());
  }
}

} // namespace corvane::host
