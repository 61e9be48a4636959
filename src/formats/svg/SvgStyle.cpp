#include "formats/svg/SvgStyle.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "formats/svg/SvgPathData.h"

namespace plavo {

namespace {

struct TNamedColor {
  std::string_view Name;
  uint32_t Rgb;  // 0xRRGGBB
};

// The CSS colour names, sorted for binary search.
constexpr std::array<TNamedColor, 148> kNamedColors{{{"aliceblue", 0xF0F8FF},
                                                     {"antiquewhite", 0xFAEBD7},
                                                     {"aqua", 0x00FFFF},
                                                     {"aquamarine", 0x7FFFD4},
                                                     {"azure", 0xF0FFFF},
                                                     {"beige", 0xF5F5DC},
                                                     {"bisque", 0xFFE4C4},
                                                     {"black", 0x000000},
                                                     {"blanchedalmond", 0xFFEBCD},
                                                     {"blue", 0x0000FF},
                                                     {"blueviolet", 0x8A2BE2},
                                                     {"brown", 0xA52A2A},
                                                     {"burlywood", 0xDEB887},
                                                     {"cadetblue", 0x5F9EA0},
                                                     {"chartreuse", 0x7FFF00},
                                                     {"chocolate", 0xD2691E},
                                                     {"coral", 0xFF7F50},
                                                     {"cornflowerblue", 0x6495ED},
                                                     {"cornsilk", 0xFFF8DC},
                                                     {"crimson", 0xDC143C},
                                                     {"cyan", 0x00FFFF},
                                                     {"darkblue", 0x00008B},
                                                     {"darkcyan", 0x008B8B},
                                                     {"darkgoldenrod", 0xB8860B},
                                                     {"darkgray", 0xA9A9A9},
                                                     {"darkgreen", 0x006400},
                                                     {"darkgrey", 0xA9A9A9},
                                                     {"darkkhaki", 0xBDB76B},
                                                     {"darkmagenta", 0x8B008B},
                                                     {"darkolivegreen", 0x556B2F},
                                                     {"darkorange", 0xFF8C00},
                                                     {"darkorchid", 0x9932CC},
                                                     {"darkred", 0x8B0000},
                                                     {"darksalmon", 0xE9967A},
                                                     {"darkseagreen", 0x8FBC8F},
                                                     {"darkslateblue", 0x483D8B},
                                                     {"darkslategray", 0x2F4F4F},
                                                     {"darkslategrey", 0x2F4F4F},
                                                     {"darkturquoise", 0x00CED1},
                                                     {"darkviolet", 0x9400D3},
                                                     {"deeppink", 0xFF1493},
                                                     {"deepskyblue", 0x00BFFF},
                                                     {"dimgray", 0x696969},
                                                     {"dimgrey", 0x696969},
                                                     {"dodgerblue", 0x1E90FF},
                                                     {"firebrick", 0xB22222},
                                                     {"floralwhite", 0xFFFAF0},
                                                     {"forestgreen", 0x228B22},
                                                     {"fuchsia", 0xFF00FF},
                                                     {"gainsboro", 0xDCDCDC},
                                                     {"ghostwhite", 0xF8F8FF},
                                                     {"gold", 0xFFD700},
                                                     {"goldenrod", 0xDAA520},
                                                     {"gray", 0x808080},
                                                     {"green", 0x008000},
                                                     {"greenyellow", 0xADFF2F},
                                                     {"grey", 0x808080},
                                                     {"honeydew", 0xF0FFF0},
                                                     {"hotpink", 0xFF69B4},
                                                     {"indianred", 0xCD5C5C},
                                                     {"indigo", 0x4B0082},
                                                     {"ivory", 0xFFFFF0},
                                                     {"khaki", 0xF0E68C},
                                                     {"lavender", 0xE6E6FA},
                                                     {"lavenderblush", 0xFFF0F5},
                                                     {"lawngreen", 0x7CFC00},
                                                     {"lemonchiffon", 0xFFFACD},
                                                     {"lightblue", 0xADD8E6},
                                                     {"lightcoral", 0xF08080},
                                                     {"lightcyan", 0xE0FFFF},
                                                     {"lightgoldenrodyellow", 0xFAFAD2},
                                                     {"lightgray", 0xD3D3D3},
                                                     {"lightgreen", 0x90EE90},
                                                     {"lightgrey", 0xD3D3D3},
                                                     {"lightpink", 0xFFB6C1},
                                                     {"lightsalmon", 0xFFA07A},
                                                     {"lightseagreen", 0x20B2AA},
                                                     {"lightskyblue", 0x87CEFA},
                                                     {"lightslategray", 0x778899},
                                                     {"lightslategrey", 0x778899},
                                                     {"lightsteelblue", 0xB0C4DE},
                                                     {"lightyellow", 0xFFFFE0},
                                                     {"lime", 0x00FF00},
                                                     {"limegreen", 0x32CD32},
                                                     {"linen", 0xFAF0E6},
                                                     {"magenta", 0xFF00FF},
                                                     {"maroon", 0x800000},
                                                     {"mediumaquamarine", 0x66CDAA},
                                                     {"mediumblue", 0x0000CD},
                                                     {"mediumorchid", 0xBA55D3},
                                                     {"mediumpurple", 0x9370DB},
                                                     {"mediumseagreen", 0x3CB371},
                                                     {"mediumslateblue", 0x7B68EE},
                                                     {"mediumspringgreen", 0x00FA9A},
                                                     {"mediumturquoise", 0x48D1CC},
                                                     {"mediumvioletred", 0xC71585},
                                                     {"midnightblue", 0x191970},
                                                     {"mintcream", 0xF5FFFA},
                                                     {"mistyrose", 0xFFE4E1},
                                                     {"moccasin", 0xFFE4B5},
                                                     {"navajowhite", 0xFFDEAD},
                                                     {"navy", 0x000080},
                                                     {"oldlace", 0xFDF5E6},
                                                     {"olive", 0x808000},
                                                     {"olivedrab", 0x6B8E23},
                                                     {"orange", 0xFFA500},
                                                     {"orangered", 0xFF4500},
                                                     {"orchid", 0xDA70D6},
                                                     {"palegoldenrod", 0xEEE8AA},
                                                     {"palegreen", 0x98FB98},
                                                     {"paleturquoise", 0xAFEEEE},
                                                     {"palevioletred", 0xDB7093},
                                                     {"papayawhip", 0xFFEFD5},
                                                     {"peachpuff", 0xFFDAB9},
                                                     {"peru", 0xCD853F},
                                                     {"pink", 0xFFC0CB},
                                                     {"plum", 0xDDA0DD},
                                                     {"powderblue", 0xB0E0E6},
                                                     {"purple", 0x800080},
                                                     {"rebeccapurple", 0x663399},
                                                     {"red", 0xFF0000},
                                                     {"rosybrown", 0xBC8F8F},
                                                     {"royalblue", 0x4169E1},
                                                     {"saddlebrown", 0x8B4513},
                                                     {"salmon", 0xFA8072},
                                                     {"sandybrown", 0xF4A460},
                                                     {"seagreen", 0x2E8B57},
                                                     {"seashell", 0xFFF5EE},
                                                     {"sienna", 0xA0522D},
                                                     {"silver", 0xC0C0C0},
                                                     {"skyblue", 0x87CEEB},
                                                     {"slateblue", 0x6A5ACD},
                                                     {"slategray", 0x708090},
                                                     {"slategrey", 0x708090},
                                                     {"snow", 0xFFFAFA},
                                                     {"springgreen", 0x00FF7F},
                                                     {"steelblue", 0x4682B4},
                                                     {"tan", 0xD2B48C},
                                                     {"teal", 0x008080},
                                                     {"thistle", 0xD8BFD8},
                                                     {"tomato", 0xFF6347},
                                                     {"turquoise", 0x40E0D0},
                                                     {"violet", 0xEE82EE},
                                                     {"wheat", 0xF5DEB3},
                                                     {"white", 0xFFFFFF},
                                                     {"whitesmoke", 0xF5F5F5},
                                                     {"yellow", 0xFFFF00},
                                                     {"yellowgreen", 0x9ACD32}}};

int32_t Pack(int R, int G, int B) {
  return R + 256 * G + 65536 * B;
}

int32_t FromRgb(uint32_t Rgb) {
  return Pack(static_cast<int>(Rgb >> 16 & 0xFF), static_cast<int>(Rgb >> 8 & 0xFF),
              static_cast<int>(Rgb & 0xFF));
}

char Lower(char C) {
  return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

std::string LowerText(std::string_view Text) {
  std::string s(Text);
  std::transform(s.begin(), s.end(), s.begin(), Lower);
  return s;
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  C = Lower(C);
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

std::optional<int32_t> HexColor(std::string_view Hex) {
  std::array<int, 6> d{};
  if (Hex.size() != 3 && Hex.size() != 6) return {};
  for (size_t i = 0; i < Hex.size(); ++i) {
    d[i] = HexDigit(Hex[i]);
    if (d[i] < 0) return {};
  }
  if (Hex.size() == 3) return Pack(d[0] * 17, d[1] * 17, d[2] * 17);
  return Pack(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
}

// rgb(r, g, b) with numbers 0..255 or percentages, clamped as CSS does.
std::optional<int32_t> FunctionalColor(std::string_view Args) {
  std::array<int, 3> channel{};
  size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t end = std::min(Args.find(',', pos), Args.size());
    std::string_view item = TrimSvgText(Args.substr(pos, end - pos));
    const bool percent = !item.empty() && item.back() == '%';
    if (percent) item.remove_suffix(1);
    const std::vector<double> v = ParseSvgNumberList(item);
    if (v.size() != 1) return {};
    const double value = percent ? v[0] * 255.0 / 100.0 : v[0];
    channel[static_cast<size_t>(i)] = static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0)));
    pos = end + 1;
    if (i < 2 && end == Args.size()) return {};
  }
  return Pack(channel[0], channel[1], channel[2]);
}

double Radians(double Degrees) {
  return Degrees * std::numbers::pi / 180.0;
}

// One transform function with its arguments; nothing when the count does not fit.
std::optional<TAffine> TransformFunction(std::string_view Name, const std::vector<double>& A) {
  const size_t n = A.size();
  if (Name == "matrix" && n == 6) return TAffine{A[0], A[1], A[2], A[3], A[4], A[5]};
  if (Name == "translate" && (n == 1 || n == 2)) return TAffine::Translate(A[0], n == 2 ? A[1] : 0);
  if (Name == "scale" && (n == 1 || n == 2)) return TAffine::Scale(A[0], n == 2 ? A[1] : A[0]);
  if (Name == "rotate" && n == 1) return TAffine::Rotate(Radians(A[0]));
  if (Name == "rotate" && n == 3) {
    return TAffine::Translate(A[1], A[2])
        .Then(TAffine::Rotate(Radians(A[0])))
        .Then(TAffine::Translate(-A[1], -A[2]));
  }
  if (Name == "skewX" && n == 1) return TAffine{1, 0, std::tan(Radians(A[0])), 1, 0, 0};
  if (Name == "skewY" && n == 1) return TAffine{1, std::tan(Radians(A[0])), 0, 1, 0, 0};
  return {};
}

}  // namespace

