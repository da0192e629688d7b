#include "platform/posix/IniText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>

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
            if (high != 0) appendUtf8(out, 0xFFFD);  // a lone first half
            high = 0;
            out += s[i] == '\\' ? '/' : s[i];  // QSettings' group separator
            ++i;
        }
    }
    if (high != 0) appendUtf8(out, 0xFFFD);
    return out;
}

namespace {

// Enough to say what is wrong; a file of a million bad lines needs no million messages.
constexpr std::size_t kProblemsKept = 8;

std::uint32_t u32(std::size_t n) {
    return static_cast<std::uint32_t>(n);
}

bool byHash(const std::pair<std::size_t, std::uint32_t>& a, const std::pair<std::size_t, std::uint32_t>& b) {
    return a.first < b.first;
}

}  // namespace

Document Document::parse(std::string data) {
    Document doc;
    if (data.find('\0') != std::string::npos) {
        // Not a text file at all: nothing in it can be trusted as settings.
        doc.binary_ = true;
        doc.problems_.push_back("it holds binary data, not text");
        return doc;
    }
    // Other bytes that are not UTF-8 are kept as they are: a value is bytes to
    // this file, and a Latin-1 command line is still the user's command line.
    doc.source_ = std::move(data);
    const std::string_view text = doc.source_;

    // Lines are counted from where the last count stopped, never from the start.
    std::size_t counted = 0, lineNumber = 1;
    auto problem = [&](std::size_t offset, const char* what) {
        if (doc.problems_.size() >= kProblemsKept) return;
        lineNumber +=
            static_cast<std::size_t>(std::count(text.begin() + counted, text.begin() + offset, '\n'));
        counted = offset;
        doc.problems_.push_back("line " + std::to_string(lineNumber) + what);
    };
    bool general = true;
    auto add = [&](Kind kind, std::size_t begin, std::size_t end, std::size_t valueAt = 0) {
        if ((kind == Kind::Comment || kind == Kind::Malformed) && !doc.lines_.empty()) {
            Line& last = doc.lines_.back();
            const std::size_t lastEnd = last.begin + last.size;
            // A run of such lines one line break apart is one: written back, it reads the same.
            if (last.kind == kind && lastEnd + 1 == begin && text[lastEnd] == '\n' &&
                text[lastEnd - 1] != '\r') {
                last.size = u32(end - last.begin);
                return;
            }
        }
        doc.lines_.push_back({u32(begin), u32(end - begin), u32(valueAt), kind, general, false});
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isSpace(text[pos])) ++pos;
        if (pos >= text.size()) break;
        const std::size_t start = pos;
        if (text[start] == ';') {
            while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') ++pos;
            add(Kind::Comment, start, pos);
            continue;
        }
        // One logical line: a quoted part or an escaped line break runs on.
        bool inQuotes = false;
        std::size_t equals = std::string_view::npos;
        std::size_t i = start;
        // A backslash that ends the file escapes nothing and reads as nothing;
        // kept, it would join the line written after it to this one.
        bool danglingBackslash = false;
        while (i < text.size()) {
            const char ch = text[i];
            if (ch == '=' && !inQuotes && equals == std::string_view::npos) equals = i;
            if ((ch == '\n' || ch == '\r' || ch == ';') && !inQuotes) break;
            if (ch == '"') inQuotes = !inQuotes;
            if (ch == '\\' && i + 1 < text.size()) {
                ++i;
                const char next = i + 1 < text.size() ? text[i + 1] : '\0';
                if ((text[i] == '\n' && next == '\r') || (text[i] == '\r' && next == '\n')) ++i;
            } else if (ch == '\\') {
                danglingBackslash = true;
            }
            ++i;
        }
        pos = i;
        if (danglingBackslash) --i;
        if (i == start) continue;
        const std::string_view line = text.substr(start, i - start);
        if (inQuotes) {
            problem(start, " has an unclosed quote");
        } else if (line.front() == '[') {
            const auto close = line.find(']');
            if (close == std::string_view::npos) {
                problem(start, " is a cut-off [section]");
            } else {
                std::string name = unescapeKey(trimmed(line.substr(1, close - 1)));
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                general = name == "general";
                add(Kind::Section, start, i);
                continue;
            }
        } else if (equals == std::string_view::npos) {
            if (line.front() == '#') {
                add(Kind::Comment, start, i);
                continue;
            }
            problem(start, " is not key=value");
        } else if (trimmed(text.substr(start, equals - start)).empty()) {
            problem(start, " has no key");
        } else {
            add(Kind::Entry, start, i, equals + 1 - start);
            continue;
        }
        add(Kind::Malformed, start, i);
    }
    return doc;
}

