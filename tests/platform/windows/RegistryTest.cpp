// The registry store against the real registry, checked through the system's
// own reg tool in both directions.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "Support.h"
#include "platform/win32text/WideText.h"
#include "platform/windows/RegistrySettingsBackend.h"
#include "platform/windows/WindowsPlatform.h"
#include "settings/Store.h"
#include "settings/WriteGroup.h"

using platform::RegistrySettingsBackend;
using platform::toUtf8;
using platform::toWide;
using namespace wintest;

namespace {

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\";
const std::string kText = "Grüße, 東京 \"quoted\" C:\\Program Files\\Tool\\tool.exe -x 🙂";

// Text as a .reg file writes it between quotes.
std::string regQuoted(const std::string& text) {
    std::string quoted;
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return '"' + quoted + '"';
}

// .reg files are UTF-16 with a byte-order mark.
void writeRegFile(const fs::path& file, const std::string& text) {
    const std::wstring wide = L"\xFEFF" + toWide(text);
    writeFile(file, std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)));
}

// A value of a given kind as a .reg file writes it: hex(kind): and its
// bytes, all in hexadecimal.
std::string regHex(int kind, const std::string& bytes) {
    char byte[16];
    std::snprintf(byte, sizeof byte, "hex(%x):", kind);
    std::string text = byte;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(bytes[i]));
        text += (i > 0 ? "," : "") + std::string(byte);
    }
    return text;
}

// Strings as the registry keeps them: UTF-16, each ending in a null.
std::string utf16(const std::vector<std::string>& strings) {
    std::wstring units;
    for (const auto& text : strings) units += toWide(text) + L'\0';
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(wchar_t));
}

std::string readRegFile(const fs::path& file) {
    const std::string bytes = readFile(file);
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    bytes.copy(reinterpret_cast<char*>(wide.data()), wide.size() * sizeof(wchar_t));
    if (!wide.empty() && wide.front() == L'\xFEFF') wide.erase(0, 1);
    std::string text = toUtf8(wide);
    std::erase(text, '\r');
    return text;
}

class Registry : public ::testing::Test {
protected:
    ~Registry() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, toWide("Software\\VB and VBA Program Settings\\" + app).c_str());
    }

    int reg(const std::string& arguments) { return runAndWait(L"reg.exe " + toWide(arguments)); }
    // A value's kind and bytes as the registry keeps them.
    // (RegGetValueW would end a string with a null it lacks.)
    std::pair<DWORD, std::string> rawValue(const char* key) {
        const std::wstring path = toWide("Software\\VB and VBA Program Settings\\" + app + "\\velmora");
        HKEY section = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &section);
        DWORD type = 0, size = 0;
        RegQueryValueExW(section, toWide(key).c_str(), nullptr, &type, nullptr, &size);
        std::string bytes(size, '\0');
        RegQueryValueExW(section, toWide(key).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                         &size);
        RegCloseKey(section);
        return {type, bytes.substr(0, size)};
    }

    std::string app = uniqueName("VELMORA");
    TempFolder folder;
    RegistrySettingsBackend backend;
};

}  // namespace

