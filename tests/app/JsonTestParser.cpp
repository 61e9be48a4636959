#include "app/JsonTestParser.h"

#include <cctype>
#include <charconv>

namespace plavo {

namespace {

class TJsonParser {
 public:
  explicit TJsonParser(const std::string& Text) : FText(Text) {}

  bool ParseDocument(TJsonValue& Value, std::string& Error) {
    SkipSpace();
    if (!ParseValue(Value, 0)) {
      Error = FError + " at offset " + std::to_string(FPos);
      return false;
    }
    SkipSpace();
    if (FPos != FText.size()) {
      Error = "text after the value at offset " + std::to_string(FPos);
      return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string& Message) {
    FError = Message;
    return false;
  }
  void SkipSpace() {
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\n' ||
                                   FText[FPos] == '\r' || FText[FPos] == '\t')) {
      ++FPos;
    }
  }
  bool Literal(const char* Word) {
    const std::string w(Word);
    if (FText.compare(FPos, w.size(), w) != 0) return Fail("unknown literal");
    FPos += w.size();
    return true;
  }

  bool ParseValue(TJsonValue& V, int Depth) {
    if (Depth > 64) return Fail("nested too deeply");
    if (FPos >= FText.size()) return Fail("unexpected end");
    const char c = FText[FPos];
    if (c == '{') return ParseObject(V, Depth);
    if (c == '[') return ParseArray(V, Depth);
    if (c == '"') {
      V.Kind = TJsonValue::String;
      return ParseString(V.StringValue);
    }
    if (c == 't' || c == 'f') {
      V.Kind = TJsonValue::Bool;
      V.BoolValue = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') {
      V.Kind = TJsonValue::Null;
      return Literal("null");
    }
    return ParseNumber(V);
  }

  // JSON's number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
  bool ParseNumber(TJsonValue& V) {
    const size_t start = FPos;
    auto digits = [this] {
      const size_t from = FPos;
      while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
      return FPos - from;
    };
    if (FPos < FText.size() && FText[FPos] == '-') ++FPos;
    const size_t intStart = FPos;
    const size_t intDigits = digits();
    if (intDigits == 0) return Fail("not a value");
    if (intDigits > 1 && FText[intStart] == '0') return Fail("leading zero");
    if (FPos < FText.size() && FText[FPos] == '.') {
      ++FPos;
      if (digits() == 0) return Fail("no digits after the point");
    }
    if (FPos < FText.size() && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
      ++FPos;
      if (FPos < FText.size() && (FText[FPos] == '+' || FText[FPos] == '-')) ++FPos;
      if (digits() == 0) return Fail("no exponent digits");
    }
    V.Kind = TJsonValue::Number;
    std::from_chars(FText.data() + start, FText.data() + FPos, V.NumberValue);
    return true;
  }

  bool ParseString(std::string& Out) {
    ++FPos;  // the opening quote
    while (FPos < FText.size()) {
      const char c = FText[FPos++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in a string");
      if (c != '\\') {
        Out += c;
        continue;
      }
      if (FPos >= FText.size()) break;
      const char e = FText[FPos++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          Out += e;
          break;
        case 'n':
          Out += '\n';
          break;
        case 'r':
          Out += '\r';
          break;
        case 't':
          Out += '\t';
          break;
        case 'b':
          Out += '\b';
          break;
        case 'f':
          Out += '\f';
          break;
        case 'u': {
          if (FPos + 4 > FText.size()) return Fail("short \\u escape");
          unsigned code = 0;
          const auto [end, ec] =
              std::from_chars(FText.data() + FPos, FText.data() + FPos + 4, code, 16);
          if (ec != std::errc{} || end != FText.data() + FPos + 4) return Fail("bad \\u escape");
          FPos += 4;
          Out += code < 0x80 ? static_cast<char>(code) : '?';
          break;
        }
        default:
          return Fail("bad escape");
      }
    }
    return Fail("unterminated string");
  }

  bool ParseArray(TJsonValue& V, int Depth) {
    V.Kind = TJsonValue::Array;
    ++FPos;
    SkipSpace();
    if (FPos < FText.size() && FText[FPos] == ']') {
      ++FPos;
      return true;
    }
    for (;;) {
      SkipSpace();
      V.Items.emplace_back();
      if (!ParseValue(V.Items.back(), Depth + 1)) return false;
      SkipSpace();
      if (FPos >= FText.size()) return Fail("unterminated array");
      if (FText[FPos] == ']') {
        ++FPos;
        return true;
      }
      if (FText[FPos++] != ',') return Fail("expected , or ]");
    }
  }

  bool ParseObject(TJsonValue& V, int Depth) {
    V.Kind = TJsonValue::Object;
    ++FPos;
    SkipSpace();
    if (FPos < FText.size() && FText[FPos] == '}') {
      ++FPos;
      return true;
    }
    for (;;) {
      SkipSpace();
      if (FPos >= FText.size() || FText[FPos] != '"') return Fail("expected a member name");
      std::string name;
      if (!ParseString(name)) return false;
      SkipSpace();
      if (FPos >= FText.size() || FText[FPos++] != ':') return Fail("expected :");
      SkipSpace();
      V.Members.emplace_back(name, TJsonValue{});
      if (!ParseValue(V.Members.back().second, Depth + 1)) return false;
      SkipSpace();
      if (FPos >= FText.size()) return Fail("unterminated object");
      if (FText[FPos] == '}') {
        ++FPos;
        return true;
      }
      if (FText[FPos++] != ',') return Fail("expected , or }");
    }
  }

  const std::string& FText;
  size_t FPos = 0;
  std::string FError;
};

}  // namespace

const TJsonValue& TJsonValue::operator[](const std::string& Name) const {
  static const TJsonValue kNull;
  for (const auto& [name, value] : Members) {
    if (name == Name) return value;
  }
  return kNull;
}

bool TJsonValue::Has(const std::string& Name) const {
  for (const auto& member : Members) {
    if (member.first == Name) return true;
  }
  return false;
}

bool ParseJson(const std::string& Text, TJsonValue& Value, std::string& Error) {
  Value = TJsonValue{};
  return TJsonParser(Text).ParseDocument(Value, Error);
}

}  // namespace plavo
