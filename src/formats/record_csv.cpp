#include <charconv>

#include "formats/formats.hpp"
#include "records/number_chars.hpp"

namespace wavespec::formats {
namespace {

void append_number(std::string& out, double value) {
    char buffer[32];
    auto result = shortest_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace

void write_record_csv(const WaveformRecord& record, std::string& out) {
    out += "time";
    for (const ComponentTrace& component : record.components)
        out.append(",").append(component.name);
    out += '\n';
    const std::size_t n = record.components[0].samples.size();
    out.reserve(out.size() + n * 64);
    for (std::size_t i = 0; i < n; ++i) {
        append_number(out, static_cast<double>(i) * record.dt);
        for (const ComponentTrace& component : record.components) {
            out += ',';
            append_number(out, component.samples[i]);
        }
        out += '\n';
    }
}

}  // namespace wavespec::formats