std::string_view TrimSvgText(std::string_view Text) {
  const size_t first = Text.find_first_not_of(" \t\r\n\f");
  if (first == std::string_view::npos) return {};
  return Text.substr(first, Text.find_last_not_of(" \t\r\n\f") - first + 1);
}

std::optional<int32_t> ParseSvgColor(std::string_view Text) {
  Text = TrimSvgText(Text);
  if (Text.empty()) return {};
  if (Text[0] == '#') return HexColor(Text.substr(1));
  const std::string lower = LowerText(Text);
  if (lower == "none" || lower == "transparent") return -1;
  if (lower.starts_with("rgb(") && lower.back() == ')')
    return FunctionalColor(std::string_view(lower).substr(4, lower.size() - 5));
  const auto found =
      std::lower_bound(kNamedColors.begin(), kNamedColors.end(), lower,
                       [](const TNamedColor& C, const std::string& Name) { return C.Name < Name; });
  if (found == kNamedColors.end() || found->Name != lower) return {};
  return FromRgb(found->Rgb);
}

std::string_view StyleProperty(std::string_view Style, std::string_view Name) {
  std::string_view value;
  size_t pos = 0;
  while (pos < Style.size()) {
    const size_t end = std::min(Style.find(';', pos), Style.size());
    const std::string_view item = Style.substr(pos, end - pos);
    const size_t colon = item.find(':');
    if (colon != std::string_view::npos && TrimSvgText(item.substr(0, colon)) == Name) {
      value = TrimSvgText(item.substr(colon + 1));
      if (value.ends_with("!important")) value = TrimSvgText(value.substr(0, value.size() - 10));
    }
    pos = end + 1;
  }
  return value;
}

