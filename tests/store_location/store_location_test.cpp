#include <gtest/gtest.h>

#include "platform/platform_error.h"
#include "platform/wine_registry.h"
#include "store/store_location.h"

namespace dorvane {
namespace {

using platform::WineHive;
using platform::WineRegistry;

std::optional<std::string> FakeEnvironment(const std::string& name) {
    if (name == "HOME" || name == "home") return "/home/bob";
    if (name == "Long") return std::string(1500, 'L');
    return std::nullopt;
}

std::string Locate(const std::string& userReg) {
    const WineRegistry registry(WineHive::Parse(userReg), "/prefix", &FakeEnvironment);
    return LocateStoreRoot(registry);
}

const std::string kOe = "[Software\\\\Microsoft\\\\Outlook Express] 1\n";
const std::string kIdentities = "[Identities] 1\n\"Default User ID\"=\"{ID}\"\n";
const std::string kIdentityKey =
    "[Identities\\\\{ID}\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1\n";

struct LocationCase {
    const char* Name;
    std::string UserReg;
    std::string Expected;
};

const LocationCase kCases[] = {
    {"NothingRecorded", "WINE REGISTRY Version 2\n", ""},
    {"FirstKeyWinsWhenNotEmpty",
     kOe + "\"Store Root\"=\"/mail/first\"\n" + kIdentities + kIdentityKey +
         "\"Store Root\"=\"/mail/identity\"\n",
     "/mail/first"},
    {"EmptyFirstValueFallsThrough",
     kOe + "\"Store Root\"=\"\"\n" + kIdentities + kIdentityKey + "\"Store Root\"=\"/mail/id\"\n",
     "/mail/id"},
    {"EmptyHexValueIsEmptyNotAnError",
     kOe + "\"Store Root\"=hex:\n" + kIdentities + kIdentityKey + "\"Store Root\"=\"/mail/id\"\n",
     "/mail/id"},
    {"MissingDefaultUserIdTriesAnEmptyIdentity",
     "[Identities] 1\n" + kIdentityKey + "\"Store Root\"=\"/mail/id\"\n", ""},
    {"KeyPathsAndNamesIgnoreCase",
     "[software\\\\MICROSOFT\\\\outlook express] 1\n\"store root\"=\"/mail/x\"\n", "/mail/x"},
    {"ExpandsFromWinesEnvironmentFirst",
     kIdentities + kIdentityKey + "\"Store Root\"=str(2):\"%UserProfile%\\\\OE\"\n" +
         "[Volatile Environment] 1\n\"USERPROFILE\"=\"C:\\\\users\\\\bob\"\n",
     "/prefix/dosdevices/c:/users/bob/OE"},
    {"ExpandsPlainTextValuesToo", kOe + "\"Store Root\"=\"%home%/mail\"\n", "/home/bob/mail"},
    {"UnknownVariableStaysAsWritten", kOe + "\"Store Root\"=\"/m/%NOPE%/x%\"\n", "/m/%NOPE%/x%"},
    {"ExpansionBeyond1024CharactersIsKept", kOe + "\"Store Root\"=\"/%Long%\"\n",
     "/" + std::string(1500, 'L')},
    {"EscapesInStrings", kOe + "\"Store Root\"=\"/a\\\\\\\"b\\x00e9\"\n", "/a\\\"b\xC3\xA9"},
    {"PosixPathLeftAlone", kOe + "\"Store Root\"=\"/srv/mail\"\n", "/srv/mail"},
    {"DrivePathMapsToDosdevices", kOe + "\"Store Root\"=\"D:\\\\Mail\\\\OE\"\n",
     "/prefix/dosdevices/d:/Mail/OE"},
    {"TruncatedFile", kOe + "\"Store Root\"=\"/mail/unfinis", ""},
    {"UnbalancedBracket", "[Software\\\\Microsoft\\\\Outlook Express 1\n\"Store Root\"=\"/x\"\n",
     ""},
    {"NotARegistryAtAll",
     std::string("\x7F"
                 "ELF\0\0\0[\"=\\",
                 11),
     ""},
};

TEST(LocateStoreRoot, FollowsTheLookupOrderAndResultRules) {
    for (const LocationCase& c : kCases) {
        EXPECT_EQ(Locate(c.UserReg), c.Expected) << c.Name;
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
            Locate(userReg);
            ADD_FAILURE() << "no error for " << userReg;
        } catch (const platform::PlatformError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

}  // namespace
}  // namespace dorvane
