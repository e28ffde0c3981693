#include "platform/xfile/XFileDocument.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace xfile {

namespace {

constexpr size_t kHeaderSize = 16;
// Objects nest a few levels in real files (frames in frames); a deeper file is refused before
// the recursion can exhaust the stack.
constexpr int kMaxDepth = 64;

enum class Tok { End, Name, String, Number, NumberList, OBrace, CBrace, Guid, Separator, Template, Other };

struct Token {
    Tok kind = Tok::End;
    std::string_view text;
    double number = 0.0;
    // A binary list: count values of 4 bytes (integers or floats) or 8 bytes (doubles).
    const uint8_t* list = nullptr;
    uint32_t count = 0;
    bool integers = false;
};

bool IsNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

bool EndsWord(char c) {
    return static_cast<unsigned char>(c) <= ' ' || std::strchr("{};,\"<>[]()", c) != nullptr;
}

// The text form: words, numbers, strings, punctuation; "//" and "#" comments run to the line end.
class TextLexer {
public:
    TextLexer(const uint8_t* data, size_t size)
        : m_begin(reinterpret_cast<const char*>(data)), m_p(m_begin), m_end(m_begin + size) {}

    bool Next(Token& t, std::string& error) {
        t = Token{};
        for (;;) {
            while (m_p < m_end && static_cast<unsigned char>(*m_p) <= ' ') ++m_p;
            if (m_p == m_end) return true;
            if (*m_p == '#' || (*m_p == '/' && m_p + 1 < m_end && m_p[1] == '/')) {
                const void* eol = std::memchr(m_p, '\n', static_cast<size_t>(m_end - m_p));
                m_p = eol ? static_cast<const char*>(eol) : m_end;
                continue;
            }
            break;
        }
        const char c = *m_p;
        switch (c) {
            case '{': ++m_p; t.kind = Tok::OBrace; return true;
            case '}': ++m_p; t.kind = Tok::CBrace; return true;
            case ';':
            case ',': ++m_p; t.kind = Tok::Separator; return true;
            case '[':
            case ']':
            case '(':
            case ')': ++m_p; t.kind = Tok::Other; return true;
            case '"': return Delimited('"', Tok::String, "a string", t, error);
            case '<': return Delimited('>', Tok::Guid, "a GUID", t, error);
            default: break;
        }
        const char* start = m_p;
        const bool numeric = IsNumberStart(c);
        // The run printers of some exporters write for a NaN or an infinity ("-1.#IND00") stays one word.
        while (m_p < m_end && (!EndsWord(*m_p) || (numeric && *m_p == '#'))) ++m_p;
        if (m_p == start) {  // a stray '>': a character of no token
            ++m_p;
            t.kind = Tok::Other;
            return true;
        }
        t.text = std::string_view(start, static_cast<size_t>(m_p - start));
        if (numeric && ParseNumber(t.text, t.number)) {
            t.kind = Tok::Number;
        } else if (t.text == "template") {
            t.kind = Tok::Template;
        } else {
            t.kind = Tok::Name;
        }
        return true;
    }

    std::string Where() const {
        return "line " + std::to_string(1 + std::count(m_begin, m_p, '\n'));
    }

private:
    bool Delimited(char close, Tok kind, const char* what, Token& t, std::string& error) {
        const char* start = ++m_p;
        const void* found = std::memchr(m_p, close, static_cast<size_t>(m_end - m_p));
        if (!found) {
            error = Where() + ": " + what + " is not closed";
            return false;
        }
        m_p = static_cast<const char*>(found) + 1;
        t.kind = kind;
        t.text = std::string_view(start, static_cast<size_t>(m_p - 1 - start));
        return true;
    }

    static bool ParseNumber(std::string_view word, double& value) {
        if (word.find('#') != std::string_view::npos) {
            value = 0.0;  // a NaN or an infinity has no place in geometry
            return true;
        }
        const char* first = word.data();
        const char* last = first + word.size();
        if (*first == '+') ++first;
        auto [end, ec] = std::from_chars(first, last, value);
        if (ec == std::errc::result_out_of_range) {
            value = 0.0;
            return end == last;
        }
        return ec == std::errc() && end == last;
    }

    const char* m_begin;
    const char* m_p;
    const char* m_end;
};

// The binary form: 16-bit tokens, some followed by their data.
class BinaryLexer {
public:
    BinaryLexer(const uint8_t* data, size_t size, bool doubles)
        : m_begin(data), m_p(data), m_end(data + size), m_doubles(doubles) {}

