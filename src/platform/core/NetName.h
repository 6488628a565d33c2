#pragma once
// What a name from the network may hold: a server, workgroup, share or entry
// name that another machine handed over (a browse list, a discovery answer,
// a listing). It is one name: not empty, not "." or "..", and without "\",
// "/" or a control character, which would steer a path elsewhere or break a
// line or a field. Stricter uses (a path component, a host name) add to it.
// Free of Qt, so the browse helper applies the same rule to what it prints.
#include <string_view>
#include <type_traits>

namespace NetName {

constexpr bool IsNameUnit(char32_t u) { return u >= 0x20 && u != 0x7f && u != u'\\' && u != u'/'; }

template <class TUnit>
constexpr bool IsName(std::basic_string_view<TUnit> name) {
  if (name.empty()) return false;
  bool dots = name.size() <= 2;
  for (const TUnit c : name) {
    // UTF-8 bytes and UTF-16 units above ASCII are letters of some script.
    const char32_t u = char32_t(std::make_unsigned_t<TUnit>(c));
    if (!IsNameUnit(u)) return false;
    dots = dots && u == u'.';
  }
  return !dots;
}

}  // namespace NetName
