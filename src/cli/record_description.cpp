#include "cli/record_description.hpp"

#include <cstdio>

#include "formats/calendar.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::cli {
namespace {

using formats::WaveformRecord;

// The length of the well-formed UTF-8 sequence at the start of text, or 0.
std::size_t utf8_sequence(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    // No overlong forms, surrogates or code points beyond U+10FFFF.
    if (length == 3 && ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0)))
        return 0;
    if (length == 4 && ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)))
        return 0;
    return length;
}

std::string json_number(const std::optional<double>& value) {
    return value ? shortest_text(*value) : "null";
}

std::string json_text_or_null(std::string_view text) {
    return text.empty() ? "null" : json_string(text);
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

std::string json_string(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        std::size_t length = utf8_sequence(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        char c = text[0];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out + "\"";
}

std::string describe_record_json(const WaveformRecord& record) {
    std::string out = "{\"format\":" + json_text_or_null(record.format);
    out += ",\"network\":" + json_text_or_null(record.network);
    out += ",\"station\":" + json_text_or_null(record.station);
    out += ",\"location\":" + json_text_or_null(record.location);
    out += ",\"components\":[";
    for (std::size_t c = 0; c < record.components.size(); ++c) {
        const formats::ComponentTrace& component = record.components[c];
        out += (c == 0 ? "{\"code\":" : ",{\"code\":") + json_string(component_code(component));
        out += ",\"azimuth\":" + json_number(component.azimuth);
        out += ",\"dip\":" + json_number(component.dip) + "}";
    }
    out += "],\"units\":" + json_text_or_null(record.units);
    out += ",\"quantity\":" +
           (record.quantity ? json_string(formats::quantity_name(*record.quantity)) : "null");
    out += ",\"start\":" + json_text_or_null(start_text(record));
    out += ",\"dt\":" + shortest_text(record.dt);
    out += ",\"nt\":" + std::to_string(sample_count(record));
    out += ",\"stated\":[";
    for (std::size_t i = 0; i < record.stated.size(); ++i) {
        const formats::StatedValue& value = record.stated[i];
        out += (i == 0 ? "{\"component\":" : ",{\"component\":") + json_string(value.component);
        out += ",\"quantity\":" + json_string(value.quantity);
        out += ",\"value\":" + shortest_text(value.value);
        out += ",\"time\":" + json_number(value.time);
        out += ",\"units\":" + json_text_or_null(value.units) + "}";
    }
    out += "],\"filter\":";
    out += record.filter ? "{\"highpass\":" + json_number(record.filter->highpass) +
                               ",\"lowpass\":" + json_number(record.filter->lowpass) + "}"
                         : std::string("null");
    out += ",\"notes\":[";
    for (std::size_t i = 0; i < record.notes.size(); ++i) {
        out += (i == 0 ? "" : ",") + json_string(record.notes[i]);
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
