#include "platform/messages.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// Messages and clipboard formats share one table of names, so a name
// registered as either gives the same number.
struct Registry {
    std::mutex lock;
    std::unordered_map<std::string, u32> ids;
    std::vector<std::string> names;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

u32 Register(const char* name)
{
    if (!name || !*name)
        return 0;
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    const auto [it, added] = r.ids.try_emplace(name, kFirstRegisteredId + u32(r.names.size()));
    if (added)
        r.names.emplace_back(name);
    return it->second;
}

}  // namespace

u32 RegisterWindowMessage(const char* name)
{
    return Register(name);
}
u32 RegisterClipboardFormat(const char* name)
{
    return Register(name);
}

std::string RegisteredName(u32 id)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    if (id < kFirstRegisteredId || id - kFirstRegisteredId >= r.names.size())
        return {};
    return r.names[id - kFirstRegisteredId];
}
