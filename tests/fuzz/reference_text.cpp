#include "fuzz/reference_text.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace wavespec::fuzz {

namespace {

constexpr std::size_t kLineLimit = 80;

std::string printf_text(const char* format, int precision, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

std::string non_finite(double value) {
    std::string sign = value < 0.0 ? "-" : "";
    return sign + (std::isnan(value) ? "NaN" : "Infinity");
}

std::string justify(const std::string& text, int width) {
    auto w = static_cast<std::size_t>(width);
    if (text.size() > w) return std::string(w, '*');
    return std::string(w - text.size(), ' ') + text;
}

std::string general_magnitude(double magnitude) {
    if (magnitude == 0.0) return "0.";
    std::string text = printf_text("%.*G", 9, magnitude);
    std::size_t e = text.find('E');
    if (e != std::string::npos) {
        if (text.find('.') == std::string::npos) text.insert(e, ".");
    } else if (text.find('.') == std::string::npos) {
        text += '.';
    }
    return text;
}

}  // namespace

std::string reference_list_real(double value) {
    std::string lead = value < 0.0 ? " -" : "  ";
    if (std::isnan(value)) return lead + "NaN";
    if (std::isinf(value)) return lead + "Infinity";
    return lead + general_magnitude(std::fabs(value));
}

std::string reference_list_real_part(double value) {
    if (!std::isfinite(value)) return non_finite(value);
    return (value < 0.0 ? "-" : "") + general_magnitude(std::fabs(value));
}

std::string reference_fixed(double value, int width, int decimals) {
    if (!std::isfinite(value)) return justify(non_finite(value), width);
    std::string magnitude = printf_text("%#.*f", decimals, std::fabs(value));
    bool all_zero = magnitude.find_first_of("123456789") == std::string::npos;
    std::string sign = value < 0.0 && !all_zero ? "-" : "";
    std::string text = sign + magnitude;
    if (text.size() > static_cast<std::size_t>(width) && magnitude.rfind("0.", 0) == 0) {
        text = sign + magnitude.substr(1);
    }
    return justify(text, width);
}

std::string reference_exponent(double value, int width, int digits) {
    if (!std::isfinite(value)) return justify(non_finite(value), width);
    bool negative = value < 0.0;
    std::string mantissa(static_cast<std::size_t>(digits), '0');
    int exponent = 0;
    if (value != 0.0) {
        std::string text = printf_text("%#.*E", digits - 1, std::fabs(value));
        std::size_t e = text.find('E');
        mantissa.clear();
        for (std::size_t i = 0; i < e; ++i) {
            if (text[i] != '.') mantissa += text[i];
        }
        exponent = std::atoi(text.c_str() + e + 1) + 1;
    }
    std::size_t needed = (negative ? 1u : 0u) + 1u + static_cast<std::size_t>(digits) + 4u;
    if (needed > static_cast<std::size_t>(width)) return std::string(width, '*');
    std::string field = negative ? "-" : "";
    if (needed < static_cast<std::size_t>(width)) field += '0';
    field += '.' + mantissa;
    char exponent_text[16];
    std::snprintf(exponent_text, sizeof exponent_text, "%+.2d", exponent);
    if (std::abs(exponent) < 100) field += 'E';
    field += exponent_text;
    return justify(field, width);
}

void ReferenceListRecord::end_record() {
    out_ += '\n';
    position_ = 0;
}

void ReferenceListRecord::make_room(std::size_t item_length) {
    if (position_ > 0 && position_ + item_length >= kLineLimit) end_record();
}

void ReferenceListRecord::text(const std::string& value) {
    make_room(value.size());
    if (position_ == 0) {
        out_ += ' ';
        ++position_;
    }
    out_ += value;
    position_ += value.size();
}

void ReferenceListRecord::integer(std::int32_t value) {
    std::string digits = std::to_string(value);
    std::size_t length = digits.size() - (value < 0 ? 1 : 0);
    make_room(length);
    out_ += ' ' + digits;
    position_ += 1 + digits.size();
}

void ReferenceListRecord::real(double value) {
    std::string text = reference_list_real(value);
    make_room(text.size());
    out_ += text;
    position_ += text.size();
}

void ReferenceListRecord::complex(double re, double im) {
    std::string re_text = reference_list_real_part(re);
    std::string im_text = reference_list_real_part(im);
    make_room(re_text.size() + im_text.size() + 4);
    out_ += " (" + re_text + ",";
    position_ += 3 + re_text.size();
    if (position_ + im_text.size() + 1 >= kLineLimit) {
        end_record();
        out_ += ' ';
        position_ = 1;
    }
    out_ += im_text + ")";
    position_ += im_text.size() + 1;
}

std::string ReferenceListRecord::finish() {
    end_record();
    return out_;
}

std::string reference_formatted(const std::vector<ReferenceField>& format,
                                const std::vector<double>& items) {
    std::string out;
    std::size_t next = 0;
    for (const ReferenceField& field : format) {
        if (field.kind == '\'') {
            out += field.literal;
            continue;
        }
        if (next == items.size()) break;
        double v = items[next++];
        out += field.kind == 'F' ? reference_fixed(v, field.width, field.decimals)
                                 : reference_exponent(v, field.width, field.decimals);
    }
    return out + '\n';
}

bool parse_field(const std::string& field, double& value) {
    std::size_t start = field.find_first_not_of(' ');
    if (start == std::string::npos || field[start] == '*') return false;
    std::string text = field.substr(start);
    // A three-digit exponent stands without its E: put it back for strtod.
    std::size_t sign = text.find_first_of("+-", 1);
    if (sign != std::string::npos && text[sign - 1] != 'E') text.insert(sign, "E");
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

}  // namespace wavespec::fuzz
