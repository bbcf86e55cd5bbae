#pragma once
// Reading and programming the type name of an interface unit ("INT_" and
// four characters), and copying its template in the installation software's
// settings file.

#include <optional>
#include <string>
#include <string_view>

namespace tarvin {

constexpr const char* kUnitTypePrefix = "INT_";
constexpr std::size_t kUnitTypeSuffixLength = 4;

// The read request to the unit on the link; its reply and field.
constexpr const char* kReadUnitTypeCommand = "2101";
constexpr const char* kReadUnitTypeTail = "8901*"; // after the PCI's route
// The name in a reply, as read (not trimmed); empty when there is no reply.
std::string UnitTypeNameFromReply(std::string_view reply);
// "Unit Type is " + the name in double quotes.
std::string ReadUnitTypeText(std::string_view name);

// Characters the dialog accepts besides backspace.
bool IsUnitTypeCharacter(char ch);
// The edit text padded with blanks to four characters.
std::string PadUnitTypeText(std::string_view text);
// "INT_" + the padded text: always eight characters.
std::string NewUnitTypeName(std::string_view text);
// Only a unit whose name begins exactly "INT_" may be renamed.
bool CanSetUnitType(std::string_view currentName);
// The read-back must equal the new name in all eight characters.
bool UnitTypeWritten(std::string_view readBack, std::string_view newName);

constexpr const char* kUnlockUnitTypeCommand = "11F7";
// Store Parameter 0xF7: "AAF700" + the name as hexadecimal.
std::string StoreUnitTypeCommand(std::string_view name);

// --- "tarvin.ini" ---

constexpr const char* kIniFileName = "tarvin.ini";
constexpr const char* kUnitTemplatesSection = "Unit Templates";
constexpr const char* kTemplateKey = "INT_OST";

// The value of a key in a section of an INI text, as the platform's profile
// functions read it (names compared without case, blanks trimmed);
// nullopt when the section or key is absent.
std::optional<std::string> IniReadValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The text with one key of an existing section set to value: the key's line
// is rewritten (or a line added after the section's last entry) and every
// other byte is kept. nullopt when the section is absent.
std::optional<std::string> IniWriteValue(std::string_view text, std::string_view section,
                                         std::string_view key, std::string_view value);

// The settings text with the template of "INT_OST" copied under the new
// name; nullopt when there is nothing to write (no section, no template or
// an empty one).
std::optional<std::string> CopyUnitTemplate(std::string_view iniText, std::string_view newName);

} // namespace tarvin
