#include "cli/record_description.hpp"

#include <cstdio>

#include "formats/calendar.hpp"
#include "records/json_text.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::cli {
namespace {

using formats::WaveformRecord;

std::string json_text_or_null(std::string_view text) {
    return text.empty() ? "null" : json::quoted(text);
}

std::string start_text(const WaveformRecord& record) {
    return record.start_us ? formats::iso_time(*record.start_us) + "Z" : std::string();
}

std::string component_code(const formats::ComponentTrace& component) {
    return component.code ? *component.code : component.name;
}

std::size_t sample_count(const WaveformRecord& record) {
    return record.components[0].samples.size();
}

}  // namespace

std::string describe_record_json(const WaveformRecord& record) {
    std::string out = "{\"format\":" + json_text_or_null(record.format);
    out += ",\"network\":" + json_text_or_null(record.network);
    out += ",\"station\":" + json_text_or_null(record.station);
    out += ",\"location\":" + json_text_or_null(record.location);
    out += ",\"components\":[";
    for (std::size_t c = 0; c < record.components.size(); ++c) {
        const formats::ComponentTrace& component = record.components[c];
        out += (c == 0 ? "{\"code\":" : ",{\"code\":") + json::quoted(component_code(component));
        out += ",\"azimuth\":" + json::number(component.azimuth);
        out += ",\"dip\":" + json::number(component.dip) + "}";
    }
    out += "],\"units\":" + json_text_or_null(record.units);
    out += ",\"quantity\":" +
           (record.quantity ? json::quoted(formats::quantity_name(*record.quantity)) : "null");
    out += ",\"start\":" + json_text_or_null(start_text(record));
    out += ",\"dt\":" + json::number(record.dt);
    out += ",\"nt\":" + std::to_string(sample_count(record));
    out += ",\"stated\":[";
    for (std::size_t i = 0; i < record.stated.size(); ++i) {
        const formats::StatedValue& value = record.stated[i];
        out += (i == 0 ? "{\"component\":" : ",{\"component\":") + json::quoted(value.component);
        out += ",\"quantity\":" + json::quoted(value.quantity);
        out += ",\"value\":" + json::number(value.value);
        out += ",\"time\":" + json::number(value.time);
        out += ",\"units\":" + json_text_or_null(value.units) + "}";
    }
    out += "],\"filter\":";
    out += record.filter ? "{\"highpass\":" + json::number(record.filter->highpass) +
                               ",\"lowpass\":" + json::number(record.filter->lowpass) + "}"
                         : std::string("null");
    out += ",\"notes\":[";
    for (std::size_t i = 0; i < record.notes.size(); ++i) {
        out += (i == 0 ? "" : ",") + json::quoted(record.notes[i]);
    }
    return out + "]}\n";
}

std::string describe_record_text(const WaveformRecord& record) {
    auto or_unknown = [](std::string_view text) {
        return text.empty() ? std::string("unknown") : std::string(text);
    };
    std::string out = "record: " + record.stem + "\n";
    out += "format: " + or_unknown(record.format) + "\n";
    out += "network: " + or_unknown(record.network) + "\n";
    out += "station: " + or_unknown(record.station) + "\n";
    out += "location: " + or_unknown(record.location) + "\n";
    out += "components:";
    for (std::size_t c = 0; c < record.components.size(); ++c) {
        const formats::ComponentTrace& component = record.components[c];
        out += (c == 0 ? " " : ", ") + component_code(component) + " (azimuth " +
               (component.azimuth ? shortest_text(*component.azimuth) : "unknown") + ", dip " +
               (component.dip ? shortest_text(*component.dip) : "unknown") + ")";
    }
    out += "\nunits: " + or_unknown(record.units) + "\n";
    out +=
        "quantity: " + or_unknown(record.quantity ? formats::quantity_name(*record.quantity) : "") +
        "\n";
    out += "start: " + or_unknown(start_text(record)) + "\n";
    out += "dt: " + shortest_text(record.dt) + "\n";
    out += "nt: " + std::to_string(sample_count(record)) + "\n";
    for (const formats::StatedValue& value : record.stated) {
        out += "stated: " + value.component + " " + value.quantity + " " +
               shortest_text(value.value) + " " + value.units;
        if (value.time) out += " at " + shortest_text(*value.time) + " s";
        out += "\n";
    }
    if (record.filter) {
        auto corner = [](const std::optional<double>& hz) {
            return hz ? shortest_text(*hz) + " Hz" : std::string("unknown");
        };
        out += "filter: highpass " + corner(record.filter->highpass) + ", lowpass " +
               corner(record.filter->lowpass) + "\n";
    }
    for (const std::string& note : record.notes) out += "warning: " + note + "\n";
    return out;
}

}  // namespace wavespec::cli
