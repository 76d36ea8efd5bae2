// Slow reference texts of numbers and records, built on snprintf and written straight from
// the record rules, for comparison with the fast writers of the tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wavespec::fuzz {

// "%.9G" with the decimal point always present, after a blank and a minus sign or blank.
std::string reference_list_real(double value);
// The same without the two leading characters, a minus sign kept: a part of a complex item.
std::string reference_list_real_part(double value);
// Fw.d from "%#.*f": minus only when the rounded text is not all zeros, the zero before the
// point dropped only when that makes it fit, right-justified, else w asterisks.
std::string reference_fixed(double value, int width, int decimals);
// Ew.d from "%#.*E" with d - 1 decimals: [-][0].d1..dd, E, exponent + 1 as "%+.2d" (the E
// left out for three digits), right-justified, else w asterisks.
std::string reference_exponent(double value, int width, int digits);

// One list-directed record statement built item by item with the 80-column rules.
class ReferenceListRecord {
  public:
    void text(const std::string& value);
    void integer(std::int32_t value);
    void real(double value);
    void complex(double re, double im);
    // The statement's records, each ended by a line feed.
    std::string finish();

  private:
    void make_room(std::size_t item_length);
    void end_record();
    std::string out_;
    std::size_t position_ = 0;
};

// A formatted record from a flattened format: data fields take the items in order; when the
// items run out, literals still follow up to the next data field.
struct ReferenceField {
    char kind;  // 'F', 'E' or '\'' for a literal
    int width;
    int decimals;
    std::string literal;
};
std::string reference_formatted(const std::vector<ReferenceField>& format,
                                const std::vector<double>& items);

// A number text as written, turned back into a double: asterisks give nothing (false).
bool parse_field(const std::string& field, double& value);

}  // namespace wavespec::fuzz
