// Fuzz target: arbitrary doubles through the list-directed and formatted writers. Every
// number text must equal the slow snprintf reference, read back (strtod) as the correctly
// rounded value, and whole records must equal the reference records: the 80-column breaking
// of list-directed statements and the three formats of the tool's files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.hpp"
#include "fuzz/reference_text.hpp"
#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_output.hpp"
#include "records/number_text.hpp"

namespace wavespec::fuzz {
namespace {

// Reads the input front to back; past its end everything is zero.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    template <typename T>
    T value() {
        unsigned char raw[sizeof(T)] = {};
        for (auto& b : raw) b = byte();
        T v;
        std::memcpy(&v, raw, sizeof v);
        return v;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::string shown(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (%a)", v, v);
    return text;
}

void expect_text(const std::string& got, const std::string& expected, const char* what, double v) {
    if (got != expected) {
        finding(what, shown(v) + "\n got:      [" + got + "]\n expected: [" + expected + "]");
    }
}

// The text must mean the value rounded as the given printf conversion rounds it.
void expect_reads_back(const std::string& text, double v, const std::string& rounded) {
    double read = 0.0;
    if (!std::isfinite(v) || !parse_field(text, read)) return;
    double expected = std::strtod(rounded.c_str(), nullptr);
    if (read != expected) {
        finding("text does not read back as the rounded value",
                shown(v) + "\n text: [" + text + "] rounded: " + rounded);
    }
}

std::string printf_rounded(const char* format, int precision, double v) {
    char text[512];
    std::snprintf(text, sizeof text, format, precision, v);
    return text;
}

void check_numbers(double v, int width, int decimals) {
    char out[kNumberTextCapacity + 64];
    std::string list(out, list_real_text(v, out));
    expect_text(list, reference_list_real(v), "list-directed real", v);
    expect_reads_back(list, v, printf_rounded("%.*e", 8, v));
    expect_text(std::string(out, list_real_part_text(v, out)), reference_list_real_part(v),
                "part of a complex value", v);

    int f_width = width;
    int f_decimals = decimals % 41;
    std::string fixed(out, fixed_field(v, f_width, f_decimals, out));
    expect_text(fixed, reference_fixed(v, f_width, f_decimals),
                ("F" + std::to_string(f_width) + "." + std::to_string(f_decimals)).c_str(), v);
    expect_reads_back(fixed, v, printf_rounded("%.*f", f_decimals, v));

    int e_digits = 1 + decimals % 40;
    std::string exponent(out, exponent_field(v, width, e_digits, out));
    expect_text(exponent, reference_exponent(v, width, e_digits),
                ("E" + std::to_string(width) + "." + std::to_string(e_digits)).c_str(), v);
    expect_reads_back(exponent, v, printf_rounded("%.*e", e_digits - 1, v));
}

// The formats of the output waveform and the two spectrum files, as the reference sees them.
struct ToolFormat {
    const char* text;
    std::vector<ReferenceField> fields;
};
std::vector<ReferenceField> repeated(ReferenceField first, ReferenceField field, int times) {
    std::vector<ReferenceField> fields{first};
    for (int i = 0; i < times; ++i) {
        fields.push_back({'\'', 0, 0, ","});
        fields.push_back(field);
    }
    return fields;
}
const ToolFormat kFormats[] = {
    {"(F6.3,4(',',F12.4))", repeated({'F', 6, 3, ""}, {'F', 12, 4, ""}, 4)},
    {"(F8.4,6(',',E12.4))", repeated({'F', 8, 4, ""}, {'E', 12, 4, ""}, 6)},
    {"(F8.4,6(',',E15.7))", repeated({'F', 8, 4, ""}, {'E', 15, 7, ""}, 6)},
};

struct Records {
    Bytes* bytes;
    ReferenceListRecord* list;
    std::string expected;
};

// One list-directed statement of items drawn from the input, then one formatted record.
void write_records(RecordLayer& layer, void* context) {
    auto& records = *static_cast<Records*>(context);
    Bytes& bytes = *records.bytes;
    {
        ListWriter writer(layer, kConsole);
        int items = bytes.byte() % 24;
        for (int i = 0; i < items; ++i) {
            switch (bytes.byte() % 4) {
                case 0: {
                    std::string text(bytes.byte() % 90, 'x');
                    for (char& c : text) c = static_cast<char>(' ' + bytes.byte() % 95);
                    writer.text(text);
                    records.list->text(text);
                    break;
                }
                case 1: {
                    auto v = bytes.value<std::int32_t>();
                    writer.integer(v);
                    records.list->integer(v);
                    break;
                }
                case 2: {
                    auto v = bytes.value<double>();
                    writer.real(v);
                    records.list->real(v);
                    break;
                }
                default: {
                    auto re = bytes.value<double>();
                    auto im = bytes.value<double>();
                    writer.complex(re, im);
                    records.list->complex(re, im);
                    break;
                }
            }
        }
    }
    records.expected = records.list->finish();
    const ToolFormat& format = kFormats[bytes.byte() % 3];
    static const FormatProgram programs[] = {FormatProgram(kFormats[0].text),
                                             FormatProgram(kFormats[1].text),
                                             FormatProgram(kFormats[2].text)};
    const FormatProgram& program = programs[&format - kFormats];
    std::vector<double> items(bytes.byte() % (program.data_descriptors() + 1));
    for (double& v : items) v = bytes.value<double>();
    write_formatted(layer, kConsole, program, items);
    records.expected += reference_formatted(format.fields, items);
}

}  // namespace
}  // namespace wavespec::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec::fuzz;
    Bytes bytes(data, size);
    std::uint8_t mode = bytes.byte();
    if (mode % 2 == 0) {
        // Numbers: a width from 1 to 64 and a decimal count for each double.
        while (!bytes.empty()) {
            int width = 1 + bytes.byte() % 64;
            int decimals = bytes.byte();
            check_numbers(bytes.value<double>(), width, decimals);
        }
        return 0;
    }
    ReferenceListRecord list;
    Records records{&bytes, &list, {}};
    CaughtRun run("");
    if (run.run(write_records, &records))
        finding("a write to the console failed", run.diagnostic());
    std::string got = run.console();
    if (got != records.expected) {
        finding("records differ", "got:\n" + got + "expected:\n" + records.expected);
    }
    return 0;
}