std::string_view Document::raw(const Line& line) const {
    if (line.edited) return edits_[line.begin];
    return std::string_view(source_).substr(line.begin, line.size);
}

std::string Document::keyOf(const Line& line) const {
    return unescapeKey(trimmed(raw(line).substr(0, line.valueAt - 1)));
}

void Document::buildIndex() const {
    index_.clear();
    lastGeneral_.reset();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Entry || !lines_[i].general) continue;
        index_.emplace_back(std::hash<std::string>{}(keyOf(lines_[i])), u32(i));
        lastGeneral_ = i;
    }
    std::stable_sort(index_.begin(), index_.end(), byHash);  // stable: the file's order within a hash
    indexed_ = true;
}

std::optional<std::size_t> Document::find(std::string_view key) const {
    for (auto it = added_.rbegin(); it != added_.rend(); ++it)
        if (keyOf(lines_[*it]) == key) return *it;
    if (!indexed_) buildIndex();
    const auto [first, last] = std::equal_range(index_.begin(), index_.end(),
                                                std::pair{std::hash<std::string_view>{}(key), 0U}, byHash);
    for (auto it = last; it != first;) {
        --it;
        if (keyOf(lines_[it->second]) == key) return it->second;
    }
    return std::nullopt;
}

std::optional<std::string> Document::lookup(std::string_view key) const {
    const auto at = find(key);
    if (!at) return std::nullopt;
    const Line& line = lines_[*at];
    return unescapeValue(raw(line).substr(line.valueAt));
}

bool Document::set(const std::string& key, const std::string& value) {
    const auto storedKey = escapeKey(key);
    if (!storedKey) return false;
    std::string text = *storedKey + "=" + escapeValue(value);
    const auto size = u32(text.size()), valueAt = u32(storedKey->size() + 1);
    if (const auto at = find(key)) {
        Line& line = lines_[*at];
        if (!line.edited) {
            line.begin = u32(edits_.size());
            line.edited = true;
            edits_.emplace_back();
        }
        edits_[line.begin] = std::move(text);
        line.size = size;
        line.valueAt = valueAt;
        return true;
    }
    // New keys go after the last entry of the general section; every entry
    // already indexed stands at or before it, so none moves.
    const Line entry{u32(edits_.size()), size, valueAt, Kind::Entry, true, true};
    edits_.push_back(std::move(text));
    std::size_t at = 0;
    if (lastGeneral_) {
        at = *lastGeneral_ + 1;
    } else {
        const auto header = std::find_if(lines_.begin(), lines_.end(),
                                         [](const Line& l) { return l.kind == Kind::Section && l.general; });
        if (header != lines_.end()) {
            at = static_cast<std::size_t>(header - lines_.begin()) + 1;
        } else {
            lines_.insert(lines_.begin(), Line{u32(edits_.size()), 9, 0, Kind::Section, true, true});
            edits_.emplace_back("[General]");
            at = 1;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
    lastGeneral_ = at;
    added_.push_back(u32(at));
    return true;
}

void Document::dropMalformed() {
    std::erase_if(lines_, [](const Line& l) { return l.kind == Kind::Malformed; });
    problems_.clear();
    binary_ = false;
    indexed_ = false;
    added_.clear();
}

std::string Document::text() const {
    std::string out;
    out.reserve(source_.size() + lines_.size() / 8 + 64);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0 && lines_[i].kind == Kind::Section) out += '\n';
        const std::string_view line = raw(lines_[i]);
        out += line;
        // A line that ends in an escaped CR must not be followed by LF: the
        // two would read as one escaped line break and join the next line on.
        out += line.ends_with('\r') ? '\r' : '\n';
    }
    return out;
}

}  // namespace platform::ini
