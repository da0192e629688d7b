#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of one settings file, in the INI dialect that QSettings reads and
// writes, so a file stays interchangeable with QSettings-based tools. Values
// are handled as UTF-8 bytes; what is written reads back byte for byte.
namespace platform::ini {

std::string escapeValue(std::string_view value);
// Nothing when the stored form is not text at all ("@Invalid()").
std::optional<std::string> unescapeValue(std::string_view stored);
// Nothing when the key is empty or not valid UTF-8 (it could not be read back).
std::optional<std::string> escapeKey(std::string_view key);
std::string unescapeKey(std::string_view stored);

struct Line {
    enum class Kind { Comment, Section, Entry, Malformed };
    Kind kind = Kind::Comment;
    std::string raw;      // as it stood in the file; may span several physical lines
    bool general = true;  // top level or [General]: where this program's keys live
    std::string key;      // decoded, for entries
    std::optional<std::string> value;
};

class Document {
public:
    // Reads leniently: good lines are kept, and every problem is described
    // in problems(), so the caller can tell a clean file from a damaged one.
    static Document parse(std::string_view data);

    bool clean() const { return problems_.empty(); }
    bool binary() const { return binary_; }
    const std::vector<std::string>& problems() const { return problems_; }

    // The last entry of the key in the general section, as QSettings reads it.
    std::optional<std::string> lookup(std::string_view key) const;
    // False when the key cannot be written (see escapeKey).
    bool set(const std::string& key, const std::string& value);
    // Forgets lines that did not parse, once the damaged file has been kept aside.
    void dropMalformed();
    std::string text() const;

private:
    std::vector<Line> lines_;
    std::vector<std::string> problems_;
    bool binary_ = false;
};

}  // namespace platform::ini
