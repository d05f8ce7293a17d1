#pragma once
// Where the settings live in the registry: the per-machine and per-user
// settings key, its sub-keys and the names of its values.
namespace imvexa {

// Under HKEY_LOCAL_MACHINE (text list, plug-ins, installed handlers) and
// HKEY_CURRENT_USER (reduction mode).
inline constexpr char kSettingsKey[] = "Software\\VELKOR\\Imvexa";
// One value per plug-in path or mask; the names matter, the data does not.
inline constexpr char kPlugInsKey[] = "Software\\VELKOR\\Imvexa\\PlugIns";
// One value per extension whose handler registration installed.
inline constexpr char kExtensionsKey[] = "Software\\VELKOR\\Imvexa\\Extensions";
inline constexpr char kTextExtensionValue[] = "TextExtension";
inline constexpr char kQualityValue[] = "Quality";

}  // namespace imvexa
