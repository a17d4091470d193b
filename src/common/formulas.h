// Solar and psychrometric formulas shared by the audits and the sample
// writers. The audits compare recomputed values with recorded ones at the
// last digit, so every constant and every single-precision step here is
// part of the behaviour: change nothing without checking the recorded
// values it has to reproduce.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// ---------------------------------------------------------------------------
// Psychrometric formulas

// Saturation vapour pressure over water (Goff-Gratch), hPa, at t °C.
double SatVapourWater(float t);
// Saturation vapour pressure over ice (Goff-Gratch), hPa, at t °C.
double SatVapourIce(float t);

// Vapour pressure, relative humidity and dew point from a humidity reading.
//
// dry: dry-bulb temperature, tenths of °C. wet: one of
//   - a wet-bulb temperature in tenths of °C; a "B" in it marks an iced
//     bulb (used only when the reading is at or below 0 °C);
//   - a hygrometer reading followed by "F" (converted with c0..c3);
//   - a relative humidity in percent followed by "U".
// p: station pressure, tenths of hPa ("-" or empty: pDefault hPa).
// vent: ventilation code of the psychrometer ("2.5", "3.5", "0.4"/"4"/"04";
// anything else is the screen psychrometer of the automatic stations).
//
// Outputs, as the data files write them: e vapour pressure in tenths of hPa
// (at least two digits), u relative humidity in percent, td dew point in
// tenths of °C (at least two digits, "-" in front when negative).
//
// Texts are read by their leading number (0 when there is none).
void HumidityFromPsychrometer(std::string_view dry, std::string_view wet, std::string_view p,
                              std::string_view vent, std::string& e, std::string& u,
                              std::string& td, double pDefault, double c0, double c1, double c2,
                              double c3);

}  // namespace kelvane
