#include <cstdlib>
#include <string>
#include <system_error>
#include <systemd/sd-bus.h>

#include "core/dispatch/RealtimeKitClient.h"

namespace brevanor {

namespace {

constexpr const char* kSystemBus = "unix:path=/run/dbus/system_bus_socket";
constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kObject = "/org/freedesktop/RealtimeKit1";
constexpr const char* kInterface = "org.freedesktop.RealtimeKit1";
// The service is asked while a thread starts; a bus or service that hangs must not hold it up for long.
constexpr std::uint64_t kCallTimeoutMicros = 1'000'000;

// The error the bus or the service gave, else the system's words for `result`.
RealtimeKitClient::Error failure(int result, const sd_bus_error& error) {
    if (error.message) return RealtimeKitClient::Error(error.message);
    return RealtimeKitClient::Error(std::error_code(-result, std::generic_category()).message());
}

template <typename Value>
Value property(sd_bus* bus, const char* name, char type) {
    Value value{};
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_get_property_trivial(bus, kService, kObject, kInterface, name, &error, type, &value);
    if (result < 0) {
        const auto thrown = failure(result, error);
        sd_bus_error_free(&error);
        throw thrown;
    }
    return value;
}

}  // namespace

std::unique_ptr<RealtimeKitClient> RealtimeKitClient::connect() {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) throw Error("no D-Bus connection");
    std::unique_ptr<RealtimeKitClient> client(new RealtimeKitClient(bus));
    // Set up by hand rather than with sd_bus_open_system, so that the timeout covers the greeting too.
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    sd_bus_set_address(bus, address && *address ? address : kSystemBus);
    sd_bus_set_bus_client(bus, 1);
    sd_bus_set_method_call_timeout(bus, kCallTimeoutMicros);
    if (const int result = sd_bus_start(bus); result < 0) {
        throw Error("no system bus (" + std::error_code(-result, std::generic_category()).message() + ")");
    }
    client->limits_.maxRealtimePriority = property<std::int32_t>(bus, "MaxRealtimePriority", 'i');
    client->limits_.minNiceLevel = property<std::int32_t>(bus, "MinNiceLevel", 'i');
    client->limits_.rtTimeUSecMax = property<std::int64_t>(bus, "RTTimeUSecMax", 'x');
    return client;
}

RealtimeKitClient::~RealtimeKitClient() { sd_bus_flush_close_unref(bus_); }

void RealtimeKitClient::makeThreadRealtime(pid_t thread, int priority) {
    call("MakeThreadRealtime", "tu", static_cast<std::uint64_t>(thread), priority);
}

void RealtimeKitClient::makeThreadHighPriority(pid_t thread, int niceLevel) {
    call("MakeThreadHighPriority", "ti", static_cast<std::uint64_t>(thread), niceLevel);
}

void RealtimeKitClient::call(const char* method, const char* signature, std::uint64_t thread, std::int32_t value) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    // The 'u' and 'i' arguments both travel as 32 bits; priorities are never negative.
    const int result =
        sd_bus_call_method(bus_, kService, kObject, kInterface, method, &error, nullptr, signature, thread, value);
    if (result < 0) {
        const auto thrown = failure(result, error);
        sd_bus_error_free(&error);
        throw thrown;
    }
}

}  // namespace brevanor
