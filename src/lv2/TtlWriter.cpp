#include "lv2/TtlWriter.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "lv2/PluginParameters.h"
#include "lv2/PluginUris.h"

namespace vorpline::lv2 {

namespace {

const char* const kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
                              "@prefix patch: <http://lv2plug.in/ns/ext/patch#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                              "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                              "@prefix work: <http://lv2plug.in/ns/ext/worker#> .\n"
                              "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

// A Turtle string literal: quotes and backslashes escaped, control characters dropped.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out + "\"";
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        throw std::runtime_error(path.string() + ": cannot write");
    }
}

std::string ControlPort(const PluginParameter& p, unsigned index, int defaultValue) {
    std::ostringstream out;
    out << "        a lv2:InputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(p.symbol) << " ;\n"
        << "        lv2:name " << Quoted(p.name) << " ;\n"
        << "        lv2:default " << defaultValue << " ;\n"
        << "        lv2:minimum " << p.min << " ;\n"
        << "        lv2:maximum " << p.max << " ;\n";
    switch (p.kind) {
    case PortKind::kToggle:
        out << "        lv2:portProperty lv2:toggled, lv2:integer ;\n";
        break;
    case PortKind::kEnumeration:
        out << "        lv2:portProperty lv2:enumeration, lv2:integer ;\n";
        break;
    case PortKind::kInteger:
        out << "        lv2:portProperty lv2:integer ;\n";
        break;
    }
    if (p.cents) {
        out << "        units:unit units:cent ;\n";
    }
    for (size_t i = 0; i < p.scalePoints.size(); ++i) {
        out << (i == 0 ? "        lv2:scalePoint " : " ,\n            ") << "[ rdfs:label "
            << Quoted(p.scalePoints[i].second) << " ; rdf:value " << p.scalePoints[i].first << " ]";
    }
    if (!p.scalePoints.empty()) {
        out << " ;\n";
    }
    return out.str();
}

std::string PluginTtl(const std::vector<int>& defaults) {
    std::ostringstream out;
    out << kPrefixes << "<" << kPluginUri << ">\n"
        << "    a lv2:InstrumentPlugin, lv2:Plugin ;\n"
        << "    doap:name \"Vorpline\" ;\n"
        << "    doap:license <https://spdx.org/licenses/GPL-3.0-or-later> ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable, work:schedule ;\n"
        << "    lv2:extensionData state:interface, work:interface ;\n"
        << "    patch:writable <" << kSbiFileKey << "> ;\n"
        << "    lv2:port [\n"
        << "        a lv2:InputPort, atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent, patch:Message ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kMidiInPort << " ;\n"
        << "        lv2:symbol \"midi_in\" ;\n"
        << "        lv2:name \"MIDI In\"\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort, lv2:AudioPort ;\n"
        << "        lv2:index " << kLeftPort << " ;\n"
        << "        lv2:symbol \"out_l\" ;\n"
        << "        lv2:name \"Left\"\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort, lv2:AudioPort ;\n"
        << "        lv2:index " << kRightPort << " ;\n"
        << "        lv2:symbol \"out_r\" ;\n"
        << "        lv2:name \"Right\"\n";
    const auto& table = PluginParameters();
    for (size_t i = 0; i < table.size(); ++i) {
        std::string port =
            ControlPort(table[i], kFirstParameterPort + static_cast<unsigned>(i), defaults.at(i));
        port.erase(port.size() - 3); // the last " ;\n"
        out << "    ] , [\n" << port << "\n";
    }
    out << "    ] .\n\n"
        << "<" << kPatchKey << ">\n"
        << "    a rdf:Property ;\n"
        << "    rdfs:label \"Patch\" ;\n"
        << "    rdfs:comment \"The whole patch as a 6-operator preset file.\" ;\n"
        << "    rdfs:range atom:Chunk .\n\n"
        << "<" << kSbiFileKey << ">\n"
        << "    a lv2:Parameter ;\n"
        << "    rdfs:label \"SBI file\" ;\n"
        << "    rdfs:comment \"Loads a 2-, 4- or 6-operator preset file over the patch.\" ;\n"
        << "    rdfs:range atom:Path .\n";
    return out.str();
}

std::string PresetTtl(const BundlePreset& preset) {
    std::ostringstream out;
    out << kPrefixes << "<" << PresetUri(preset.name) << ">\n"
        << "    a pset:Preset ;\n"
        << "    lv2:appliesTo <" << kPluginUri << "> ;\n"
        << "    rdfs:label " << Quoted(preset.name) << " ;\n";
    const auto& table = PluginParameters();
    for (size_t i = 0; i < table.size(); ++i) {
        out << (i == 0 ? "    lv2:port " : " ,\n        ") << "[ lv2:symbol "
            << Quoted(table[i].symbol) << " ; pset:value " << preset.values.at(i) << ".0 ]";
    }
    out << " ;\n    state:state [\n        <" << kPatchKey << "> \"" << Base64(preset.patch)
        << "\"^^xsd:base64Binary\n    ] .\n";
    return out.str();
}

} // namespace

std::string Base64(const std::vector<uint8_t>& bytes) {
    static const char* const kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
        const size_t left = bytes.size() - i;
        if (left > 1) {
            group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        }
        if (left > 2) {
            group |= bytes[i + 2];
        }
        out += kDigits[(group >> 18) & 63];
        out += kDigits[(group >> 12) & 63];
        out += left > 1 ? kDigits[(group >> 6) & 63] : '=';
        out += left > 2 ? kDigits[group & 63] : '=';
    }
    return out;
}

std::string PresetUri(const std::string& name) {
    std::string uri = kPresetPrefix;
    for (char c : name) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        uri += plain ? c : '_';
    }
    return uri;
}

std::string PresetFileName(const std::string& name) {
    return "preset_" + PresetUri(name).substr(std::string(kPresetPrefix).size()) + ".ttl";
}

void WriteBundleTtl(const std::filesystem::path& bundle, const std::vector<int>& defaults,
                    const std::vector<BundlePreset>& presets) {
    std::filesystem::create_directories(bundle);
    std::ostringstream manifest;
    manifest << kPrefixes << "<" << kPluginUri << ">\n"
             << "    a lv2:Plugin, lv2:InstrumentPlugin ;\n"
             << "    lv2:binary <" << kBinaryName << "> ;\n"
             << "    rdfs:seeAlso <vorpline.ttl> .\n";
    for (const BundlePreset& preset : presets) {
        manifest << "\n<" << PresetUri(preset.name) << ">\n"
                 << "    a pset:Preset ;\n"
                 << "    lv2:appliesTo <" << kPluginUri << "> ;\n"
                 << "    rdfs:seeAlso <" << PresetFileName(preset.name) << "> .\n";
        WriteFile(bundle / PresetFileName(preset.name), PresetTtl(preset));
    }
    WriteFile(bundle / "manifest.ttl", manifest.str());
    WriteFile(bundle / "vorpline.ttl", PluginTtl(defaults));
}

} // namespace vorpline::lv2
