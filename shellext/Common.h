#pragma once
// The settings store as one include, for code that uses all of it: the
// registry layout, the extension lists, the module-wide settings with their
// loading, start and end, the quality mode and the shutdown privilege.
#include "ExtensionLists.h"
#include "LoadSettings.h"
#include "ModuleLifetime.h"
#include "QualityMode.h"
#include "RegistryLayout.h"
#include "ShutdownPrivilege.h"
