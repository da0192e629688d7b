// The registry store against the real registry, checked through the system's
// own reg tool in both directions.
#include <gtest/gtest.h>

#include "Support.h"
#include "platform/windows/RegistrySettingsBackend.h"
#include "platform/windows/WideText.h"

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

    std::string app = uniqueName("VELMORA");
    TempFolder folder;
    RegistrySettingsBackend backend;
};

}  // namespace

TEST_F(Registry, ReadsWhatTheRegToolImportedAtTheClassicPlaceAndTakesADwordAsAbsent) {
    const fs::path file = folder.path() / "tasks.reg";
    writeRegFile(file,
                 "Windows Registry Editor Version 5.00\r\n\r\n"
                 "[" +
                     kRoot + app +
                     "\\velmora]\r\n"
                     "\"TASK_1_CMD\"=" +
                     regQuoted(kText) +
                     "\r\n"
                     "\"TASK_1_TICKBOX_CAPTION\"=\"\"\r\n"
                     "\"MAIN-Top\"=dword:00000005\r\n\r\n"
                     "[" +
                     kRoot + app +
                     "\\velmora copy]\r\n"
                     "\"TASK_1_CMD\"=\"the copy's own\"\r\n");
    ASSERT_EQ(reg("import \"" + file.string() + "\""), 0);
    ASSERT_EQ(reg("add \"" + kRoot + app + "\\velmora\" /v MAIN-Left /t REG_DWORD /d 1815 /f"), 0);

    EXPECT_EQ(backend.read(app, "velmora", "TASK_1_CMD"), kText);
    EXPECT_EQ(backend.read(app, "velmora", "TASK_1_TICKBOX_CAPTION"), "") << "empty is not absent";
    EXPECT_EQ(backend.read(app, "velmora copy", "TASK_1_CMD"), "the copy's own");
    for (const char* key : {"MAIN-Top", "MAIN-Left"})
        EXPECT_EQ(backend.read(app, "velmora", key), std::nullopt) << key << " is a REG_DWORD";
    EXPECT_EQ(backend.read(app, "velmora", "TASK_2_CMD"), std::nullopt);
    EXPECT_EQ(backend.read(app, "no such copy", "TASK_1_CMD"), std::nullopt);
    EXPECT_EQ(backend.read(app + "-none", "velmora", "TASK_1_CMD"), std::nullopt);
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
