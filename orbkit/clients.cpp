// Messaging clients: a fixed table of named clients with one-byte identifiers. A client's wait
// call blocks for one tick and says "go on" until the host stops the client; the client then
// removes itself, and the host can wait for that removal.
#include "orbkit.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {

constexpr int kFirstId = 1; // 0 is never handed out, so a zeroed identifier names no client
constexpr int kSlots = 256;
constexpr std::size_t kNameBytes = 64;

struct Client {
    bool registered = false;
    bool stopped = false;
    char name[kNameBytes] = {};
};

struct Registry {
    std::mutex lock;
    std::condition_variable changed; // a client stopped or was removed
    Client clients[kSlots];
};

Registry &Clients() {
    static Registry registry;
    return registry;
}

std::atomic<unsigned> tickMilliseconds{5};

// Requires the registry lock.
Client *FindByName(Registry &registry, const char *name) {
    for (int id = kFirstId; id < kSlots; ++id) {
        Client &client = registry.clients[id];
        if (client.registered && std::strcmp(client.name, name) == 0)
            return &client;
    }
    return nullptr;
}

} // namespace

extern "C" ORBKIT_API uint16_t ORBKIT_CALL Orb5MkClient(const char *name, int32_t, int32_t,
                                                       uint8_t *clientId) {
    if (name == nullptr || clientId == nullptr || std::strlen(name) >= kNameBytes)
        return 1;
    Registry &registry = Clients();
    std::lock_guard<std::mutex> hold(registry.lock);
    if (FindByName(registry, name) != nullptr)
        return 2;
    for (int id = kFirstId; id < kSlots; ++id) {
        Client &client = registry.clients[id];
        if (client.registered)
            continue;
        client.registered = true;
        client.stopped = false;
        std::strcpy(client.name, name);
        *clientId = static_cast<uint8_t>(id);
        return 0;
    }
    return 3;
}

extern "C" ORBKIT_API uint16_t ORBKIT_CALL Orb5WaitMsg(uint8_t clientId, void *message, int32_t) {
    if (message != nullptr)
        std::memset(message, 0, ORBKIT_MESSAGE_BYTES);
    Registry &registry = Clients();
    std::unique_lock<std::mutex> hold(registry.lock);
    Client &client = registry.clients[clientId];
    auto mustEnd = [&client] { return !client.registered || client.stopped; };
    if (clientId < kFirstId || mustEnd())
        return 0;
    const auto tick = std::chrono::milliseconds(tickMilliseconds.load());
    return registry.changed.wait_for(hold, tick, mustEnd) ? 0 : 1;
}

extern "C" ORBKIT_API uint16_t ORBKIT_CALL Orb5RmClient(uint8_t clientId) {
    Registry &registry = Clients();
    std::lock_guard<std::mutex> hold(registry.lock);
    Client &client = registry.clients[clientId];
    if (clientId < kFirstId || !client.registered)
        return 1;
    client = Client{};
    registry.changed.notify_all();
    return 0;
}

extern "C" ORBKIT_API void ORBKIT_CALL OrbKitSetTick(unsigned milliseconds) {
    tickMilliseconds.store(milliseconds);
}

extern "C" ORBKIT_API int ORBKIT_CALL OrbKitStopClient(const char *name) {
    if (name == nullptr)
        return 1;
    Registry &registry = Clients();
    std::lock_guard<std::mutex> hold(registry.lock);
    Client *client = FindByName(registry, name);
    if (client == nullptr)
        return 1;
    client->stopped = true;
    registry.changed.notify_all();
    return 0;
}

extern "C" ORBKIT_API int ORBKIT_CALL OrbKitWaitRemoved(const char *name, unsigned timeoutMilliseconds) {
    if (name == nullptr)
        return 1;
    Registry &registry = Clients();
    std::unique_lock<std::mutex> hold(registry.lock);
    const bool removed = registry.changed.wait_for(
        hold, std::chrono::milliseconds(timeoutMilliseconds),
        [&] { return FindByName(registry, name) == nullptr; });
    return removed ? 0 : 1;
}