    bool Next(Token& t, std::string& error) {
        t = Token{};
        if (m_p == m_end) return true;
        uint16_t token = 0;
        if (!Read(&token, 2, "a token", error)) return false;
        switch (token) {
            case 1:  // name
            case 2: {  // string, then its separator token (';' or ',': 2 bytes, as every writer makes it)
                uint32_t count = 0;
                if (!Read(&count, 4, "a length", error) || !Take(count, 1, "a name or string", error)) return false;
                t.text = std::string_view(reinterpret_cast<const char*>(m_p - count), count);
                t.kind = token == 1 ? Tok::Name : Tok::String;
                if (token == 2) {
                    uint16_t separator = 0;
                    if (!Read(&separator, 2, "a string's separator", error)) return false;
                }
                return true;
            }
            case 3: {
                uint32_t value = 0;
                if (!Read(&value, 4, "an integer", error)) return false;
                t.kind = Tok::Number;
                t.number = value;
                return true;
            }
            case 5:
                t.kind = Tok::Guid;
                return Take(16, 1, "a GUID", error);
            case 6:
            case 7: {
                uint32_t count = 0;
                if (!Read(&count, 4, "a list length", error)) return false;
                t.integers = token == 6;
                const size_t width = (token == 7 && m_doubles) ? 8 : 4;
                if (!Take(count, width, "a list", error)) return false;
                t.kind = Tok::NumberList;
                t.list = m_p - count * width;
                t.count = count;
                return true;
            }
            case 10: t.kind = Tok::OBrace; return true;
            case 11: t.kind = Tok::CBrace; return true;
            case 19:
            case 20: t.kind = Tok::Separator; return true;
            case 31: t.kind = Tok::Template; return true;
            default:
                if ((token >= 12 && token <= 18) || (token >= 40 && token <= 52)) {
                    t.kind = Tok::Other;
                    return true;
                }
                error = Where() + ": unknown token " + std::to_string(token);
                return false;
        }
    }

    void AppendList(const Token& t, std::vector<double>& out) const {
        const uint8_t* p = t.list;
        if (out.capacity() < out.size() + t.count) out.reserve(std::max(out.capacity() * 2, out.size() + t.count));
        for (uint32_t i = 0; i < t.count; ++i) {
            if (t.integers) {
                uint32_t v;
                std::memcpy(&v, p + 4 * i, 4);
                out.push_back(v);
            } else if (m_doubles) {
                double v;
                std::memcpy(&v, p + 8 * i, 8);
                out.push_back(v);
            } else {
                float v;
                std::memcpy(&v, p + 4 * i, 4);
                out.push_back(v);
            }
        }
    }

    std::string Where() const { return "offset " + std::to_string(kHeaderSize + (m_p - m_begin)); }

private:
    bool Read(void* out, size_t bytes, const char* what, std::string& error) {
        if (!Take(1, bytes, what, error)) return false;
        std::memcpy(out, m_p - bytes, bytes);
        return true;
    }
    // Steps over count items of width bytes, when the file still holds them.
    bool Take(size_t count, size_t width, const char* what, std::string& error) {
        if (count > static_cast<size_t>(m_end - m_p) / width) {
            error = Where() + ": the file ends inside " + what;
            return false;
        }
        m_p += count * width;
        return true;
    }

    const uint8_t* m_begin;
    const uint8_t* m_p;
    const uint8_t* m_end;
    bool m_doubles;
};

std::string Unescape(std::string_view text) {
    std::string out(text);
    for (size_t i = out.find("\\\\"); i != std::string::npos; i = out.find("\\\\", i + 1)) out.erase(i, 1);
    return out;
}

template <class Lexer>
class Parser {
public:
    Parser(Lexer& lexer, std::string& error) : m_lexer(lexer), m_error(error) {}

    bool ParseFile(std::vector<std::unique_ptr<XObject>>& objects) {
        for (;;) {
            Token t;
            if (!m_lexer.Next(t, m_error)) return false;
            switch (t.kind) {
                case Tok::End: return true;
                case Tok::Template:
                    if (!SkipTemplate()) return false;
                    break;
                case Tok::Name: {
                    auto object = std::make_unique<XObject>();
                    object->type = std::string(t.text);
                    if (!ParseObject(*object, 0)) return false;
                    objects.push_back(std::move(object));
                    break;
                }
                case Tok::Separator:
                case Tok::Guid: break;
                default: return Fail("a value outside any object");
            }
        }
    }

private:
    bool Fail(const std::string& what) {
        m_error = m_lexer.Where() + ": " + what;
        return false;
    }

