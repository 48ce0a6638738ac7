#include "lv2/LV2Turtle.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/IParam.h"
#include "lv2/IPlugLV2.h"

namespace iplug {
namespace {
const char* const kPrefixes = "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
                              "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
                              "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                              "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
                              "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                              "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Number(double value, bool integer)
{
  char text[64];
  if (integer)
    std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(std::llround(value)));
  else
  {
    std::snprintf(text, sizeof(text), "%.9g", value);
    // A decimal point keeps the literal a decimal rather than an integer.
    if (!std::strpbrk(text, ".eEn"))
      std::strcat(text, ".0");
  }
  return text;
}

// The units-vocabulary term for a parameter's unit, or "" when it has none.
std::string UnitTerm(const IParam& param)
{
  switch (param.Unit())
  {
    case IParam::kUnitPercentage: return "units:pc";
    case IParam::kUnitSeconds: return "units:s";
    case IParam::kUnitMilliseconds: return "units:ms";
    case IParam::kUnitSamples: return "units:frame";
    case IParam::kUnitDB: return "units:db";
    case IParam::kUnitDegrees: return "units:degree";
    case IParam::kUnitMeters: return "units:m";
    case IParam::kUnitFrequency: return "units:hz";
    case IParam::kUnitOctaves: return "units:oct";
    case IParam::kUnitCents: return "units:cent";
    case IParam::kUnitSemitones: return "units:semitone12TET";
    case IParam::kUnitMIDINote: return "units:midiNote";
    case IParam::kUnitBPM: return "units:bpm";
    case IParam::kUnitBeats: return "units:beat";
    case IParam::kUnitCustom: break;
    default: return "";
  }
  // A custom unit whose label the vocabulary knows is that unit.
  const std::string label = param.GetCustomUnit() ? param.GetCustomUnit() : "";
  static const std::pair<const char*, const char*> kKnown[] = {
    {"dB", "units:db"}, {"Hz", "units:hz"}, {"kHz", "units:khz"},         {"ms", "units:ms"},
    {"s", "units:s"},   {"%", "units:pc"},  {"st", "units:semitone12TET"}};
  for (const auto& [text, term] : kKnown)
    if (label == text)
      return term;
  if (label.empty())
    return "";
  return "[ a units:Unit ; rdfs:label " + TurtleString(label) + " ; units:symbol " + TurtleString(label) +
         " ; units:render " + TurtleString("%f " + label) + " ]";
}

void WriteParamPort(std::ostream& out, int index, const IParam& param)
{
  WDL_String symbol;
  LV2ParamSymbol(param, symbol);
  const bool integer = param.Type() != IParam::kTypeDouble;
  out << "[\n    a lv2:InputPort , lv2:ControlPort ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol " << TurtleString(symbol.Get()) << " ;\n"
      << "    lv2:name " << TurtleString(param.GetName()) << " ;\n"
      << "    lv2:default " << Number(param.GetDefault(), integer) << " ;\n"
      << "    lv2:minimum " << Number(param.GetMin(), integer) << " ;\n"
      << "    lv2:maximum " << Number(param.GetMax(), integer);
  if (param.NDisplayTexts() > 0)
  {
    out << " ;\n    lv2:portProperty lv2:integer , lv2:enumeration";
    for (int i = 0; i < param.NDisplayTexts(); ++i)
    {
      double value = 0.0;
      const char* text = param.GetDisplayTextAtIdx(i, &value);
      out << " ;\n    lv2:scalePoint [ rdfs:label " << TurtleString(text ? text : "") << " ; rdf:value "
          << Number(value, integer) << " ]";
    }
  }
  else if (integer && param.GetMin() == 0.0 && param.GetMax() == 1.0)
    out << " ;\n    lv2:portProperty lv2:integer , lv2:toggled";
  else if (integer)
    out << " ;\n    lv2:portProperty lv2:integer";
  const std::string unit = UnitTerm(param);
  if (!unit.empty())
    out << " ;\n    units:unit " << unit;
  out << "\n  ]";
}

void WritePlugin(std::ostream& out, const IPlugLV2& plug, const LV2BundleFiles& files)
{
  const LV2PortLayout& ports = plug.Ports();
  const int version = plug.GetPluginVersion(false);
  std::string name = plug.GetPluginName();
  if (ports.nChannels == 1)
    name += " Mono";

  out << "<" << plug.GetPluginURI() << ">\n"
      << "  a lv2:Plugin , lv2:SimulatorPlugin , doap:Project ;\n"
      << "  doap:name " << TurtleString(name) << " ;\n"
      << "  doap:maintainer [ foaf:name " << TurtleString(plug.GetMfrName()) << " ] ;\n"
      << "  lv2:minorVersion " << ((version >> 8) & 0xFF) << " ;\n"
      << "  lv2:microVersion " << (version & 0xFF) << " ;\n"
      << "  lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
      << "  opts:supportedOption bufsz:maxBlockLength ;\n"
      << "  lv2:extensionData state:interface ;\n";
  if (!files.uiURI.empty())
    out << "  ui:ui <" << files.uiURI << "> ;\n";
  out << "  lv2:port ";
  for (int i = 0; i < ports.nParams; ++i)
  {
    WriteParamPort(out, ports.Param(i), *plug.GetParam(i));
    out << " , ";
  }
  out << "[\n    a lv2:InputPort , lv2:ControlPort ;\n"
      << "    lv2:index " << ports.Enabled() << " ;\n"
      << "    lv2:symbol \"enabled\" ;\n    lv2:name \"Enabled\" ;\n"
      << "    lv2:designation lv2:enabled ;\n"
      << "    lv2:default 1 ;\n    lv2:minimum 0 ;\n    lv2:maximum 1 ;\n"
      << "    lv2:portProperty lv2:integer , lv2:toggled\n  ] , [\n"
      << "    a lv2:OutputPort , lv2:ControlPort ;\n"
      << "    lv2:index " << ports.Latency() << " ;\n"
      << "    lv2:symbol \"latency\" ;\n    lv2:name \"Latency\" ;\n"
      << "    lv2:designation lv2:latency ;\n"
      << "    lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
      << "    units:unit units:frame\n  ]";
  for (int input = 1; input >= 0; --input)
  {
    for (int c = 0; c < ports.nChannels; ++c)
    {
      WDL_String symbol;
      LV2AudioSymbol(input, c, ports.nChannels, symbol);
      std::string label = input ? "Input" : "Output";
      if (ports.nChannels > 1)
        label += c == 0 ? " L" : " R";
      out << " , [\n    a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
          << "    lv2:index " << (input ? ports.AudioIn(c) : ports.AudioOut(c)) << " ;\n"
          << "    lv2:symbol " << TurtleString(symbol.Get()) << " ;\n"
          << "    lv2:name " << TurtleString(label) << "\n  ]";
    }
  }
  out << " .\n\n";
}
} // namespace

