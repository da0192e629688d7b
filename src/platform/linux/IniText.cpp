#include "platform/linux/IniText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace platform::ini {
namespace {

bool isHex(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned hexValue(unsigned char c) {
    if (c <= '9') return c - '0';
    return (c | 0x20) - 'a' + 10;
}
bool isOctal(unsigned char c) {
    return c >= '0' && c <= '7';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string hex(unsigned value, bool upper, int width) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(out.size()) < width) out.insert(out.begin(), '0');
    return out;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone UTF-16 half
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; nothing if it is not well formed.
std::optional<std::uint32_t> nextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    std::uint32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
    } else
        return std::nullopt;
    if (i + extra >= text.size()) return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    i += extra + 1;
    return cp;
}

void chopTrailingBlanks(std::string& text, std::size_t limit) {
    while (text.size() > limit && isBlank(text.back())) text.pop_back();
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

// QSettings marks non-text values with a leading '@'; a text that starts
// with '@' is written with it doubled.
std::optional<std::string> fromVariantText(std::string_view text) {
    if (!text.starts_with('@')) return std::string(text);
    if (text.starts_with("@@")) return std::string(text.substr(1));
    if (text == "@Invalid()") return std::nullopt;
    for (const std::string_view wrapper : {"@ByteArray(", "@String("}) {
        if (text.starts_with(wrapper) && text.ends_with(')'))
            return std::string(text.substr(wrapper.size(), text.size() - wrapper.size() - 1));
    }
    return std::string(text);
}

}  // namespace

std::string escapeValue(std::string_view value) {
    std::string source;
    if (!value.empty() && value.front() == '@') source = "@";
    source.append(value);

    std::string out;
    out.reserve(source.size() + 8);
    bool needsQuotes = false;
    bool escapeNextIfHex = false;  // so "\x1" followed by "a" does not read as "\x1a"
    for (const char c : source) {
        const auto ch = static_cast<unsigned char>(c);
        if (ch == ';' || ch == ',' || ch == '=') needsQuotes = true;
        if (escapeNextIfHex && isHex(ch)) {
            out += "\\x" + hex(ch, false, 1);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
            case '\0':
                out += "\\0";
                escapeNextIfHex = true;
                break;
            case '\a':
                out += "\\a";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\v':
                out += "\\v";
                break;
            case '"':
            case '\\':
                out += '\\';
                out += c;
                break;
            default:
                if (ch <= 0x1F) {
                    out += "\\x" + hex(ch, false, 1);
                    escapeNextIfHex = true;
                } else {
                    out += c;  // UTF-8 is written as it is
                }
        }
    }
    // Quotes keep separators and the blanks at either end from being read away.
    if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) out = '"' + out + '"';
    return out;
}

std::optional<std::string> unescapeValue(std::string_view s) {
    std::string current;
    std::vector<std::string> list;
    bool isList = false;
    bool inQuotes = false;
    bool currentQuoted = false;
    std::size_t i = 0;
    std::size_t chopLimit = 0;
    auto skipBlanks = [&] {
        while (i < s.size() && isBlank(s[i])) ++i;
        chopLimit = current.size();
    };
    skipBlanks();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\\') {
            if (++i >= s.size()) break;
            const char e = s[i++];
            static constexpr std::string_view from = "abfnrtv\"?'\\";
            static constexpr std::string_view to = "\a\b\f\n\r\t\v\"?'\\";
            if (const auto k = from.find(e); k != std::string_view::npos) {
                current += to[k];
            } else if (e == 'x' || isOctal(static_cast<unsigned char>(e))) {
                const bool hexEscape = e == 'x';
                std::uint32_t unit = hexEscape ? 0 : static_cast<std::uint32_t>(e - '0');
                bool any = !hexEscape;
                while (i < s.size()) {
                    const auto d = static_cast<unsigned char>(s[i]);
                    if (hexEscape ? !isHex(d) : !isOctal(d)) break;
                    unit = ((unit << (hexEscape ? 4 : 3)) + (hexEscape ? hexValue(d) : d - '0')) &
                           0xFFFF;  // one UTF-16 unit, as QSettings reads it
                    any = true;
                    ++i;
                }
                if (any) appendUtf8(current, unit);
            } else if (e == '\n' || e == '\r') {
                // An escaped line break continues the value on the next line.
                if (i < s.size() && (s[i] == '\n' || s[i] == '\r') && s[i] != e) ++i;
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            currentQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (!currentQuoted) chopTrailingBlanks(current, chopLimit);
            isList = true;
            list.push_back(std::move(current));
            current.clear();
            currentQuoted = false;
            ++i;
            skipBlanks();
        } else {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != '\\' && s[j] != '"' && s[j] != ',') ++j;
            current.append(s.substr(i, j - i));
            i = j;
        }
    }
    if (!currentQuoted) chopTrailingBlanks(current, chopLimit);
    if (!isList) return fromVariantText(current);
    // A hand-written unquoted comma makes a list; as text it reads joined again.
    list.push_back(std::move(current));
    std::string joined;
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (k > 0) joined += ',';
        joined += list[k];
    }
    return joined;
}

