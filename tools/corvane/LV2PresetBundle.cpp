#include "tools/corvane/LV2PresetBundle.h"

#include "lv2/TurtleString.h"
#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/LV2Manifest.h"
#include "tools/corvane/RegularFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/TurtleReader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace corvane::host {
namespace {

namespace fs = std::filesystem;
using iplug::TurtleString;

constexpr const char* kRdfType = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type";
constexpr const char* kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";
constexpr const char* kPresetClass = "http://lv2plug.in/ns/ext/presets#Preset";
constexpr const char* kPresetValue = "http://lv2plug.in/ns/ext/presets#value";
constexpr const char* kAppliesTo = "http://lv2plug.in/ns/lv2core#appliesTo";
constexpr const char* kPort = "http://lv2plug.in/ns/lv2core#port";
constexpr const char* kSymbol = "http://lv2plug.in/ns/lv2core#symbol";
constexpr const char* kState = "http://lv2plug.in/ns/ext/state#state";
constexpr const char* kBase64Binary = "http://www.w3.org/2001/XMLSchema#base64Binary";
// A state larger than this is not Corvane's; a real one is 84 bytes.
constexpr size_t kMaxStateBytes = 1 << 16;
// A Turtle file larger than this is no preset.
constexpr size_t kMaxTurtleBytes = 1 << 20;

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

void AddOnce(std::vector<std::string>& list, const std::string& item)
{
  if (std::find(list.begin(), list.end(), item) == list.end())
    list.push_back(item);
}

// What the statements say about one subject.
struct Subject
{
  bool isPreset = false;
  std::string label;
  std::vector<std::string> stateNodes, portNodes, appliesTo, declaredIn;
  std::string symbol;
  double value = 0.0;
  bool hasValue = false;
  std::vector<uint8_t> chunk;
  bool hasChunk = false;
};

class PresetReader : public TurtleReader
{
public:
  explicit PresetReader(const std::string& stateKey) : mStateKey(stateKey) {}

  void ReadFile(const std::string& text, const std::string& base, const std::string& blankPrefix)
  {
    mBase = base;
    Read(text, base, blankPrefix);
  }

