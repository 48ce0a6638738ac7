#include "tools/corvane/LV2Manifest.h"

#include "tools/corvane/TurtleReader.h"

#include <map>
#include <memory>

namespace corvane::host {

const char* const kPresetPrefixes = "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                                    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
                                    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n";

namespace {

constexpr const char* kRdfType = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type";
constexpr const char* kPluginClass = "http://lv2plug.in/ns/lv2core#Plugin";
constexpr const char* kBinary = "http://lv2plug.in/ns/lv2core#binary";
constexpr const char* kBlankPrefix = "m";

size_t AppendTo(const void* bytes, size_t size, void* stream)
{
  static_cast<std::string*>(stream)->append(static_cast<const char*>(bytes), size);
  return size;
}

// Passes every statement it keeps to a serd writer, names as written:
// relative URIs stay relative, prefixed names keep their prefixes.
class ManifestFilter : public TurtleReader
{
public:
  ManifestFilter(const std::string& uri, std::set<std::string> dropped) : mDropped(std::move(dropped))
  {
    SerdNode base = serd_node_from_string(SERD_URI, reinterpret_cast<const uint8_t*>(uri.c_str()));
    mWriterEnv.reset(serd_env_new(&base));
    mWriter.reset(serd_writer_new(SERD_TURTLE, static_cast<SerdStyle>(SERD_STYLE_ABBREVIATED | SERD_STYLE_CURIED),
                                  mWriterEnv.get(), nullptr, AppendTo, &mCopy.turtle));
    // Blank node names are written as they were read, so copies of copies keep them.
    serd_writer_chop_blank_prefix(mWriter.get(), reinterpret_cast<const uint8_t*>(kBlankPrefix));
  }

  ManifestCopy Finish()
  {
    serd_writer_finish(mWriter.get());
    return mCopy;
  }

protected:
  void OnBase(const SerdNode* uri) override { serd_writer_set_base_uri(mWriter.get(), uri); }
  void OnPrefix(const SerdNode* name, const SerdNode* uri) override
  {
    // Declared once: a manifest that grew by appended entries repeats its prefixes.
    std::string& known = mPrefixes[reinterpret_cast<const char*>(name->buf)];
    if (known != reinterpret_cast<const char*>(uri->buf))
      serd_writer_set_prefix(mWriter.get(), name, uri);
    known = reinterpret_cast<const char*>(uri->buf);
  }

  SerdStatus OnStatement(SerdStatementFlags, const SerdNode* graph, const SerdNode* subject, const SerdNode* predicate,
                         const SerdNode* object, const SerdNode* datatype, const SerdNode* language) override
  {
    const std::string s = Expand(subject), p = Expand(predicate), o = Expand(object);
    if ((p == kRdfType && o == kPluginClass) || p == kBinary)
      mCopy.code = mCopy.code.empty() ? s : mCopy.code;
    if (mDropped.count(s))
    {
      if (object->type == SERD_BLANK)
        mDropped.insert(o);
      return SERD_SUCCESS;
    }
    // Without the reader's flags, blank nodes are written by name: a
    // statement left out cannot leave an anonymous node half open.
    return serd_writer_write_statement(mWriter.get(), 0, graph, subject, predicate, object, datatype, language);
  }

private:
  std::set<std::string> mDropped;
  std::map<std::string, std::string> mPrefixes;
  ManifestCopy mCopy;
  std::unique_ptr<SerdEnv, void (*)(SerdEnv*)> mWriterEnv{nullptr, serd_env_free};
  std::unique_ptr<SerdWriter, void (*)(SerdWriter*)> mWriter{nullptr, serd_writer_free};
};

} // namespace

ManifestCopy CopyManifest(const std::string& text, const std::string& uri, std::set<std::string> dropped)
{
  ManifestFilter filter(uri, std::move(dropped));
  filter.Read(text, uri, kBlankPrefix);
  return filter.Finish();
}

std::string ManifestEntry(const std::string& subject, const std::vector<std::string>& appliesTo,
                          const std::vector<std::string>& seeAlso)
{
  const auto list = [](const std::vector<std::string>& uris) {
    std::string text;
    for (const std::string& uri : uris)
      text += (text.empty() ? "<" : " , <") + uri + ">";
    return text;
  };
  std::string entry = "\n<" + subject + ">\n  a pset:Preset";
  if (!appliesTo.empty())
    entry += " ;\n  lv2:appliesTo " + list(appliesTo);
  if (!seeAlso.empty())
    entry += " ;\n  rdfs:seeAlso " + list(seeAlso);
  return entry + " .\n";
}

} // namespace corvane::host
