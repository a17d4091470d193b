// Astronomical formulas of the audits: decimal coordinates, solar declination,
// possible sunshine duration, sunrise and sunset, equation of time and true
// solar time at a station.
//
// Inputs are the texts of the parameter arrays: year, month and day as decimal
// texts ("2012", "03", "5"), latitude and longitude as degrees "." whole
// minutes with an optional hemisphere letter ("39.52N", "116.28E"; no letter
// means north or east), hours of day as decimal texts ("14"). Texts are read as
// the value of their leading number (0 when there is none). The constants and
// the points where a value is held in single precision are fixed: the audits
// compare these results with recorded values at the last digit.
//
// Errors (kelvane::Error, caught by the public methods; callers decide):
// - year/month/day that do not make a calendar date raise kErrTypeMismatch;
// - a rounding whose result does not fit 32 bits (absurd minutes, a latitude
//   beyond the pole) raises kErrOverflow from RoundHalfAway.
// Polar day and polar night are results, not errors.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// Signed decimal degrees with four decimals: "39.52N" -> "39.8667",
// "116.28W" -> "-116.4667", "39" -> "39.0000". The degrees are copied as
// written; the minutes become RoundHalfAway(minutes / 60 * 10000) written with
// at least four digits (so minutes of 60 or more give five digits, as the
// formula has it). positive/negative are the hemisphere letters ('N'/'S' or
// 'E'/'W'); a trailing negative letter puts "-" in front.
// Raises kErrOverflow for minutes whose scaled value does not fit 32 bits.
std::string CoordinateToDegrees(std::string_view coordinate, char positive, char negative);

// Numeric value of CoordinateToDegrees (same text, read as a number), built
// on the stack for ordinary inputs.
double CoordinateToDegreesValue(std::string_view coordinate, char positive, char negative);

// Solar declination in degrees for the year, the day number (0 on 1 January),
// the longitude (decimal degrees, east positive) and the local hour.
double SolarDeclination(double year, double dayNumber, double longitude, double hour);

// Possible sunshine duration in hours, rounded to two decimals and held in
// single precision; 0 in polar night, 24 in polar day. The refraction of 34'
// lengthens the day; the sun's semi-diameter is not counted.
// Raises kErrTypeMismatch for a date that does not exist and kErrOverflow when
// the latitude is beyond the pole.
float DayLength(std::string_view year, std::string_view month, std::string_view day,
                std::string_view latitude, std::string_view longitude);

// Sunrise and sunset in true solar time, 12 -/+ half the day length, written
// with two decimals ("5.27" and "18.73"; "12.00"/"12.00" in polar night,
// "0.00"/"24.00" in polar day). Errors as DayLength.
void SunriseSunset(std::string_view year, std::string_view month, std::string_view day,
                   std::string_view latitude, std::string_view longitude, std::string& rise,
                   std::string& set);

// Equation of time in hours (apparent minus mean solar time: about -0.24 in
// mid-February, +0.27 early in November) at the given hour of the date.
// Raises kErrTypeMismatch for a date that does not exist.
double EquationOfTime(std::string_view year, std::string_view month, std::string_view day,
                      std::string_view hour, std::string_view longitude);

// True solar time in hours of the given standard time (of 120 degrees east)
// at the longitude. Raises kErrTypeMismatch for a date that does not exist.
double TrueSolarTime(std::string_view year, std::string_view month, std::string_view day,
                     std::string_view hour, std::string_view longitude);
// The same with the longitude already in degrees (CoordinateToDegreesValue
// of the longitude text, east positive), for callers that ask for many times
// of one station.
double TrueSolarTime(std::string_view year, std::string_view month, std::string_view day,
                     std::string_view hour, double longitudeDegrees);

// Sunrise and sunset in local mean solar time, hours rounded to two decimals
// and held in single precision (12/12 in polar night, 0/24 in polar day). The
// latitude is read by position: after a final "N" or "S" the first two
// characters are the degrees and the last two the minutes, so "39.52N" and
// "3952N" are the same place. Errors as DayLength.
void SunriseSunsetMeanTime(std::string_view year, std::string_view month, std::string_view day,
                           std::string_view latitude, std::string_view longitude, float& rise,
                           float& set);

// A real written with at least one integer digit and exactly two decimals
// ("4.52", "0.00", "24.00"). The value is first taken to 15 significant
// digits, as a real is written as text, and then rounded half away from zero,
// so 4.515 gives "4.52" although its binary value lies just below.
// Raises kErrOverflow for a value that is not finite.
std::string FormatTwoDecimals(double x);

}  // namespace kelvane
