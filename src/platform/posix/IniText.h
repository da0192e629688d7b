#pragma once

#include <cstdint>
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

// A parsed file keeps its bytes once and describes each line by where it
// stands in them, so reading costs time and memory in proportion to the size
// of the file, however damaged it is.
class Document {
public:
    // Reads leniently: good lines are kept, and problems are described in
    // problems() (the first few of them), so the caller can tell a clean file
    // from a damaged one.
    static Document parse(std::string data);

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
    enum class Kind : std::uint8_t { Comment, Section, Entry, Malformed };
    struct Line {
        std::uint32_t begin = 0;    // in source_, or the index in edits_ when edited
        std::uint32_t size = 0;     // may span several physical lines
        std::uint32_t valueAt = 0;  // where the value starts, for entries
        Kind kind = Kind::Comment;
        bool general = true;  // top level or [General]: where this program's keys live
        bool edited = false;
    };

    std::string_view raw(const Line& line) const;
    std::string keyOf(const Line& line) const;
    // The line of the key's last entry in the general section, if any.
    std::optional<std::size_t> find(std::string_view key) const;
    void buildIndex() const;

    std::string source_;
    std::vector<std::string> edits_;
    std::vector<Line> lines_;
    std::vector<std::string> problems_;
    bool binary_ = false;
    // General entries as (hash of key, line), sorted; built on the first
    // lookup. Entries added since are in added_, newest last.
    mutable std::vector<std::pair<std::size_t, std::uint32_t>> index_;
    mutable bool indexed_ = false;
    mutable std::optional<std::size_t> lastGeneral_;
    std::vector<std::uint32_t> added_;
};

}  // namespace platform::ini