  std::vector<LV2Preset> Presets()
  {
    std::vector<LV2Preset> presets;
    for (const std::string& id : mOrder)
    {
      const Subject& subject = mSubjects[id];
      LV2Preset preset;
      preset.label = subject.label;
      preset.uri = id;
      preset.appliesTo = subject.appliesTo;
      preset.declaredIn = subject.declaredIn;
      for (const std::string& node : subject.stateNodes)
      {
        const auto it = mSubjects.find(node);
        if (it != mSubjects.end() && it->second.hasChunk)
          preset.state = it->second.chunk;
      }
      for (const std::string& node : subject.portNodes)
      {
        const auto it = mSubjects.find(node);
        if (it != mSubjects.end() && it->second.hasValue && !it->second.symbol.empty())
          preset.ports.emplace_back(it->second.symbol, it->second.value);
      }
      presets.push_back(std::move(preset));
    }
    return presets;
  }

protected:
  SerdStatus OnStatement(SerdStatementFlags, const SerdNode*, const SerdNode* subject, const SerdNode* predicate,
                         const SerdNode* object, const SerdNode* datatype, const SerdNode*) override
  {
    const std::string s = Expand(subject), p = Expand(predicate), o = Expand(object);
    Subject& at = mSubjects[s];
    if (p == kRdfType && o == kPresetClass)
    {
      if (!at.isPreset)
        mOrder.push_back(s);
      at.isPreset = true;
      AddOnce(at.declaredIn, mBase);
    }
    else if (p == kRdfsLabel && object->type == SERD_LITERAL)
      at.label = o;
    else if (p == kAppliesTo)
      AddOnce(at.appliesTo, o);
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
    else if (p == mStateKey && object->type == SERD_LITERAL && Expand(datatype) == kBase64Binary)
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

private:
  const std::string& mStateKey;
  std::string mBase; // of the file being read
  std::map<std::string, Subject> mSubjects;
  std::vector<std::string> mOrder; // presets in order of first mention
};

// `uri` as written in a file of the bundle at `bundleUri`: relative when
// it names something in the bundle's own folder.
std::string InBundle(const std::string& uri, const std::string& bundleUri)
{
  if (uri.starts_with(bundleUri) && uri.find('/', bundleUri.size()) == std::string::npos &&
      uri.size() > bundleUri.size())
    return uri.substr(bundleUri.size());
  return uri;
}

// The preset file's name: from the label, with a number added when another
// file has that name, unless that file goes.
std::string FreeFileName(const fs::path& root, const std::string& label, const std::set<std::string>& going)
{
  const std::string wanted = FileNameFor(label);
  std::string name = wanted;
  std::error_code ec;
  for (int n = 2; fs::exists(fs::symlink_status(root / name, ec)) && !going.count(name); ++n)
    name = wanted.substr(0, wanted.size() - 4) + "-" + std::to_string(n) + ".ttl";
  return name;
}

std::string PresetFile(const LV2Preset& preset, const std::vector<std::string>& pluginURIs, const std::string& stateKey)
{
  std::string appliesTo;
  for (const std::string& uri : pluginURIs)
    appliesTo += (appliesTo.empty() ? "<" : " , <") + uri + ">";
  std::ostringstream body;
  body << kPresetPrefixes << "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
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
  return body.str();
}

} // namespace

void WriteFileAtomically(const std::string& path, const std::string& text)
{
  AtomicOutputFile file(path);
  file.WriteAll(text.data(), text.size());
  file.Commit();
}

bool WriteLV2PresetBundle(const std::string& dir, const LV2Preset& preset, const std::vector<std::string>& pluginURIs,
                          const std::string& stateKey, bool noClobber)
{
  const std::string what = "LV2 preset bundle '" + dir + "': ";
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec))
    throw ToolError(what + "exists and is not a folder");
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    throw ToolError("cannot create the LV2 preset bundle '" + dir + "'" + (ec ? ": " + ec.message() : ""));
  const fs::path root = fs::absolute(dir, ec);
  const std::string bundleUri = FileUri(root.string()) + "/";
  const std::string manifestUri = bundleUri + "manifest.ttl";

  // What the bundle holds already: kept, except a preset of the same label.
  std::string kept;
  std::vector<LV2Preset> others;
  std::set<std::string> going; // the replaced preset's own file
  bool replaced = false;
  if (fs::exists(root / "manifest.ttl", ec))
  {
    const std::string manifest =
      ReadRegularFile((root / "manifest.ttl").string(), kMaxTurtleBytes, what + "manifest.ttl");
    const std::string code = CopyManifest(manifest, manifestUri, {}).code;
    if (!code.empty())
      throw ToolError(what + "it is a plug-in's bundle (its manifest declares <" + code +
                      ">); write presets into a bundle of their own");
    std::set<std::string> replacedUris, replacedFiles;
    for (LV2Preset& existing : ReadLV2PresetBundle(dir, stateKey))
    {
      if (existing.label != preset.label)
      {
        others.push_back(std::move(existing));
        continue;
      }
      if (noClobber)
        throw ToolError(what + "it holds a preset \"" + preset.label + "\" already; not replaced (--no-clobber)");
      replaced = true;
      replacedUris.insert(existing.uri);
      // A file that is the preset (written as "<>", as hosts write them) goes with it.
      if (std::find(existing.declaredIn.begin(), existing.declaredIn.end(), existing.uri) != existing.declaredIn.end())
        replacedFiles.insert(existing.uri);
    }
    for (const LV2Preset& other : others)
      for (const std::string& file : other.declaredIn)
        replacedFiles.erase(file);
    replacedFiles.erase(manifestUri);
    for (const auto& entry : fs::directory_iterator(root, ec))
      if (replacedFiles.count(FileUri(entry.path().string())))
        going.insert(entry.path().filename().string());
    kept = CopyManifest(manifest, manifestUri, replacedUris).turtle;
  }

  // The manifest lists every preset: those it listed, those only their own
  // file declares (a manifest replaced by an older writer lost them), and
  // the new one.
  const std::string file = FreeFileName(root, preset.label, going);
  std::string manifest = kept + (kept.empty() ? "" : "\n") + kPresetPrefixes;
  for (const LV2Preset& other : others)
  {
    if (std::find(other.declaredIn.begin(), other.declaredIn.end(), manifestUri) != other.declaredIn.end())
      continue;
    std::vector<std::string> seeAlso;
    for (const std::string& uri : other.declaredIn)
      seeAlso.push_back(InBundle(uri, bundleUri));
    manifest +=
      ManifestEntry(InBundle(other.uri, bundleUri), other.appliesTo.empty() ? pluginURIs : other.appliesTo, seeAlso);
  }
  manifest += ManifestEntry(file, pluginURIs, {file});
  if (!kept.empty())
    manifest = CopyManifest(manifest, manifestUri, {}).turtle; // one set of prefixes, one layout

  // The new preset is in place before the manifest names it, and the
  // replaced one's files go only once the manifest no longer does.
  WriteFileAtomically((root / file).string(), PresetFile(preset, pluginURIs, stateKey));
  WriteFileAtomically((root / "manifest.ttl").string(), manifest);
  for (const std::string& name : going)
    if (name != file)
      fs::remove(root / name, ec);
  return replaced;
}

std::vector<LV2Preset> ParseLV2Presets(const std::vector<std::pair<std::string, std::string>>& filesAndBases,
                                       const std::string& stateKey)
{
  PresetReader reader(stateKey);
  int fileIndex = 0;
  for (const auto& [text, base] : filesAndBases)
    reader.ReadFile(text, base, "f" + std::to_string(fileIndex++) + "_");
  return reader.Presets();
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
    const std::string name = file.filename().string();
    std::string text = ReadRegularFile(file.string(), kMaxTurtleBytes, what + name);
    if (text.size() > kMaxTurtleBytes)
      throw ToolError(what + name + " is too large for a preset");
    texts.emplace_back(std::move(text), FileUri(file.string()));
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