std::optional<std::string> escapeKey(std::string_view key) {
    if (key.empty()) return std::nullopt;  // "=value" reads back as a damaged line
    std::string out;
    for (std::size_t i = 0; i < key.size();) {
        const auto ch = static_cast<unsigned char>(key[i]);
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
            ch == '-' || ch == '.') {
            out += static_cast<char>(ch);
            ++i;
            continue;
        }
        const auto cp = nextCodePoint(key, i);
        if (!cp) return std::nullopt;
        if (*cp <= 0xFF) {
            out += '%' + hex(*cp, true, 2);
        } else if (*cp <= 0xFFFF) {
            out += "%U" + hex(*cp, true, 4);
        } else {
            const std::uint32_t v = *cp - 0x10000;
            out += "%U" + hex(0xD800 + (v >> 10), true, 4);
            out += "%U" + hex(0xDC00 + (v & 0x3FF), true, 4);
        }
    }
    return out;
}

std::string unescapeKey(std::string_view s) {
    std::string out;
    std::uint32_t high = 0;  // pending first half of a UTF-16 pair
    auto unit = [&](std::uint32_t u) {
        if (high != 0 && u >= 0xDC00 && u <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
            high = 0;
            return;
        }
        if (high != 0) appendUtf8(out, 0xFFFD);
        high = 0;
        if (u >= 0xD800 && u <= 0xDBFF)
            high = u;
        else
            appendUtf8(out, u);
    };
    for (std::size_t i = 0; i < s.size();) {
        const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
        if (s[i] == '%' && i + 5 < s.size() && s[i + 1] == 'U' && isHex(at(i + 2)) && isHex(at(i + 3)) &&
            isHex(at(i + 4)) && isHex(at(i + 5))) {
            unit((hexValue(at(i + 2)) << 12) | (hexValue(at(i + 3)) << 8) | (hexValue(at(i + 4)) << 4) |
                 hexValue(at(i + 5)));
            i += 6;
        } else if (s[i] == '%' && i + 2 < s.size() && isHex(at(i + 1)) && isHex(at(i + 2))) {
            unit((hexValue(at(i + 1)) << 4) | hexValue(at(i + 2)));
            i += 3;
        } else {
            if (high != 0) unit(0);
            out += s[i] == '\\' ? '/' : s[i];  // QSettings' group separator
            ++i;
        }
    }
    if (high != 0) appendUtf8(out, 0xFFFD);
    return out;
}