TEST_F(Registry, ReadsWhatTheRegToolImportedAtTheClassicPlaceTextAndNumbersOfEveryKind) {
    const std::string marker = "%VELMORA_TEST%\\marker.exe %VELMORA_TEST%\\markers.log ";
    const struct {
        const char* key;
        std::string stored;                  // as the .reg file gives it
        std::optional<std::string> reads;    // what the store finds
        std::optional<std::string> typed{};  // into its field before a Save; else untouched
        std::string starts{};                // the marker its command starts once saved
        bool deleted = false;                // gone from the registry before the Save
    } values[] = {
        {"TASK_1_CMD", regQuoted(kText), kText},
        {"TASK_1_TICKBOX_CAPTION", "\"\"", ""},  // empty is not absent
        {"TASK_2_CMD", regHex(REG_EXPAND_SZ, utf16({"%SystemRoot%\\notepad.exe %TEMP%\\a.txt"})),
         "%SystemRoot%\\notepad.exe %TEMP%\\a.txt", marker + "edited", "edited"},
        {"TASK_9_CMD", regHex(REG_EXPAND_SZ, utf16({marker + "kept"})), marker + "kept", {}, "kept"},
        {"TASK_10_CMD", regHex(REG_EXPAND_SZ, utf16({"%VELMORA_TEST%\\none.exe"})),
         "%VELMORA_TEST%\\none.exe"},
        {"TASK_11_CMD", regHex(REG_EXPAND_SZ, utf16({marker + "gone"})), marker + "gone", {}, "gone", true},
        {"TASK_2_TICKBOX_CAPTION", regHex(REG_EXPAND_SZ, utf16({"Notes"})), "Notes"},
        {"TASK_3_CMD", regHex(REG_MULTI_SZ, utf16({"C:\\Tools\\tool.exe", "-x", "Grüße", ""})),
         "C:\\Tools\\tool.exe -x Grüße"},
        {"TASK_3_TICKBOX_CAPTION", regHex(REG_MULTI_SZ, utf16({""})), ""},
        {"TASK_1_ENABLE_TICKBOX", "dword:00000001", "1"},
        {"MAIN-Top", "dword:00000005", "5"},
        {"MAIN-Height", "dword:ffffff88", "-120"},
        {"MAIN-Width", regHex(REG_QWORD, std::string("\x17\x07\0\0\0\0\0\0", 8)), "1815"},
        {"TASK_4_CMD", "hex:43,00,3a,00", std::nullopt},              // binary
        {"TASK_5_CMD", regHex(REG_NONE, ""), std::nullopt, "typed"},  // no kind
        {"TASK_6_CMD", regHex(REG_DWORD, "\x01\x02"), std::nullopt},  // cut short
        // Strings other tools left odd: a Save must not even tidy them.
        {"TASK_4_TICKBOX_CAPTION", regHex(REG_SZ, utf16({"odd"}) + "\x01"), "odd"},
        {"TASK_5_TICKBOX_CAPTION", regHex(REG_SZ, utf16({"end", "after"})), "end"},
        {"TASK_6_TICKBOX_CAPTION", regHex(REG_SZ, ""), ""},
        {"TASK_7_TICKBOX_CAPTION", regHex(REG_SZ, std::string("\0\xd8", 2) + utf16({"abc"})), "\uFFFDabc"},
        {"TASK_2_ENABLE_TICKBOX", regHex(REG_SZ, utf16({"1", "tail"})), "1"},  // as the close saves ticks
    };
    std::string section = "[" + kRoot + app + "\\velmora]\r\n";
    for (const auto& v : values) section += "\"" + std::string(v.key) + "\"=" + v.stored + "\r\n";
    const fs::path file = folder.path() / "tasks.reg";
    writeRegFile(file, "Windows Registry Editor Version 5.00\r\n\r\n" + section + "\r\n[" + kRoot + app +
                           "\\velmora copy]\r\n\"TASK_1_CMD\"=\"the copy's own\"\r\n");
    ASSERT_EQ(reg("import \"" + file.string() + "\""), 0);
    ASSERT_EQ(reg("add \"" + kRoot + app + "\\velmora\" /v MAIN-Left /t REG_DWORD /d 1815 /f"), 0);

    for (const auto& v : values) EXPECT_EQ(backend.read(app, "velmora", v.key), v.reads) << v.key;
    EXPECT_EQ(backend.read(app, "velmora", "MAIN-Left"), "1815");
    EXPECT_EQ(backend.read(app, "velmora copy", "TASK_1_CMD"), "the copy's own");
    EXPECT_EQ(backend.read(app, "velmora", "TASK_7_CMD"), std::nullopt);
    EXPECT_EQ(backend.read(app, "no such copy", "TASK_1_CMD"), std::nullopt);
    EXPECT_EQ(backend.read(app + "-none", "velmora", "TASK_1_CMD"), std::nullopt);

    // A Save of every field as it was shown, but those typed into, keeps
    // each untouched value's kind and bytes; an expandable string stays one.
    settings::Store store(backend, "velmora");
    std::vector<std::pair<DWORD, std::string>> before;
    std::vector<std::string> shown;
    for (const auto& v : values) {
        before.push_back(rawValue(v.key));
        shown.push_back(store.GetSetting(app, "velmora", v.key, ""));
        if (v.deleted) {
            ASSERT_EQ(reg("delete \"" + kRoot + app + "\\velmora\" /v " + v.key + " /f"), 0);
        }
    }
    settings::WriteGroup save(store);
    for (std::size_t i = 0; i < std::size(values); ++i)
        store.SaveSetting(app, "velmora", values[i].key, values[i].typed.value_or(shown[i]));
    ASSERT_TRUE(save.end().ok);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const auto& v = values[i];
        if (!v.typed) {
            EXPECT_EQ(rawValue(v.key), before[i]) << v.key;
            continue;
        }
        EXPECT_EQ(rawValue(v.key).first, before[i].first == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ) << v.key;
        EXPECT_EQ(backend.read(app, "velmora", v.key), v.typed) << v.key;
    }

    // An expandable command is expanded as it is launched, and a failure
    // names the path it expanded to.
    SetEnvironmentVariableW(L"VELMORA_TEST", folder.path().wstring().c_str());
    fs::copy_file(testing_support::markerProgram(), folder.path() / "marker.exe");
    const MarkerLog log(folder.path() / "markers.log");
    platform::WindowsPlatform platform;
    platform.setExpandsWhenUsed(
        [this](const std::string& command) { return backend.expandsWhenUsed(command); });
    for (const auto& v : values) {
        if (v.starts.empty()) continue;
        const auto started = platform.LaunchCommand(store.GetSetting(app, "velmora", v.key, ""), 1);
        ASSERT_TRUE(started.ok) << started.error;
        ASSERT_TRUE(waitUntil([&] { return log.find(v.starts).has_value(); })) << v.key;
        EXPECT_EQ(log.find(v.starts)->path, (folder.path() / "marker.exe").string());
    }
    const auto failed = platform.LaunchCommand("%VELMORA_TEST%\\none.exe", 1);
    EXPECT_NE(failed.error.find((folder.path() / "none.exe").string() + ": "), std::string::npos)
        << failed.error;
}

