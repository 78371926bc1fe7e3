// Registered window messages and clipboard formats: a name gives the same
// number every time it is registered in this process, numbers starting at
// 0xC000 as the program's message handlers expect.
#pragma once

#include "platform/wintypes.h"

#include <string>

constexpr u32 kFirstRegisteredId = 0xC000;

u32 RegisterWindowMessage(const char* name);
u32 RegisterClipboardFormat(const char* name);
// The name a registered number stands for, empty when none.
std::string RegisteredName(u32 id);
