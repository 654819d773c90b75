#include <gtest/gtest.h>

#include "platform/platform_error.h"
#include "platform/wine_registry.h"
#include "store/store_location.h"

namespace dorvane {
namespace {

using platform::RegistryValue;
using platform::RegistryValueType;
using platform::WineHive;
using platform::WineRegistry;

std::optional<std::string> FakeEnvironment(const std::string& name) {
    if (name == "HOME" || name == "home") return "/home/bob";
    if (name == "Long") return std::string(1500, 'L');
    return std::nullopt;
}

WineRegistry RegistryOf(const std::string& userReg) {
    return WineRegistry(WineHive::Parse(userReg), "/prefix", &FakeEnvironment);
}

// Key lines as Wine writes them, backslashes doubled.
const std::string kOe = "[Software\\\\Microsoft\\\\Outlook Express] 1\n";
const std::string kIdentities = "[Identities] 1\n\"Default User ID\"=\"{ID}\"\n";
const std::string kIdentityKey =
    "[Identities\\\\{ID}\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1\n";

TEST(LocateStoreRoot, FollowsTheLookupOrderAndResultRules) {
    struct Case {
        const char* Name;
        std::string UserReg;
        std::string Expected;
    };
    const Case cases[] = {
        {"NothingRecorded", "WINE REGISTRY Version 2\n", ""},
        {"FirstKeyWinsWhenNotEmpty",
         kOe + "\"Store Root\"=\"/mail/first\"\n" + kIdentities + kIdentityKey +
             "\"Store Root\"=\"/mail/identity\"\n",
         "/mail/first"},
        {"IdentitiesNotConsultedWhenFirstKeyHasText",
         kOe + "\"Store Root\"=\"/mail/first\"\n[Identities] 1\n\"Default User ID\"=dword:1\n",
         "/mail/first"},
        {"EmptyFirstValueFallsThrough",
         kOe + "\"Store Root\"=\"\"\n" + kIdentities + kIdentityKey +
             "\"Store Root\"=\"/mail/id\"\n",
         "/mail/id"},
        {"EmptyBinaryValueIsEmptyNotAnError",
         kOe + "\"Store Root\"=hex:\n" + kIdentities + kIdentityKey +
             "\"Store Root\"=\"/mail/id\"\n",
         "/mail/id"},
        {"NoIdentitiesKeyStops", kIdentityKey + "\"Store Root\"=\"/mail/id\"\n", ""},
        {"MissingDefaultUserIdTriesAnEmptyIdentity",
         "[Identities] 1\n[Identities\\\\\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1\n"
         "\"Store Root\"=\"/mail/no-id\"\n" +
             kIdentityKey + "\"Store Root\"=\"/mail/id\"\n",
         "/mail/no-id"},
        {"KeyPathsAndNamesIgnoreCase",
         "[software\\\\MICROSOFT\\\\outlook express] 1\n\"store root\"=\"/mail/x\"\n", "/mail/x"},
        {"ExpandsFromWinesEnvironmentFirst",
         kIdentities + kIdentityKey + "\"Store Root\"=str(2):\"%UserProfile%\\\\OE\"\n" +
             "[Volatile Environment] 1\n\"USERPROFILE\"=\"C:\\\\users\\\\bob\"\n",
         "/prefix/dosdevices/c:/users/bob/OE"},
        {"VolatileEnvironmentWinsOverEnvironment",
         kOe + "\"Store Root\"=\"/%A%\"\n[Environment] 1\n\"A\"=\"old\"\n" +
             "[Volatile Environment] 1\n\"A\"=\"new\"\n",
         "/new"},
        {"EnvironmentValuesAreExpandedOnce",
         kOe + "\"Store Root\"=\"%TEMP%\"\n[Environment] 1\n" +
             "\"TEMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n\"SELF\"=str(2):\"%SELF%\"\n" +
             "[Volatile Environment] 1\n\"USERPROFILE\"=\"C:\\\\users\\\\bob\"\n",
         "/prefix/dosdevices/c:/users/bob/Temp"},
        {"VariablesThatNameThemselvesDoNotLoop",
         kOe + "\"Store Root\"=\"/%SELF%\"\n[Environment] 1\n\"SELF\"=str(2):\"%SELF%\"\n",
         "/%SELF%"},
        {"ExpandsPlainTextValuesToo", kOe + "\"Store Root\"=\"%home%/mail\"\n", "/home/bob/mail"},
        {"UnknownVariableStaysAsWritten", kOe + "\"Store Root\"=\"/m/%NOPE%/x%\"\n",
         "/m/%NOPE%/x%"},
        {"ExpansionBeyond1024CharactersComesBackWhole", kOe + "\"Store Root\"=\"/%Long%\"\n",
         "/" + std::string(1500, 'L')},
        {"ExpandTextWrittenAsBytes",  // "%HOME%/m" as UTF-16LE without its NUL
         kOe + "\"Store Root\"=hex(2):25,00,48,00,4f,00,4d,00,\\\n  45,00,25,00,2f,00,6d,00\n",
         "/home/bob/m"},
        {"TruncatedFile", kOe + "\"Store Root\"=\"/mail/unfinis", ""},
        {"UnbalancedBracket",
         "[Software\\\\Microsoft\\\\Outlook Express 1\n\"Store Root\"=\"/x\"\n", ""},
        {"NotARegistryAtAll",
         std::string("\x7F"
                     "ELF\0\0\0[\"=\\",
                     11),
         ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LocateStoreRoot(RegistryOf(c.UserReg)), c.Expected) << c.Name;
    }
}

TEST(LocateStoreRoot, NonTextValueNamesItselfInTheError) {
    const std::pair<std::string, std::string> cases[] = {
        {kOe + "\"Store Root\"=dword:00000001\n", "Invalid data type for 'Store Root'"},
        {"[Identities] 1\n\"Default User ID\"=hex:01,02\n",
         "Invalid data type for 'Default User ID'"},
        {kIdentities + kIdentityKey + "\"Store Root\"=str(7):\"a\\0b\"\n",
         "Invalid data type for 'Store Root'"},
    };
    for (const auto& [userReg, message] : cases) {
        try {
            LocateStoreRoot(RegistryOf(userReg));
            ADD_FAILURE() << "no error for " << userReg;
        } catch (const platform::PlatformError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

// A registry whose expansion reports 0 characters, as ExpandEnvironmentStrings can.
class FailingExpansionRegistry : public platform::Registry {
  public:
    bool KeyExists(const std::string&) const override { return true; }
    std::optional<RegistryValue> ReadValue(const std::string& keyPath,
                                           const std::string&) const override {
        if (keyPath != "\\Software\\Microsoft\\Outlook Express") return std::nullopt;
        return RegistryValue{RegistryValueType::ExpandText, "%X%\\store"};
    }
    std::optional<std::string> ExpandEnvironmentStrings(const std::string&) const override {
        return std::nullopt;
    }
};

TEST(LocateStoreRoot, FailedExpansionGivesTheValueAsRead) {
    EXPECT_EQ(LocateStoreRoot(FailingExpansionRegistry()), "%X%\\store");
}

TEST(WineHive, ReadsValuesOfRealShapedHiveText) {
    const std::string hive =
        "WINE REGISTRY Version 2\n"
        ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
        "\n"
        "#arch=win64\n"
        "\n"
        "[Control Panel\\\\Desktop] 1700000000\r\n"
        "#time=1d9f0a0b0c0d0e0\r\n"
        "@=\"default\"\r\n"
        "\"Plain\"=\"C:\\\\users\\\\bob\"\r\n"
        "\"Escapes\"=\"q\\\"t\\tx\\x00e9\\xd83d\\xde00\\101\\]\"\n"
        "\"LoneSurrogate\"=\"\\xd800!\"\n"
        "\"WithNul\"=str:\"before\\0after\"\n"
        "\"Expand\"=str(2):\"%USERPROFILE%\\\\Temp\"\n"
        "\"Multi\"=str(7):\"a\\0b\\0\"\n"
        "\"Number\"=dword:0000000a\n"
        "\"Bytes\"=hex:00,01,\\\n"
        "  02,03\n"
        "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n"
        "\"TextBytes\"=hex(1):41,00,42,00,00,00,43,00\n"
        "\"BadHex\"=hex:zz\n"
        "\"Junk\"=what\n"
        "\"Unclosed=\"x\"\n"
        "[Key\\\\With \\] bracket] 1\n"
        "\"A\"=\"1\"\n"
        "[Broken\\\\Key 1\n"
        "\"Lost\"=\"1\"\n";
    const WineHive parsed = WineHive::Parse(hive);

    struct Case {
        const char* Key;
        const char* Name;
        bool Found;
        RegistryValueType Type;
        std::string Text;
    };
    const auto text = RegistryValueType::Text;
    const auto other = RegistryValueType::Other;
    const std::string desktop = "\\Control Panel\\Desktop";
    const Case cases[] = {
        {desktop.c_str(), "", true, text, "default"},
        {desktop.c_str(), "plain", true, text, "C:\\users\\bob"},
        {desktop.c_str(), "Escapes", true, text,
         "q\"t\tx\xC3\xA9\xF0\x9F\x98\x80"
         "A]"},
        {desktop.c_str(), "LoneSurrogate", true, text, "\xEF\xBF\xBD!"},
        {desktop.c_str(), "WithNul", true, text, "before"},
        {desktop.c_str(), "Expand", true, RegistryValueType::ExpandText, "%USERPROFILE%\\Temp"},
        {desktop.c_str(), "Multi", true, other, ""},
        {desktop.c_str(), "Number", true, other, ""},
        {desktop.c_str(), "Bytes", true, other, ""},
        {desktop.c_str(), "Quad", true, other, ""},
        {desktop.c_str(), "TextBytes", true, text, "AB"},
        {desktop.c_str(), "BadHex", false, other, ""},
        {desktop.c_str(), "Junk", false, other, ""},
        {desktop.c_str(), "Unclosed", false, other, ""},
        {desktop.c_str(), "Missing", false, other, ""},
        {"Key\\With ] bracket", "A", true, text, "1"},
        {"Broken\\Key", "Lost", false, other, ""},
    };
    for (const Case& c : cases) {
        const auto value = parsed.Value(c.Key, c.Name);
        ASSERT_EQ(value.has_value(), c.Found) << c.Key << " " << c.Name;
        if (!value) continue;
        EXPECT_EQ(value->Type, c.Type) << c.Name;
        if (c.Type != other) {
            EXPECT_EQ(value->Text, c.Text) << c.Name;
        }
    }
    // The hex continuation line is part of "Bytes", not a value of its own.
    EXPECT_FALSE(parsed.Value(desktop, "02,03"));
    EXPECT_TRUE(parsed.HasKey("\\CONTROL PANEL\\desktop"));
    EXPECT_FALSE(parsed.HasKey("\\Control Panel"));
}

TEST(WineRegistry, MapsDrivePathsIntoThePrefix) {
    const WineRegistry registry(WineHive::Parse(""), "/home/bob/.wine", &FakeEnvironment);
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\users\\bob\\OE", "/home/bob/.wine/dosdevices/c:/users/bob/OE"},
        {"d:\\Mail\\", "/home/bob/.wine/dosdevices/d:/Mail/"},
        {"E:", "/home/bob/.wine/dosdevices/e:"},
        {"C:mail", "/home/bob/.wine/dosdevices/c:/mail"},
        {"/srv/mail", "/srv/mail"},
        {"relative\\mail", "relative\\mail"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"1:\\x", "1:\\x"},
    };
    for (const auto& [recorded, local] : cases) {
        EXPECT_EQ(registry.ToLocalPath(recorded), local) << recorded;
    }
}

}  // namespace
}  // namespace dorvane