TEST_F(Registry, WhatItWritesTheRegToolExportsAsStringsAtTheClassicPlace) {
    backend.write(app, "velmora", "TASK_1_CMD", kText);
    backend.writeAll(app, "velmora copy",
                     {{"MAIN-Left", "1815"}, {"LAST_RUN", "COMPLETED SUCCESSFULLY"}, {"MAIN-Left", "-120"}});
    backend.write(app, "velmora", "TASK_1_CMD", "replaced " + kText);

    const fs::path file = folder.path() / "export.reg";
    ASSERT_EQ(reg("export \"" + kRoot + app + "\" \"" + file.string() + "\" /y"), 0);
    const std::string exported = readRegFile(file);
    for (const std::string& expected : std::vector<std::string>{
             "[" + kRoot + app + "\\velmora]\n\"TASK_1_CMD\"=" + regQuoted("replaced " + kText) + "\n",
             "[" + kRoot + app + "\\velmora copy]\n", "\"MAIN-Left\"=\"-120\"\n",
             "\"LAST_RUN\"=\"COMPLETED SUCCESSFULLY\"\n"})
        EXPECT_NE(exported.find(expected), std::string::npos) << expected << "\nnot in\n" << exported;
    EXPECT_EQ(exported.find("1815"), std::string::npos) << "the later of two values for one key stays";
    EXPECT_EQ(backend.read(app, "velmora copy", "MAIN-Left"), "-120");
    EXPECT_TRUE(backend.warnings().empty());
}