std::optional<TAffine> ParseSvgTransform(std::string_view Text) {
  TAffine total;
  size_t pos = 0;
  while (true) {
    while (pos < Text.size() &&
           (std::string_view(" \t\r\n,").find(Text[pos]) != std::string_view::npos))
      ++pos;
    if (pos >= Text.size()) return total;
    const size_t open = Text.find('(', pos);
    const size_t close = Text.find(')', pos);
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
      return {};
    const std::string_view name = TrimSvgText(Text.substr(pos, open - pos));
    const auto f =
        TransformFunction(name, ParseSvgNumberList(Text.substr(open + 1, close - open - 1)));
    if (!f) return {};
    total = total.Then(*f);
    pos = close + 1;
  }
}

std::optional<double> ParseSvgLengthMm(std::string_view Text) {
  Text = TrimSvgText(Text);
  size_t unitStart = Text.size();
  while (unitStart > 0 &&
         ((Text[unitStart - 1] >= 'a' && Text[unitStart - 1] <= 'z') ||
          (Text[unitStart - 1] >= 'A' && Text[unitStart - 1] <= 'Z') || Text[unitStart - 1] == '%'))
    --unitStart;
  // An exponent ("1e3") is part of the number, not a unit.
  if (unitStart < Text.size() && unitStart > 0 && Lower(Text[unitStart]) == 'e' &&
      unitStart + 1 == Text.size())
    return {};
  const std::vector<double> number = ParseSvgNumberList(Text.substr(0, unitStart));
  if (number.size() != 1) return {};
  const std::string unit = LowerText(Text.substr(unitStart));
  double perUnit = 0.0;
  if (unit.empty() || unit == "px")
    perUnit = kMmPerPx;
  else if (unit == "mm")
    perUnit = 1.0;
  else if (unit == "cm")
    perUnit = 10.0;
  else if (unit == "in")
    perUnit = 25.4;
  else if (unit == "pt")
    perUnit = 25.4 / 72.0;
  else if (unit == "pc")
    perUnit = 25.4 / 6.0;
  else
    return {};
  return number[0] * perUnit;
}

}  // namespace plavo
