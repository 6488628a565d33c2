#include "platform/core/DateFormatLocale.h"

#include <QList>
#include <QStringList>

namespace DateFormat {
namespace {

// Marks that only steer the direction of the text around them.
bool IsDirectionMark(QChar c) {
  const char16_t u = c.unicode();
  return u == 0x200E || u == 0x200F || u == 0x061C || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// One piece of a Qt format: a field (its letter, "a" for the AM/PM marker,
// and its length) or the literal text between fields.
struct Piece {
  QChar Field;  // null for text
  int Count = 0;
  QString Text;
};

QList<Piece> Pieces(const QString& f) {
  QList<Piece> out;
  const auto addText = [&out](QString t) {
    t.removeIf(IsDirectionMark);
    if (!out.isEmpty() && out.last().Field.isNull())
      out.last().Text += t;
    else
      out.append({QChar(), 0, t});
  };
  int i = 0;
  while (i < f.size()) {
    const QChar c = f[i];
    if (c == u'\'') {
      // Qt quotes literals with ' and doubles it for a quote itself.
      int j = i + 1;
      QString literal;
      while (j < f.size()) {
        if (f[j] == u'\'') {
          if (j + 1 < f.size() && f[j + 1] == u'\'') {
            literal += u'\'';
            j += 2;
            continue;
          }
          break;
        }
        literal += f[j++];
      }
      addText(j == i + 1 && j < f.size() ? QStringLiteral("'") : literal);
      i = j + 1;
      continue;
    }
    if (IsDirectionMark(c)) {
      ++i;
      continue;
    }
    if (QStringLiteral("dMyhHmszt").contains(c)) {
      int n = 1;
      while (i + n < f.size() && f[i + n] == c) ++n;
      out.append({c == u'H' ? QChar(u'h') : c, n, {}});
      i += n;
      continue;
    }
    if (c == u'a' || c == u'A') {  // "AP", "ap", "A", "a": the marker
      const int n = i + 1 < f.size() && f[i + 1].toLower() == u'p' ? 2 : 1;
      out.append({QChar(u'a'), n, {}});
      i += n;
      continue;
    }
    addText(QString(c));
    ++i;
  }
  return out;
}

bool HasWord(const QString& t) {
  for (QChar c : t)
    if (c.isLetterOrNumber() || c.isMark()) return true;
  return false;
}

bool HasBlank(const QString& t) {
  for (QChar c : t)
    if (c.isSpace()) return true;
  return false;
}

// The separators of a gap without blanks; the toolkit's quote characters
// cannot stand as separators.
QString Visible(const QString& t) {
  QString v;
  for (QChar c : t)
    if (!c.isSpace() && c != u'\'' && c != u'"') v += c;
  return v;
}

QString Quoted(const QString& word) {
  QString w = word;
  if (!w.contains(u'"')) return u'"' + w + u'"';
  if (!w.contains(u'\'')) return u'\'' + w + u'\'';
  w.remove(u'"');
  return u'"' + w + u'"';
}

// The text between pieces `from` and `to` (both excluded); false when
// another field stands between them.
bool Between(const QList<Piece>& p, qsizetype from, qsizetype to, QString& text) {
  text.clear();
  for (qsizetype k = from + 1; k < to; ++k) {
    if (!p[k].Field.isNull()) return false;
    text += p[k].Text;
  }
  return true;
}

QString NumericDate(const QString& order) {
  QStringList parts;
  for (QChar c : order)
    parts << (c == u'd' ? QStringLiteral("dd") : c == u'M' ? QStringLiteral("mm") : QStringLiteral("yyyy"));
  return parts.join(u'/');
}

QString DateField(const Piece& p) {
  if (p.Field == u'd') return p.Count >= 2 ? QStringLiteral("dd") : QStringLiteral("d");
  if (p.Field == u'M') return p.Count >= 2 ? QStringLiteral("mm") : QStringLiteral("m");
  return p.Count <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
}

enum class TimeField { Hour, Minute, Second, Marker };

QString TimeLetters(TimeField kind, int count) {
  switch (kind) {
    case TimeField::Hour:
      return count >= 2 ? QStringLiteral("hh") : QStringLiteral("h");
    case TimeField::Minute:
      return count >= 2 ? QStringLiteral("nn") : QStringLiteral("n");
    case TimeField::Second:
      return count >= 2 ? QStringLiteral("ss") : QStringLiteral("s");
    case TimeField::Marker:
      break;
  }
  return QStringLiteral("ampm");
}

// A word between or after the numbers of a time, with the blanks the
// locale puts around it.
QString Word(const QString& gap) {
  QString out;
  if (!gap.isEmpty() && gap.front().isSpace()) out += u' ';
  out += Quoted(gap.trimmed());
  if (gap.size() > 1 && gap.back().isSpace()) out += u' ';
  return out;
}

}  // namespace

QString ReadableShortDate(const QString& localeFormat) {
  const QList<Piece> p = Pieces(localeFormat);
  QList<qsizetype> fields;
  QString order;
  bool numeric = true;
  for (qsizetype k = 0; k < p.size(); ++k) {
    const QChar f = p[k].Field;
    if (f != u'd' && f != u'M' && f != u'y') continue;
    if (order.contains(f) || (f != u'y' && p[k].Count > 2)) numeric = false;
    if (!order.contains(f)) order += f;
    fields << k;
  }
  if (order.size() != 3) order = QStringLiteral("dMy");
  if (!numeric || fields.size() != 3) return NumericDate(order);
  QString gaps[2];
  for (int g = 0; g < 2; ++g)
    if (!Between(p, fields[g], fields[g + 1], gaps[g]) || HasWord(gaps[g]) || Visible(gaps[g]).size() != 1)
      return NumericDate(order);
  const QChar sep = Visible(gaps[0])[0];
  QString out;
  for (int k = 0; k < 3; ++k) {
    out += DateField(p[fields[k]]);
    if (k == 2) break;
    const QString& gap = gaps[k];
    if (gap.front().isSpace()) out += u' ';
    out += sep;
    if (gap.back().isSpace()) out += u' ';
  }
  // A separator straight after the last field stays ("yyyy. mm. dd.");
  // whatever follows a blank is a word or a bracket and goes.
  const qsizetype after = fields[2] + 1;
  if (after < p.size() && p[after].Field.isNull() && p[after].Text.startsWith(sep)) out += sep;
  return out;
}

QString ReadableLongTime(const QString& localeFormat) {
  const QList<Piece> p = Pieces(localeFormat);
  struct Kept {
    qsizetype Index;
    TimeField Kind;
  };
  QList<Kept> kept;
  bool seen[4] = {false, false, false, false};
  for (qsizetype k = 0; k < p.size(); ++k) {
    const QChar f = p[k].Field;
    TimeField kind;
    if (f == u'h')
      kind = TimeField::Hour;
    else if (f == u'm')
      kind = TimeField::Minute;
    else if (f == u's')
      kind = TimeField::Second;
    else if (f == u'a')
      kind = TimeField::Marker;
    else
      continue;  // time zone, milliseconds, date fields
    if (seen[int(kind)]) continue;
    seen[int(kind)] = true;
    kept.append({k, kind});
  }
  if (!seen[int(TimeField::Hour)]) return QStringLiteral("hh:nn:ss");

  // The text between kept fields; fields dropped on the way add nothing.
  const auto gapBefore = [&](int j) {
    QString text;
    for (qsizetype k = kept[j - 1].Index + 1; k < kept[j].Index; ++k) text += p[k].Text;
    return text;
  };
  // The text straight after the last kept field, up to any other field.
  const auto textAfterLast = [&]() {
    QString text;
    for (qsizetype k = kept.last().Index + 1; k < p.size() && p[k].Field.isNull(); ++k) text += p[k].Text;
    return text;
  };
  const auto isNumber = [](TimeField kind) { return kind != TimeField::Marker; };

  // Words stand between the numbers in some locales ("9時05分07秒"); only
  // there does a word after the seconds belong to the time.
  bool words = false;
  for (int j = 1; j < kept.size(); ++j)
    if (isNumber(kept[j - 1].Kind) && isNumber(kept[j].Kind) && HasWord(gapBefore(j))) words = true;

  QString out;
  for (int j = 0; j < kept.size(); ++j) {
    if (j > 0) {
      const QString gap = gapBefore(j);
      const TimeField a = kept[j - 1].Kind, b = kept[j].Kind;
      if (isNumber(a) && isNumber(b)) {
        if (HasWord(gap)) {
          out += Word(gap);
        } else {
          const QString v = Visible(gap);
          out += v.isEmpty() ? QStringLiteral(":") : v;
        }
      } else if (words && a == TimeField::Second && HasWord(gap)) {
        out += Word(gap);
        if (!out.endsWith(u' ')) out += u' ';
      } else if (HasBlank(gap)) {
        out += u' ';
      }
    }
    out += TimeLetters(kept[j].Kind, p[kept[j].Index].Count);
  }
  if (words && kept.last().Kind == TimeField::Second) {
    const QString after = textAfterLast();
    if (HasWord(after)) out += Word(after);
  }
  return out.trimmed();
}

}  // namespace DateFormat
