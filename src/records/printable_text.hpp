// Names and lines as the tool prints them: a control character in a file's name (a line
// break, an escape sequence) must not make a printed line look like another one.
#pragma once

#include <string>
#include <string_view>

namespace wavespec {

// The name as it is when it holds no control character; otherwise in double quotes with C
// escapes: \n \t \r \a \b \f \v, \\ and \", and three octal digits (\033) for the others.
std::string printable_name(std::string_view name);

// The line with each control character written as its C escape, and nothing else changed:
// the last guard of every line the tool prints.
std::string printable_line(std::string_view line);

}  // namespace wavespec
