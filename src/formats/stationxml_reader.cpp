#include "formats/stationxml_reader.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>

#include "formats/file_trace.hpp"
#include "formats/stationxml_time.hpp"
#include "records/number_chars.hpp"

namespace wavespec::formats {
namespace {

using instrument::ChannelEpoch;
using instrument::Stage;
using instrument::StageKind;
using instrument::Transfer;

constexpr std::string_view kNamespace = "http://www.fdsn.org/xml/station/";

// The parsed document and the file's text, to name lines in messages.
struct Source {
    std::string_view file;
    std::string_view bytes;

    std::int64_t line_of(const pugi::xml_node& node) const {
        auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(node.offset_debug(), 0));
        offset = std::min(offset, bytes.size());
        return 1 +
               std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
    }
    [[noreturn]] void fail_at(const pugi::xml_node& node, const std::string& what) const {
        fail_at_line(file, line_of(node), what);
    }
};

// An element's name without its namespace prefix.
std::string_view local_name(const pugi::xml_node& node) {
    std::string_view name = node.name();
    std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node child(const pugi::xml_node& node, std::string_view name) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && local_name(c) == name) return c;
    }
    return {};
}

std::vector<pugi::xml_node> children(const pugi::xml_node& node, std::string_view name) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && local_name(c) == name) out.push_back(c);
    }
    return out;
}

std::string_view trimmed_text(const pugi::xml_node& node) {
    std::string_view text = node.text().get();
    while (!text.empty() && std::strchr(" \t\r\n", text.front())) text.remove_prefix(1);
    while (!text.empty() && std::strchr(" \t\r\n", text.back())) text.remove_suffix(1);
    return text;
}

double number_of(const Source& source, const pugi::xml_node& node) {
    std::string_view text = trimmed_text(node);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const std::optional<double> value = read_finite(text);
    if (!value) {
        source.fail_at(
            node, std::string(local_name(node)) + " " + quoted(text) + " is not a finite number");
    }
    return *value;
}

double required_number(const Source& source, const pugi::xml_node& parent, std::string_view name) {
    pugi::xml_node node = child(parent, name);
    if (!node) {
        source.fail_at(parent, std::string(local_name(parent)) + " has no " + std::string(name));
    }
    return number_of(source, node);
}

std::optional<double> optional_number(const Source& source, const pugi::xml_node& parent,
                                      std::string_view name) {
    pugi::xml_node node = child(parent, name);
    if (!node) return std::nullopt;
    return number_of(source, node);
}

std::string units_name(const pugi::xml_node& parent, std::string_view name) {
    return std::string(trimmed_text(child(child(parent, name), "Name")));
}

std::int64_t time_attribute(const Source& source, const pugi::xml_node& node, const char* attribute,
                            std::int64_t absent) {
    pugi::xml_attribute a = node.attribute(attribute);
    if (!a) return absent;
    auto time = parse_iso_time(a.value());
    if (!time) {
        source.fail_at(
            node, std::string(attribute) + " " + quoted(a.value()) + " is not an ISO 8601 time");
    }
    return *time;
}

std::vector<Complex> roots(const Source& source, const pugi::xml_node& node,
                           std::string_view name) {
    std::vector<Complex> out;
    for (const pugi::xml_node& root : children(node, name)) {
        out.push_back(
            {required_number(source, root, "Real"), required_number(source, root, "Imaginary")});
    }
    return out;
}

std::vector<double> numbers(const Source& source, const pugi::xml_node& node,
                            std::string_view name) {
    std::vector<double> out;
    for (const pugi::xml_node& value : children(node, name)) {
        out.push_back(number_of(source, value));
    }
    return out;
}

Transfer transfer_of(const Source& source, const pugi::xml_node& node, std::string_view name) {
    pugi::xml_node type = child(node, name);
    std::string_view text = trimmed_text(type);
    if (text.starts_with("LAPLACE (RADIANS/SECOND)") || text.starts_with("ANALOG (RADIANS/SECOND)"))
        return Transfer::laplace_radians;
    if (text.starts_with("LAPLACE (HERTZ)") || text.starts_with("ANALOG (HERTZ)"))
        return Transfer::laplace_hertz;
    if (text.starts_with("DIGITAL")) return Transfer::digital;
    source.fail_at(type ? type : node, std::string(name) + " " + quoted(text) + " is not known");
}

void read_filter(const Source& source, const pugi::xml_node& filter, Stage& stage) {
    std::string_view kind = local_name(filter);
    stage.input_units = units_name(filter, "InputUnits");
    stage.output_units = units_name(filter, "OutputUnits");
    if (kind == "PolesZeros") {
        stage.kind = StageKind::poles_zeros;
        stage.transfer = transfer_of(source, filter, "PzTransferFunctionType");
        stage.normalization = optional_number(source, filter, "NormalizationFactor").value_or(1.0);
        stage.normalization_frequency =
            optional_number(source, filter, "NormalizationFrequency").value_or(0.0);
        stage.zeros = roots(source, filter, "Zero");
        stage.poles = roots(source, filter, "Pole");
    } else if (kind == "Coefficients") {
        stage.kind = StageKind::coefficients;
        stage.transfer = transfer_of(source, filter, "CfTransferFunctionType");
        stage.numerator = numbers(source, filter, "Numerator");
        stage.denominator = numbers(source, filter, "Denominator");
    } else if (kind == "FIR") {
        stage.kind = StageKind::fir;
        stage.transfer = Transfer::digital;
        std::vector<double> half = numbers(source, filter, "NumeratorCoefficient");
        std::string_view symmetry = trimmed_text(child(filter, "Symmetry"));
        stage.numerator = half;
        if (symmetry == "EVEN" || symmetry == "ODD") {
            // The second half mirrors the first; with ODD the middle coefficient is not repeated.
            std::size_t mirrored =
                symmetry == "ODD" && !half.empty() ? half.size() - 1 : half.size();
            for (std::size_t k = mirrored; k-- > 0;) stage.numerator.push_back(half[k]);
        } else if (!symmetry.empty() && symmetry != "NONE") {
            source.fail_at(filter,
                           "FIR Symmetry " + quoted(symmetry) + " is not NONE, EVEN or ODD");
        }
    } else if (kind == "ResponseList") {
        stage.kind = StageKind::response_list;
        for (const pugi::xml_node& element : children(filter, "ResponseListElement")) {
            stage.list.push_back({required_number(source, element, "Frequency"),
                                  required_number(source, element, "Amplitude"),
                                  required_number(source, element, "Phase")});
        }
        std::stable_sort(stage.list.begin(), stage.list.end(),
                         [](const auto& a, const auto& b) { return a.frequency < b.frequency; });
    } else {
        stage.kind = StageKind::polynomial;
    }
}

