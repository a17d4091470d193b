// Wind direction code and speed to whole degrees.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// "23" for NNE, "C" for calm (code C, or a speed of 0), "-" for an unknown
// code or a speed "-", "" for an empty speed; a numeric direction is returned
// as written.
std::string WindDirectionDegrees(std::string_view strWD, std::string_view strWF);

}  // namespace kelvane