    bool SkipTemplate() {
        int depth = 0;
        for (;;) {
            Token t;
            if (!m_lexer.Next(t, m_error)) return false;
            if (t.kind == Tok::End) return Fail("the file ends inside a template");
            if (t.kind == Tok::OBrace) ++depth;
            if (t.kind == Tok::CBrace && --depth <= 0) return true;
        }
    }

    // The object's optional name, its brace, then its content up to the closing brace.
    bool ParseObject(XObject& object, int depth) {
        if (depth >= kMaxDepth) return Fail("objects nested too deep");
        Token t;
        if (!m_lexer.Next(t, m_error)) return false;
        if (t.kind == Tok::Name) {
            object.name = std::string(t.text);
            if (!m_lexer.Next(t, m_error)) return false;
        }
        if (t.kind != Tok::OBrace) return Fail("expected '{' after " + object.type);
        for (;;) {
            if (!m_lexer.Next(t, m_error)) return false;
            switch (t.kind) {
                case Tok::Number: object.numbers.push_back(t.number); break;
                case Tok::NumberList: AppendList(t, object.numbers); break;
                case Tok::String: object.strings.push_back(Unescape(t.text)); break;
                case Tok::Separator:
                case Tok::Guid:
                case Tok::Other: break;
                case Tok::Name: {
                    XChild child;
                    child.object = std::make_unique<XObject>();
                    child.object->type = std::string(t.text);
                    if (!ParseObject(*child.object, depth + 1)) return false;
                    object.children.push_back(std::move(child));
                    break;
                }
                case Tok::OBrace:
                    if (!ParseReference(object)) return false;
                    break;
                case Tok::CBrace: return true;
                case Tok::End: return Fail("the file ends inside " + object.type);
                case Tok::Template: return Fail("a template inside " + object.type);
            }
        }
    }

    // "{ Name }", possibly with a GUID; a reference by GUID alone names nothing we keep.
    bool ParseReference(XObject& object) {
        XChild child;
        for (;;) {
            Token t;
            if (!m_lexer.Next(t, m_error)) return false;
            if (t.kind == Tok::CBrace) break;
            if (t.kind == Tok::Name && child.reference.empty()) child.reference = std::string(t.text);
            else if (t.kind != Tok::Guid && t.kind != Tok::Separator) return Fail("a malformed reference in " + object.type);
        }
        if (!child.reference.empty()) object.children.push_back(std::move(child));
        return true;
    }

    void AppendList(const Token& t, std::vector<double>& out) {
        if constexpr (std::is_same_v<Lexer, BinaryLexer>) m_lexer.AppendList(t, out);
    }

    Lexer& m_lexer;
    std::string& m_error;
};

}  // namespace

bool XFileDocument::Parse(const uint8_t* data, size_t size, std::string& error) {
    m_objects.clear();
    m_names.clear();
    if (size < kHeaderSize || std::memcmp(data, "xof ", 4) != 0) {
        error = "not a .x file (no \"xof \" header)";
        return false;
    }
    const std::string_view format(reinterpret_cast<const char*>(data) + 8, 4);
    const std::string_view floatSize(reinterpret_cast<const char*>(data) + 12, 4);
    if (floatSize != "0032" && floatSize != "0064") {
        error = "unknown float size \"" + std::string(floatSize) + "\" in the header";
        return false;
    }
    bool ok = false;
    if (format == "txt ") {
        TextLexer lexer(data + kHeaderSize, size - kHeaderSize);
        ok = Parser<TextLexer>(lexer, error).ParseFile(m_objects);
    } else if (format == "bin ") {
        BinaryLexer lexer(data + kHeaderSize, size - kHeaderSize, floatSize == "0064");
        ok = Parser<BinaryLexer>(lexer, error).ParseFile(m_objects);
    } else if (format == "tzip" || format == "bzip") {
        error = "compressed .x files are not supported";
    } else {
        error = "unknown format \"" + std::string(format) + "\" in the header";
    }
    if (!ok) {
        m_objects.clear();
        return false;
    }
    for (const auto& object : m_objects) IndexNames(*object);
    return true;
}

void XFileDocument::IndexNames(const XObject& object) {
    if (!object.name.empty()) m_names.emplace(object.name, &object);
    for (const XChild& child : object.children)
        if (child.object) IndexNames(*child.object);
}

const XObject* XFileDocument::Resolve(const XChild& child) const {
    if (child.object) return child.object.get();
    auto it = m_names.find(child.reference);
    return it == m_names.end() ? nullptr : it->second;
}

}  // namespace xfile
