#include "network/Computerinfo_text.h"

#include <QTime>

#include "platform/core/DateFormat.h"

namespace ComputerInfo {

namespace {

struct TKind {
  quint32 Bit;
  const char* Text;
};

// Appended in this order, which is not the order of the bits.
constexpr TKind kKinds[] = {
    {0x4, "SQL Server, "},
    {0x8, "Primary domain controller, "},
    {0x10, "Backup domain controller, "},
    {0x20, "TimeSource, "},
    {0x40, "Apple File Protocol server, "},
    {0x80, "Novell Server, "},
    {0x100, "Domain Member, "},
    {0x200, "Printer Server, "},
    {0x400, "Dial Server, "},
    {0x800, "Unix Server, "},
    {0x8000, "NT server that is not Domain controller, "},
    {0x2000, "Server running Windows for Workgroups, "},
    {0x4000, "Microsoft File and Print for NetWare, "},
    {0x1000000, "Server clusters available in the domain, "},
    {0x80000000u, "Primary domain, "},
    {0x400000, "Windows 95/98/Me, "},
};

constexpr int kSecondsPerDay = 24 * 60 * 60;

}  // namespace

QString PlatformText(quint32 platformId) {
  switch (platformId) {
    case 300: return QStringLiteral("DOS");
    case 400: return QStringLiteral("OS2");
    case 500: return QStringLiteral("NT");
    case 600: return QStringLiteral("OSF");
    case 700: return QStringLiteral("VMS");
    default: return QString();
  }
}

QString SystemText(quint32 platformId, quint32 versionMajor, quint32 versionMinor) {
  return PlatformText(platformId) + QLatin1Char(' ') + QString::number(versionMajor & 0x0F) +
         QLatin1Char('.') + QString::number(versionMinor);
}

QString ServerKindsText(quint32 type) {
  QString text;
  // Only one of these three: an NT machine also sets the other two bits.
  if (type & 0x1000)
    text += QLatin1String("NT Workstation/Server, ");
  else if (type & 0x1)
    text += QLatin1String("Workstation, ");
  else if (type & 0x2)
    text += QLatin1String("Server, ");
  for (const TKind& kind : kKinds)
    if (type & kind.Bit) text += QLatin1String(kind.Text);
  if (text.endsWith(QLatin1String(", "))) text.chop(2);
  return text;
}

int ServerLocalHour(int hour, int timezoneMinutes) {
  // Integer division truncates toward zero: -330 adds 5 hours, -1 (no
  // time zone known) changes nothing.
  const int h = (hour - timezoneMinutes / 60) % 24;
  return h < 0 ? h + 24 : h;
}

QString TimeOfDayText(int secondsOfDay) {
  secondsOfDay %= kSecondsPerDay;
  if (secondsOfDay < 0) secondsOfDay += kSecondsPerDay;
  return DateFormat::TimeToStr(QTime(0, 0).addSecs(secondsOfDay));
}

QString ClockDifferenceText(int serverSecondsOfDay, int localSecondsOfDay) {
  if (serverSecondsOfDay > localSecondsOfDay)
    return QLatin1Char('+') + TimeOfDayText(serverSecondsOfDay - localSecondsOfDay);
  return QLatin1Char('-') + TimeOfDayText(localSecondsOfDay - serverSecondsOfDay);
}

QString ThisComputerDifferenceText() { return QStringLiteral(" 00:00:00"); }

QString ServerDateText(int day, int month, int year, const std::array<QString, 12>& months) {
  // A month outside the table would index past it; such a date is not shown.
  if (month < 1 || month > 12) return QString();
  // Joined piece by piece: a month name from a language file may hold "%".
  return QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')) + QLatin1Char('/') +
         months[month - 1] + QLatin1Char('/') + QStringLiteral("%1").arg(year, 2, 10, QLatin1Char('0'));
}

}  // namespace ComputerInfo