Stage read_stage(const Source& source, const pugi::xml_node& node, const Stage* before) {
    Stage stage;
    pugi::xml_attribute number = node.attribute("number");
    stage.number = number ? number.as_int() : 0;
    bool filtered = false;
    for (const char* kind : {"PolesZeros", "Coefficients", "FIR", "ResponseList", "Polynomial"}) {
        if (pugi::xml_node filter = child(node, kind)) {
            if (filtered) source.fail_at(filter, "a stage holds more than one filter");
            read_filter(source, filter, stage);
            filtered = true;
        }
    }
    if (!filtered && before != nullptr) {
        // A gain alone passes its input on in the units it came in.
        stage.input_units = stage.output_units = before->output_units;
    }
    if (pugi::xml_node decimation = child(node, "Decimation")) {
        stage.input_rate = required_number(source, decimation, "InputSampleRate");
        double factor = required_number(source, decimation, "Factor");
        stage.decimation_factor = factor >= 1.0 && factor <= 1e6 ? static_cast<int>(factor) : 1;
    }
    if (pugi::xml_node gain = child(node, "StageGain")) {
        stage.has_gain = true;
        stage.gain = required_number(source, gain, "Value");
        stage.gain_frequency = optional_number(source, gain, "Frequency").value_or(0.0);
    }
    return stage;
}

ChannelEpoch read_channel(const Source& source, const pugi::xml_node& node,
                          const std::string& network, const std::string& station) {
    ChannelEpoch channel;
    channel.network = network;
    channel.station = station;
    channel.location = node.attribute("locationCode").value();
    if (channel.location == "--") channel.location.clear();
    channel.channel = node.attribute("code").value();
    channel.start_us = time_attribute(source, node, "startDate", channel.start_us);
    channel.end_us = time_attribute(source, node, "endDate", instrument::kOpenEnd);
    channel.sample_rate = optional_number(source, node, "SampleRate").value_or(0.0);
    channel.azimuth = optional_number(source, node, "Azimuth");
    channel.dip = optional_number(source, node, "Dip");
    pugi::xml_node response = child(node, "Response");
    if (!response) return channel;
    if (pugi::xml_node s = child(response, "InstrumentSensitivity")) {
        channel.sensitivity =
            instrument::Sensitivity{required_number(source, s, "Value"),
                                    optional_number(source, s, "Frequency").value_or(0.0),
                                    units_name(s, "InputUnits"), units_name(s, "OutputUnits")};
    }
    for (const pugi::xml_node& stage : children(response, "Stage")) {
        channel.stages.push_back(
            read_stage(source, stage, channel.stages.empty() ? nullptr : &channel.stages.back()));
    }
    std::stable_sort(channel.stages.begin(), channel.stages.end(),
                     [](const Stage& a, const Stage& b) { return a.number < b.number; });
    return channel;
}

}  // namespace

bool stationxml_supported() {
    return true;
}

std::vector<ChannelEpoch> read_stationxml(std::string_view file, std::string_view bytes) {
    pugi::xml_document document;
    pugi::xml_parse_result parsed =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    Source source{file, bytes};
    if (parsed.status == pugi::status_no_document_element) {
        fail(file, "is not FDSN StationXML (no XML element in it)");
    }
    if (!parsed) {
        std::size_t offset = std::min(
            static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0)), bytes.size());
        auto line = 1 + std::count(bytes.begin(),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
        fail_at_line(file, line, std::string("not well-formed XML (") + parsed.description() + ")");
    }
    pugi::xml_node root = document.document_element();
    if (!root || local_name(root) != "FDSNStationXML") {
        fail(file, "is not FDSN StationXML (no FDSNStationXML root element)");
    }
    std::string_view prefix = root.name();
    prefix = prefix.substr(0, prefix.find(':') == std::string_view::npos ? 0 : prefix.find(':'));
    std::string xmlns = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    std::string_view space = root.attribute(xmlns.c_str()).value();
    if (!space.empty() && !space.starts_with(kNamespace)) {
        source.fail_at(root, "namespace " + quoted(space) + " is not FDSN StationXML's");
    }
    std::string_view version = root.attribute("schemaVersion").value();
    if (!version.empty() && !version.starts_with("1")) {
        source.fail_at(root, "schemaVersion " + quoted(version) + " is not 1.x");
    }
    std::vector<ChannelEpoch> channels;
    for (const pugi::xml_node& network : children(root, "Network")) {
        std::string network_code = network.attribute("code").value();
        for (const pugi::xml_node& station : children(network, "Station")) {
            std::string station_code = station.attribute("code").value();
            for (const pugi::xml_node& channel : children(station, "Channel")) {
                channels.push_back(read_channel(source, channel, network_code, station_code));
            }
        }
    }
    return channels;
}

}  // namespace wavespec::formats
