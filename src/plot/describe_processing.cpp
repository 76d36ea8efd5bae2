#include <string>

#include "plot/pictures.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {

std::string describe_processing(std::optional<std::array<double, 4>> bandpass, int operation,
                                std::optional<std::array<double, 2>> window) {
    std::string text;
    auto separate = [&] {
        if (!text.empty()) text += ", ";
    };
    if (bandpass) {
        text += "band-pass ";
        for (std::size_t i = 0; i < 4; ++i) {
            if (i > 0) text += '/';
            append_number(text, (*bandpass)[i]);
        }
        text += " Hz";
    }
    static constexpr const char* kOperations[] = {"", "integrated", "integrated twice",
                                                  "differentiated"};
    if (operation >= 1 && operation <= 3) {
        separate();
        text += kOperations[operation];
    }
    if (window) {
        separate();
        text += "window ";
        append_number(text, (*window)[0]);
        text += '-';
        append_number(text, (*window)[0] + (*window)[1]);
        text += " s";
    }
    return text;
}

}  // namespace wavespec::plot
