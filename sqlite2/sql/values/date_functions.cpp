#include "sql/values/date_functions.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "common/ascii_case.h"
#include "common/text_format.h"
#include "sql/values/calendar_time.h"

namespace sqlite2 {

namespace {

constexpr double kUnixEpochJulianDay = 2440587.5;

// The time that args[first] names after the modifiers that follow it; nullopt when any of
// them is missing, NULL or unreadable, or when the time has no calendar date and
// withCalendar asks for one.
std::optional<CalendarTime> timeOf(const FunctionCall& call, int first, bool withCalendar = true) {
  if (call.count <= first) return std::nullopt;
  for (int i = first; i < call.count; ++i) {
    if (call.args[i].isNull()) return std::nullopt;
  }
  std::optional<CalendarTime> time = CalendarTime::parse(call.args[first].text());
  if (!time) return std::nullopt;
  for (int i = first + 1; i < call.count; ++i) {
    if (!time->apply(call.args[i].text())) return std::nullopt;
  }
  if (withCalendar && !time->inCalendarRange()) return std::nullopt;
  return time;
}

// Seconds are printed whole, cut rather than rounded so that 59.9 never shows as 60.
int wholeSeconds(const ClockTime& clock) {
  return static_cast<int>(std::floor(clock.second));
}

std::string dateText(CalendarTime& time) {
  CalendarDate date = time.date();
  return formatText("%04d-%02d-%02d", static_cast<int>(date.year), date.month, date.day);
}

std::string clockText(CalendarTime& time) {
  ClockTime clock = time.clock();
  return formatText("%02d:%02d:%02d", clock.hour, clock.minute, wholeSeconds(clock));
}

SqlValue dateOf(const FunctionCall& call) {
  std::optional<CalendarTime> time = timeOf(call, 0);
  if (!time) return SqlValue::null();
  return SqlValue::ownedText(dateText(*time));
}

SqlValue timeOfDay(const FunctionCall& call) {
  std::optional<CalendarTime> time = timeOf(call, 0);
  if (!time) return SqlValue::null();
  return SqlValue::ownedText(clockText(*time));
}

SqlValue dateAndTimeOf(const FunctionCall& call) {
  std::optional<CalendarTime> time = timeOf(call, 0);
  if (!time) return SqlValue::null();
  return SqlValue::ownedText(dateText(*time) + " " + clockText(*time));
}

SqlValue julianDayOf(const FunctionCall& call) {
  std::optional<CalendarTime> time = timeOf(call, 0, false);
  if (!time) return SqlValue::null();
  return SqlValue::real(time->julianDay());
}

// %J carries the C library's correctly rounded digits; the engine's own printf is exact only
// to 15. The decimal point is put back in case a locale changed it.
std::string sixteenDigits(double value) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.16g", value);
  std::string text(digits);
  for (char& c : text) {
    if (c != '-' && c != '+' && c != 'e' && (c < '0' || c > '9')) c = '.';
  }
  return text;
}

// One %-conversion of strftime; false for a letter it does not know.
bool appendConversion(char letter, CalendarTime& time, std::string* out) {
  CalendarDate date = time.date();
  ClockTime clock = time.clock();
  switch (letter) {
    case 'd':
      *out += formatText("%02d", date.day);
      break;
    case 'f': {
      long milliseconds = static_cast<long>(std::floor(clock.second * 1000 + 1e-6));
      *out += formatText("%02ld.%03ld", milliseconds / 1000, milliseconds % 1000);
      break;
    }
    case 'H':
      *out += formatText("%02d", clock.hour);
      break;
    case 'j':
      *out += formatText("%03d", time.dayOfYear() + 1);
      break;
    case 'J':
      *out += sixteenDigits(time.julianDay());
      break;
    case 'm':
      *out += formatText("%02d", date.month);
      break;
    case 'M':
      *out += formatText("%02d", clock.minute);
      break;
    case 's': {
      double seconds = (time.julianDay() - kUnixEpochJulianDay) * 86400;
      *out += std::to_string(static_cast<long long>(std::floor(seconds + 0.5)));
      break;
    }
    case 'S':
      *out += formatText("%02d", wholeSeconds(clock));
      break;
    case 'w':
      *out += std::to_string(time.weekday());
      break;
    case 'W': {
      int mondayBased = (time.weekday() + 6) % 7;
      *out += formatText("%02d", (time.dayOfYear() + 7 - mondayBased) / 7);
      break;
    }
    case 'Y':
      *out += formatText("%04d", static_cast<int>(date.year));
      break;
    case '%':
      *out += '%';
      break;
    default:
      return false;
  }
  return true;
}

SqlValue formattedTime(const FunctionCall& call) {
  if (call.count < 2 || call.args[0].isNull()) return SqlValue::null();
  std::optional<CalendarTime> time = timeOf(call, 1);
  if (!time) return SqlValue::null();
  // Unlike the other functions, strftime shows the time as counted, not as written.
  time->normalize();
  std::string_view format = call.args[0].text();
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
    } else if (i + 1 == format.size() || !appendConversion(format[++i], *time, &out)) {
      return SqlValue::null();
    }
  }
  return SqlValue::ownedText(std::move(out));
}

const ScalarFunction kDateFunctions[] = {
    {"date", 0, -1, FunctionType::Text, dateOf},
    {"time", 0, -1, FunctionType::Text, timeOfDay},
    {"datetime", 0, -1, FunctionType::Text, dateAndTimeOf},
    {"julianday", 0, -1, FunctionType::Numeric, julianDayOf},
    {"strftime", 0, -1, FunctionType::Text, formattedTime},
};

}  // namespace

const ScalarFunction* findDateFunction(std::string_view name) {
  for (const ScalarFunction& function : kDateFunctions) {
    if (sameName(name, function.name)) return &function;
  }
  return nullptr;
}

}  // namespace sqlite2
