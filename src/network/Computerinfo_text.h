#pragma once
// The texts of one row of the computer-information list, built from what a
// server reports: its platform and version, its server kinds, the difference
// between its clock and ours, and its date. The platform and kind texts are
// fixed English, not UI texts.
#include <QString>
#include <QtGlobal>
#include <array>

namespace ComputerInfo {

// "DOS", "OS2", "NT", "OSF", "VMS" for 300..700; empty for anything else.
QString PlatformText(quint32 platformId);
// Platform text, a blank, then major (low four bits) "." minor: "NT 5.1".
QString SystemText(quint32 platformId, quint32 versionMajor, quint32 versionMinor);
// The server kinds announced by the type bits, in the fixed order of the
// kinds table and joined by ", "; empty when no known bit is set.
QString ServerKindsText(quint32 type);

// The server's local hour: its hour less its time-zone offset (minutes west
// of UTC, whole hours only, truncated toward zero), wrapped into 0..23.
int ServerLocalHour(int hour, int timezoneMinutes);
// A time of day given in seconds (0..86399) in the long time format.
QString TimeOfDayText(int secondsOfDay);
// "+" and the time of server - local when the server is ahead, else "-" and
// the time of local - server (equal times give "-" and a zero time).
QString ClockDifferenceText(int serverSecondsOfDay, int localSecondsOfDay);
// The difference text of this computer's own row.
QString ThisComputerDifferenceText();
// Two-digit day, "/", the month's name, "/", the year in full: "07/Dec/2026".
// Empty when the month is out of 1..12.
QString ServerDateText(int day, int month, int year, const std::array<QString, 12>& months);

}  // namespace ComputerInfo