void WriteLV2Manifest(std::ostream& out, const std::vector<const IPlugLV2*>& plugs, const LV2BundleFiles& files)
{
  out << kPrefixes;
  for (const IPlugLV2* plug : plugs)
    out << "<" << plug->GetPluginURI() << ">\n  a lv2:Plugin ;\n  lv2:binary <" << files.binary
        << "> ;\n  rdfs:seeAlso <" << files.dataFile << "> .\n\n";
  if (!files.uiURI.empty())
    out << "<" << files.uiURI << ">\n  a ui:X11UI ;\n  ui:binary <" << files.uiBinary << "> ;\n  rdfs:seeAlso <"
        << files.dataFile << "> .\n\n";
}

void WriteLV2PluginData(std::ostream& out, const std::vector<const IPlugLV2*>& plugs, const LV2BundleFiles& files)
{
  out << kPrefixes;
  for (const IPlugLV2* plug : plugs)
    WritePlugin(out, *plug, files);
  if (!files.uiURI.empty())
    out << "<" << files.uiURI << ">\n"
        << "  a ui:X11UI ;\n"
        << "  lv2:requiredFeature ui:parent ;\n"
        << "  lv2:optionalFeature ui:resize , ui:touch , ui:idleInterface ;\n"
        << "  lv2:extensionData ui:idleInterface , ui:resize .\n";
}
} // namespace iplug