Document Document::parse(std::string_view data) {
    Document doc;
    if (data.find('\0') != std::string_view::npos) {
        // Not a text file at all: nothing in it can be trusted as settings.
        doc.binary_ = true;
        doc.problems_.push_back("it holds binary data, not text");
        return doc;
    }
    // Other bytes that are not UTF-8 are kept as they are: a value is bytes to
    // this file, and a Latin-1 command line is still the user's command line.

    auto lineNumber = [&](std::size_t offset) {
        return std::to_string(1 + std::count(data.begin(), data.begin() + offset, '\n'));
    };
    bool general = true;
    std::size_t pos = 0;
    while (pos < data.size()) {
        while (pos < data.size() && isSpace(data[pos])) ++pos;
        if (pos >= data.size()) break;
        const std::size_t start = pos;
        if (data[start] == ';') {
            while (pos < data.size() && data[pos] != '\n' && data[pos] != '\r') ++pos;
            doc.lines_.push_back(
                {Line::Kind::Comment, std::string(data.substr(start, pos - start)), general, {}, {}});
            continue;
        }
        // One logical line: a quoted part or an escaped line break runs on.
        bool inQuotes = false;
        std::size_t equals = std::string_view::npos;
        std::size_t i = start;
        // A backslash that ends the file escapes nothing and reads as nothing;
        // kept, it would join the line written after it to this one.
        bool danglingBackslash = false;
        while (i < data.size()) {
            const char ch = data[i];
            if (ch == '=' && !inQuotes && equals == std::string_view::npos) equals = i;
            if ((ch == '\n' || ch == '\r' || ch == ';') && !inQuotes) break;
            if (ch == '"') inQuotes = !inQuotes;
            if (ch == '\\' && i + 1 < data.size()) {
                ++i;
                const char next = i + 1 < data.size() ? data[i + 1] : '\0';
                if ((data[i] == '\n' && next == '\r') || (data[i] == '\r' && next == '\n')) ++i;
            } else if (ch == '\\') {
                danglingBackslash = true;
            }
            ++i;
        }
        pos = i;
        if (danglingBackslash) --i;
        if (i == start) continue;
        const std::string_view text = data.substr(start, i - start);
        Line line{Line::Kind::Malformed, std::string(text), general, {}, {}};
        if (inQuotes) {
            doc.problems_.push_back("line " + lineNumber(start) + " has an unclosed quote");
        } else if (text.front() == '[') {
            const auto close = text.find(']');
            if (close == std::string_view::npos) {
                doc.problems_.push_back("line " + lineNumber(start) + " is a cut-off [section]");
            } else {
                std::string name = unescapeKey(trimmed(text.substr(1, close - 1)));
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                general = name == "general";
                line.kind = Line::Kind::Section;
                line.general = general;
            }
        } else if (equals == std::string_view::npos) {
            if (text.front() == '#') {
                line.kind = Line::Kind::Comment;
            } else {
                doc.problems_.push_back("line " + lineNumber(start) + " is not key=value");
            }
        } else {
            const auto key = trimmed(data.substr(start, equals - start));
            if (key.empty()) {
                doc.problems_.push_back("line " + lineNumber(start) + " has no key");
            } else {
                line.kind = Line::Kind::Entry;
                line.key = unescapeKey(key);
                line.value = unescapeValue(data.substr(equals + 1, i - equals - 1));
            }
        }
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

std::optional<std::string> Document::lookup(std::string_view key) const {
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
        if (it->kind == Line::Kind::Entry && it->general && it->key == key) return it->value;
    return std::nullopt;
}

bool Document::set(const std::string& key, const std::string& value) {
    const auto storedKey = escapeKey(key);
    if (!storedKey) return false;
    const std::string raw = *storedKey + "=" + escapeValue(value);
    auto lastGeneral = lines_.end();
    for (auto it = lines_.begin(); it != lines_.end(); ++it) {
        if (it->kind == Line::Kind::Entry && it->general) lastGeneral = it;
    }
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
        if (it->kind == Line::Kind::Entry && it->general && it->key == key) {
            it->raw = raw;
            it->value = value;
            return true;
        }
    }
    Line entry{Line::Kind::Entry, raw, true, key, value};
    if (lastGeneral != lines_.end()) {
        lines_.insert(lastGeneral + 1, std::move(entry));
        return true;
    }
    const auto header = std::find_if(lines_.begin(), lines_.end(), [](const Line& l) {
        return l.kind == Line::Kind::Section && l.general;
    });
    if (header != lines_.end()) {
        lines_.insert(header + 1, std::move(entry));
        return true;
    }
    lines_.insert(lines_.begin(), std::move(entry));
    lines_.insert(lines_.begin(), Line{Line::Kind::Section, "[General]", true, {}, {}});
    return true;
}

void Document::dropMalformed() {
    std::erase_if(lines_, [](const Line& l) { return l.kind == Line::Kind::Malformed; });
    problems_.clear();
    binary_ = false;
}

std::string Document::text() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0 && lines_[i].kind == Line::Kind::Section) out += '\n';
        out += lines_[i].raw;
        // A line that ends in an escaped CR must not be followed by LF: the
        // two would read as one escaped line break and join the next line on.
        out += lines_[i].raw.ends_with('\r') ? '\r' : '\n';
    }
    return out;
}

}  // namespace platform::ini
